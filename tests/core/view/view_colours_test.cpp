#include "settings/preferences.h"
#include "view/view_colours.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(ViewColours, SystemColoursFollowTheThemeAndEveryTextStaysLegible)
{
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 0.01);
    EXPECT_NEAR(ContrastRatio(0x777777, 0x777777), 1.0, 0.01);

    // A dark theme whose own selection text would hardly read, and a link colour too dark.
    DesktopColours dark;
    dark.window = 0x353535;
    dark.windowText = 0xFFFFFF;
    dark.base = 0x2A2A2A;
    dark.text = 0xE0E0E0;
    dark.highlight = 0xA0A0A0;
    dark.highlightedText = 0xFFFFFF;
    dark.link = 0x803000;
    DisplaySettings display;
    ASSERT_TRUE(display.useSystemColours);
    const ViewColours colours = ColoursFor(display, dark);
    EXPECT_EQ(colours.hexBackground, dark.base);
    EXPECT_EQ(colours.textBackground, dark.base);
    EXPECT_EQ(colours.addressBackground, dark.window);
    EXPECT_EQ(colours.highlight, dark.highlight);
    EXPECT_EQ(colours.text, dark.text);
    EXPECT_GE(ContrastRatio(colours.highlight, colours.highlightText), kLegibleContrast);
    EXPECT_GE(ContrastRatio(colours.hexBackground, colours.evenColumn), kLegibleContrast);
    EXPECT_NE(colours.evenColumn, colours.oddColumn); // the groups still alternate
    EXPECT_GE(ContrastRatio(colours.addressBackground, colours.address), kLegibleContrast);

    // The user's own colours are theirs, as chosen; the defaults' selection reads.
    display.useSystemColours = false;
    display.highlightTextColor = 0x123456;
    EXPECT_EQ(ColoursFor(display, dark).highlightText, 0x123456u);
    EXPECT_EQ(ColoursFor(display, dark).hexBackground, display.hexBackground);
    PreferencesCopy copy;
    LoadDefaultColours(copy);
    EXPECT_GE(ContrastRatio(copy.colours[7], copy.colours[8]), kLegibleContrast);
}

} // namespace
} // namespace byteloom
