#include "settings/settings_io.h"

#include "settings/preferences.h"
#include "settings/program_options.h"
#include "settings/settings_store.h"
#include "view/code_page_list.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace byteloom {

namespace {

struct NumberValue
{
    const char *name;
    std::uint32_t DisplaySettings::*colour;
};

// The colour values of the main key, in their order; "Size" (the grouping) comes first.
constexpr std::array<NumberValue, 9> kColours{{
    {"AddressColor", &DisplaySettings::addressColor},
    {"AddressBGColor", &DisplaySettings::addressBackground},
    {"OddColumnColor", &DisplaySettings::oddColumnColor},
    {"EvenColumnColor", &DisplaySettings::evenColumnColor},
    {"HexBGColorKey", &DisplaySettings::hexBackground},
    {"HighlightColor", &DisplaySettings::highlightColor},
    {"TextColor", &DisplaySettings::textColor},
    {"TextBGColor", &DisplaySettings::textBackground},
    {"HighlightTextColor", &DisplaySettings::highlightTextColor},
}};

std::optional<int> ReadDecimal(const SettingsStore &store, const char *name)
{
    const auto text = store.ReadText(kCodePagesSettingsKey, name);
    if (!text)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error != std::errc() || end == text->data())
        return std::nullopt;
    return value;
}

void ReadFace(const SettingsStore &store, const char *name, std::string &face)
{
    if (auto text = store.ReadText(kCodePagesSettingsKey, name))
        face = *text;
}

} // namespace

void LoadSettings(const SettingsStore &store, const SettingsRecords &records)
{
    DisplaySettings &display = records.display;
    ProgramOptions &options = records.options;
    if (auto size = store.ReadNumber(kMainSettingsKey, "Size"))
        display.grouping = static_cast<std::int32_t>(*size);
    bool coloursStored = false;
    for (const NumberValue &value : kColours) {
        if (auto colour = store.ReadNumber(kMainSettingsKey, value.name)) {
            display.*value.colour = *colour;
            coloursStored = true;
        }
    }
    // Settings from before "Use system colours" keep the colours their user saw.
    if (auto system = ReadDecimal(store, "UseSystemColours"))
        display.useSystemColours = *system != 0;
    else if (coloursStored)
        display.useSystemColours = false;
    if (auto paging = ReadDecimal(store, "AllowPaging"))
        options.allowPaging = *paging != 0;
    if (auto splash = ReadDecimal(store, "ShowSplash"))
        options.showSplash = *splash != 0;
    if (auto inspector = ReadDecimal(store, "ShowDataInspector"))
        options.showDataInspector = *inspector != 0;
    // "left top width height"; anything else, or a window too small to use, is not taken.
    if (auto place = store.ReadText(kCodePagesSettingsKey, "WindowPlace")) {
        ProgramOptions::WindowPlace read;
        char rest = 0;
        if (std::sscanf(place->c_str(),
                        "%d %d %d %d %c",
                        &read.left,
                        &read.top,
                        &read.width,
                        &read.height,
                        &rest)
                == 4
            && read.width >= 200 && read.height >= 150 && read.width <= 100000
            && read.height <= 100000)
            options.window = read;
    }
    if (auto codePage = ReadDecimal(store, "CurrentCodePage")) {
        display.defaultCodePage = *codePage == -1;
        display.codePageIndex = *codePage == -1 ? 0 : *codePage;
    }
    ReadFace(store, "HexFont", display.hexFontFace);
    if (auto fontSize = ReadDecimal(store, "FontSize"))
        display.fontSize = *fontSize;
    ReadFace(store, "1252", display.defaultTextFontFace);
    ReadFace(store, "Unicode", display.unicodeFontFace);
    for (CodePageEntry &entry : records.codePages.Entries())
        ReadFace(store, std::to_string(entry.number).c_str(), entry.configuredFace);
    MakeSettingsSound(display);

    std::vector<std::string> recent;
    for (std::size_t i = 0; i < ProgramOptions::kMaxRecentFiles; ++i) {
        if (auto path = store.ReadText(kRecentFilesSettingsKey, std::to_string(i));
            path && !path->empty())
            recent.push_back(*path);
    }
    if (!recent.empty())
        options.recentFiles = recent;
}

std::vector<std::string> SaveSettings(SettingsStore &store, const SettingsRecords &records)
{
    const DisplaySettings &display = records.display;
    const ProgramOptions &options = records.options;
    // The grouping and the colours are written without a word when they fail, as they always were.
    store.WriteNumber(kMainSettingsKey, "Size", static_cast<std::uint32_t>(display.grouping));
    for (const NumberValue &value : kColours)
        store.WriteNumber(kMainSettingsKey, value.name, display.*value.colour);

    std::vector<std::string> failures;
    const auto write = [&](const char *name, const std::string &text, const char *failure) {
        if (!store.WriteText(kCodePagesSettingsKey, name, text))
            failures.emplace_back(failure);
    };
    const int codePage = display.defaultCodePage ? -1 : display.codePageIndex;
    write("AllowPaging",
          std::to_string(options.allowPaging ? 1 : 0),
          "AllowPaging was not able to be written");
    write("ShowSplash",
          std::to_string(options.showSplash ? 1 : 0),
          "ShowSplash was not able to be written");
    write("CurrentCodePage",
          std::to_string(codePage),
          "CurrentCodePageKey was not able to be written");
    write("HexFont", display.hexFontFace, "HexFontKey was not able to be written");
    write("1252", display.defaultTextFontFace, "1252 was not able to be written");
    write("FontSize", std::to_string(display.fontSize), "FontSize was not able to be written");
    write("Unicode", display.unicodeFontFace, "UnicodeFontKey was not able to be written");
    write("UseSystemColours",
          std::to_string(display.useSystemColours ? 1 : 0),
          "UseSystemColours was not able to be written");
    write("ShowDataInspector",
          std::to_string(options.showDataInspector ? 1 : 0),
          "ShowDataInspector was not able to be written");
    if (options.window.width > 0) {
        const ProgramOptions::WindowPlace &place = options.window;
        write("WindowPlace",
              std::to_string(place.left) + " " + std::to_string(place.top) + " "
                  + std::to_string(place.width) + " " + std::to_string(place.height),
              "WindowPlace was not able to be written");
    }
    for (const CodePageEntry &entry : records.codePages.Entries()) {
        const std::string number = std::to_string(entry.number);
        if (!store.WriteText(kCodePagesSettingsKey, number, entry.configuredFace))
            failures.push_back("Could not write "
                               + (entry.configuredFace.empty() ? std::string("the system's font")
                                                               : entry.configuredFace)
                               + " to key " + number);
    }

    bool recentWritten = true;
    for (std::size_t i = 0; i < ProgramOptions::kMaxRecentFiles; ++i) {
        const std::string path
            = i < options.recentFiles.size() ? options.recentFiles[i] : std::string();
        recentWritten
            = store.WriteText(kRecentFilesSettingsKey, std::to_string(i), path) && recentWritten;
    }
    if (!recentWritten)
        failures.emplace_back("RecentFiles was not able to be written");
    if (Status saved = store.Save(); !saved.ok())
        failures.push_back(saved.message());
    return failures;
}

} // namespace byteloom
