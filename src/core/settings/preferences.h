#pragma once

#include "view/display_settings.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

class CodePageList;
struct ProgramOptions;

// One colour of the Display page: its label, its field and the value "Load Defaults" gives it.
struct PreferenceColour
{
    const char *label;
    std::uint32_t DisplaySettings::*field;
    std::uint32_t defaultValue;
};
[[nodiscard]] std::span<const PreferenceColour> PreferenceColours();

// "Byte Groupings:", top to bottom, with the grouping each stands for.
struct GroupingItem
{
    const char *text;
    int grouping;
};
[[nodiscard]] std::span<const GroupingItem> GroupingItems();
// The item a grouping selects (a stored grouping outside 1, 2, 4, 8 reads as 2).
[[nodiscard]] std::size_t GroupingItemIndex(int grouping);

// The Font page's "Code Pages:" list: "1252 (Latin I - ANSI)", each listed code page, "Unicode".
[[nodiscard]] std::vector<std::string> CodePageFontItems(const CodePageList &codePages);

// The sheet's working copies, taken when it opens; OK gives back only the pages that were shown.
struct PreferencesCopy
{
    std::array<std::uint32_t, 9> colours{};
    bool useSystemColours = true;
    int grouping = 2;
    std::string hexFace;
    int fontSize = -20;
    std::vector<std::string> itemFaces; // one per CodePageFontItems entry
    bool showSplash = true;
    bool allowPaging = true;
    bool displayShown = false;
    bool fontShown = false;
    bool generalShown = false;
};

[[nodiscard]] PreferencesCopy TakePreferences(const DisplaySettings &display,
                                              const CodePageList &codePages,
                                              const ProgramOptions &options);
// "Load Defaults": the nine colours of the table; the grouping stays.
void LoadDefaultColours(PreferencesCopy &copy);
// OK: the working copies of the shown pages become the settings.
void ApplyPreferences(const PreferencesCopy &copy,
                      DisplaySettings &display,
                      CodePageList &codePages,
                      ProgramOptions &options);

// Settings as a settings file may hold them, made sound: a grouping outside 1, 2, 4 and 8 is 2,
// a font height is kept between 6 and 96 pixels (0 is the default), colours keep 24 bits.
void MakeSettingsSound(DisplaySettings &display);

} // namespace byteloom
