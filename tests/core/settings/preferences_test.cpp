#include "session/session.h"
#include "settings/preferences.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(Preferences, OkAppliesOnlyShownPagesAndCancelKeepsEverything)
{
    Session session;
    DisplaySettings &display = session.display();
    display.textColor = 0x123456;
    display.grouping = 4;
    const DisplaySettings before = display;

    // OK without changes keeps every setting.
    PreferencesCopy copy = TakePreferences(display, session.codePages(), session.options());
    copy.displayShown = copy.fontShown = copy.generalShown = true;
    ApplyPreferences(copy, display, session.codePages(), session.options());
    EXPECT_EQ(display.textColor, before.textColor);
    EXPECT_EQ(display.grouping, 4);
    EXPECT_EQ(display.hexFontFace, before.hexFontFace);

    // Load Defaults then Cancel: nothing is applied; then OK: the table's colours, grouping kept.
    copy = TakePreferences(display, session.codePages(), session.options());
    LoadDefaultColours(copy);
    EXPECT_EQ(display.textColor, 0x123456u);
    copy.displayShown = true;
    ApplyPreferences(copy, display, session.codePages(), session.options());
    EXPECT_EQ(display.textColor, 0x000000u);
    EXPECT_EQ(display.highlightColor, 0xBBBBBBu);
    EXPECT_EQ(display.grouping, 4);

    // A page never shown leaves its settings alone, whatever its copy says.
    copy = TakePreferences(display, session.codePages(), session.options());
    copy.allowPaging = false;
    copy.itemFaces.back() = "Other";
    copy.fontSize = -30;
    ApplyPreferences(copy, display, session.codePages(), session.options());
    EXPECT_TRUE(session.options().allowPaging);
    EXPECT_EQ(display.fontSize, -20);
    copy.fontShown = copy.generalShown = true;
    ApplyPreferences(copy, display, session.codePages(), session.options());
    EXPECT_FALSE(session.options().allowPaging);
    EXPECT_EQ(display.unicodeFontFace, "Other");
    EXPECT_EQ(display.fontSize, -30); // the one height, from the hex font's dialog
}

TEST(Preferences, ListsAndGroupingsAreTheSheets)
{
    Session session;
    EXPECT_EQ(GroupingItems()[GroupingItemIndex(8)].text, std::string("Quad Word (8 Bytes)"));
    EXPECT_EQ(GroupingItems()[GroupingItemIndex(1)].text, std::string("Byte"));
    EXPECT_EQ(GroupingItems()[GroupingItemIndex(3)].grouping, 2);
    const auto items = CodePageFontItems(session.codePages());
    EXPECT_EQ(items.front(), "1252 (Latin I - ANSI)");
    EXPECT_EQ(items[2], "932 ( Japanese )");
    EXPECT_EQ(items.back(), "Unicode");
    EXPECT_EQ(PreferenceColours().size(), 9u);
    EXPECT_EQ(PreferenceColours()[0].label, std::string("Offset:"));
}

} // namespace
} // namespace byteloom
