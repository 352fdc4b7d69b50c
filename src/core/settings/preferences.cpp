#include "settings/preferences.h"

#include "settings/program_options.h"
#include "view/code_page_list.h"
#include "view/row_layout.h"

#include <algorithm>
#include <cstdlib>

namespace byteloom {

namespace {

constexpr std::array<PreferenceColour, 9> kColours{{
    {"Offset:", &DisplaySettings::addressColor, 0x000000},
    {"Offset BG:", &DisplaySettings::addressBackground, 0xCCCCCC},
    {"Odd Column:", &DisplaySettings::oddColumnColor, 0x7F0000},
    {"Even Column:", &DisplaySettings::evenColumnColor, 0xFF0000},
    {"Hex BG:", &DisplaySettings::hexBackground, 0xFFFFFF},
    {"Text:", &DisplaySettings::textColor, 0x000000},
    {"Text BG:", &DisplaySettings::textBackground, 0xFFFFFF},
    {"Highlight BG:", &DisplaySettings::highlightColor, 0xBBBBBB},
    {"Highlight Text:", &DisplaySettings::highlightTextColor, 0x000000},
}};

constexpr std::array<GroupingItem, 4> kGroupings{{
    {"Quad Word (8 Bytes)", 8},
    {"Double Word (4 Bytes)", 4},
    {"Short Word (2 Bytes)", 2},
    {"Byte", 1},
}};

constexpr int kDefaultFontSize = -20;
constexpr int kSmallestFont = 6;
constexpr int kLargestFont = 96;

} // namespace

std::span<const PreferenceColour> PreferenceColours()
{
    return kColours;
}

std::span<const GroupingItem> GroupingItems()
{
    return kGroupings;
}

std::size_t GroupingItemIndex(int grouping)
{
    const int sound
        = grouping == 1 || grouping == 2 || grouping == 4 || grouping == 8 ? grouping : 2;
    for (std::size_t i = 0; i < kGroupings.size(); ++i) {
        if (kGroupings[i].grouping == sound)
            return i;
    }
    return 2;
}

std::vector<std::string> CodePageFontItems(const CodePageList &codePages)
{
    std::vector<std::string> items{"1252 (Latin I - ANSI)"};
    for (const CodePageEntry &entry : codePages.Entries())
        items.push_back(entry.name);
    items.emplace_back("Unicode");
    return items;
}

PreferencesCopy TakePreferences(const DisplaySettings &display,
                                const CodePageList &codePages,
                                const ProgramOptions &options)
{
    PreferencesCopy copy;
    for (std::size_t i = 0; i < kColours.size(); ++i)
        copy.colours[i] = display.*kColours[i].field;
    copy.useSystemColours = display.useSystemColours;
    copy.grouping = display.grouping;
    copy.hexFace = display.hexFontFace;
    copy.fontSize = display.fontSize;
    copy.itemFaces.push_back(display.defaultTextFontFace);
    for (const CodePageEntry &entry : codePages.Entries())
        copy.itemFaces.push_back(entry.configuredFace);
    copy.itemFaces.push_back(display.unicodeFontFace);
    copy.showSplash = options.showSplash;
    copy.allowPaging = options.allowPaging;
    return copy;
}

void LoadDefaultColours(PreferencesCopy &copy)
{
    for (std::size_t i = 0; i < kColours.size(); ++i)
        copy.colours[i] = kColours[i].defaultValue;
}

void ApplyPreferences(const PreferencesCopy &copy,
                      DisplaySettings &display,
                      CodePageList &codePages,
                      ProgramOptions &options)
{
    if (copy.displayShown) {
        for (std::size_t i = 0; i < kColours.size(); ++i)
            display.*kColours[i].field = copy.colours[i];
        display.useSystemColours = copy.useSystemColours;
        display.grouping = copy.grouping;
    }
    if (copy.fontShown) {
        display.hexFontFace = copy.hexFace;
        display.fontSize = copy.fontSize;
        auto &entries = codePages.Entries();
        if (copy.itemFaces.size() == entries.size() + 2) {
            display.defaultTextFontFace = copy.itemFaces.front();
            for (std::size_t i = 0; i < entries.size(); ++i)
                entries[i].configuredFace = copy.itemFaces[i + 1];
            display.unicodeFontFace = copy.itemFaces.back();
        }
    }
    if (copy.generalShown) {
        options.showSplash = copy.showSplash;
        options.allowPaging = copy.allowPaging;
    }
}

void MakeSettingsSound(DisplaySettings &display)
{
    display.grouping = EffectiveGrouping(display);
    if (display.fontSize == 0) {
        display.fontSize = kDefaultFontSize;
    } else {
        const int height = std::clamp(std::abs(display.fontSize), kSmallestFont, kLargestFont);
        display.fontSize = display.fontSize < 0 ? -height : height;
    }
    for (const PreferenceColour &colour : kColours)
        display.*colour.field &= 0xFFFFFF;
}

} // namespace byteloom
