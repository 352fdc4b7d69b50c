#include "session/session.h"
#include "settings/settings_io.h"
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <map>
#include <variant>

namespace byteloom {
namespace {

// Values as a registry holds them: each with its type.
class MemoryStore : public SettingsStore
{
public:
    using Value = std::variant<std::uint32_t, std::string>;
    std::map<std::string, Value> values;
    bool failTexts = false;

    std::optional<std::uint32_t> ReadNumber(std::string_view key,
                                            std::string_view name) const override
    {
        const auto found = values.find(Path(key, name));
        if (found == values.end() || !std::holds_alternative<std::uint32_t>(found->second))
            return std::nullopt;
        return std::get<std::uint32_t>(found->second);
    }
    std::optional<std::string> ReadText(std::string_view key, std::string_view name) const override
    {
        const auto found = values.find(Path(key, name));
        if (found == values.end() || !std::holds_alternative<std::string>(found->second))
            return std::nullopt;
        return std::get<std::string>(found->second);
    }
    bool WriteNumber(std::string_view key, std::string_view name, std::uint32_t value) override
    {
        values[Path(key, name)] = value;
        return true;
    }
    bool WriteText(std::string_view key, std::string_view name, std::string_view value) override
    {
        if (failTexts)
            return false;
        values[Path(key, name)] = std::string(value);
        return true;
    }
    static std::string Path(std::string_view key, std::string_view name)
    {
        return std::string(key) + "\\" + std::string(name);
    }
};

TEST(SettingsIo, DefaultsWithoutValuesAndEveryValueWrittenAtExit)
{
    MemoryStore store;
    Session session;
    LoadSettings(store, session.Settings());
    EXPECT_EQ(session.display().grouping, 2);
    EXPECT_EQ(session.display().addressBackground, 0xCCCCCCu);
    EXPECT_TRUE(session.options().allowPaging);
    EXPECT_TRUE(session.options().showSplash);
    EXPECT_TRUE(session.display().defaultCodePage);

    EXPECT_FALSE(session.options().showDataInspector);
    session.options().showDataInspector = true;
    session.options().NoteRecentFile("/a.bin");
    session.options().NoteRecentFile("/b.bin");
    session.options().NoteRecentFile("/a.bin");
    EXPECT_TRUE(SaveSettings(store, session.Settings()).empty());
    EXPECT_EQ(store.ReadNumber(kMainSettingsKey, "Size"), 2u);
    EXPECT_EQ(store.ReadNumber(kMainSettingsKey, "OddColumnColor"), 0x7F0000u);
    EXPECT_EQ(store.ReadText(kCodePagesSettingsKey, "CurrentCodePage"), "-1");
    EXPECT_EQ(store.ReadText(kCodePagesSettingsKey, "FontSize"), "-20");
    EXPECT_EQ(store.ReadText(kCodePagesSettingsKey, "Unicode"), ""); // the system's font
    EXPECT_EQ(store.ReadText(kCodePagesSettingsKey, "UseSystemColours"), "1");
    EXPECT_EQ(store.ReadText(kRecentFilesSettingsKey, "0"), "/a.bin");
    EXPECT_EQ(store.ReadText(kRecentFilesSettingsKey, "1"), "/b.bin");

    Session again;
    LoadSettings(store, again.Settings());
    EXPECT_EQ(again.options().recentFiles, (std::vector<std::string>{"/a.bin", "/b.bin"}));
    EXPECT_TRUE(again.options().showDataInspector);
    EXPECT_TRUE(again.display().useSystemColours);
    EXPECT_EQ(again.options().window.width, 0); // never placed: nothing was written

    // The window's place comes back; one too small or not four numbers is not taken.
    session.options().window = {-20, 40, 1024, 700};
    EXPECT_TRUE(SaveSettings(store, session.Settings()).empty());
    LoadSettings(store, again.Settings());
    EXPECT_EQ(again.options().window, (ProgramOptions::WindowPlace{-20, 40, 1024, 700}));
    for (const char *nonsense : {"1 2 3 4", "1 2 3000", "1 2 300 300 5", "a b c d"}) {
        store.values[MemoryStore::Path(kCodePagesSettingsKey, "WindowPlace")]
            = std::string(nonsense);
        Session fresh;
        LoadSettings(store, fresh.Settings());
        EXPECT_EQ(fresh.options().window.width, 0) << nonsense;
    }

    // Kept at 1x and opened at 2x (an area half as large): the window comes back whole, moved
    // in as little as it needs; never smaller than it can be; not on a screen it was not on.
    using Place = ProgramOptions::WindowPlace;
    const Place half{0, 0, 640, 450};
    EXPECT_EQ(FitWindowPlace({170, 137, 940, 640}, half, 300, 200), (Place{0, 0, 640, 450}));
    EXPECT_EQ(FitWindowPlace({170, 137, 400, 300}, half, 300, 200), (Place{170, 137, 400, 300}));
    EXPECT_EQ(FitWindowPlace({500, 300, 400, 300}, half, 300, 200), (Place{240, 150, 400, 300}));
    EXPECT_EQ(FitWindowPlace({170, 137, 940, 640}, half, 700, 200), (Place{0, 0, 700, 450}));
    EXPECT_EQ(FitWindowPlace({600, 137, 400, 300}, half, 300, 200), std::nullopt);
    EXPECT_EQ(FitWindowPlace({-20, 40, 1024, 700}, {0, 0, 1920, 1080}, 300, 200),
              (Place{0, 40, 1024, 700}));
}

TEST(SettingsIo, StoredValuesAreTakenOnlyWithTheirType)
{
    MemoryStore store;
    store.values[MemoryStore::Path(kMainSettingsKey, "Size")] = std::string("4");
    store.values[MemoryStore::Path(kMainSettingsKey, "TextColor")] = std::uint32_t{0x123456};
    store.values[MemoryStore::Path(kCodePagesSettingsKey, "CurrentCodePage")] = std::string("2");
    store.values[MemoryStore::Path(kCodePagesSettingsKey, "AllowPaging")] = std::string("0");
    store.values[MemoryStore::Path(kCodePagesSettingsKey, "ShowSplash")] = std::uint32_t{0};
    Session session;
    LoadSettings(store, session.Settings());
    EXPECT_EQ(session.display().grouping, 2);
    EXPECT_EQ(session.display().textColor, 0x123456u);
    // Settings written before "Use system colours" keep the colours their user saw.
    EXPECT_FALSE(session.display().useSystemColours);
    EXPECT_FALSE(session.display().defaultCodePage);
    EXPECT_EQ(session.display().codePageIndex, 2);
    EXPECT_FALSE(session.options().allowPaging);
    EXPECT_TRUE(session.options().showSplash);

    store.failTexts = true;
    const auto failures = SaveSettings(store, session.Settings());
    // Nine values, the five code pages' faces, the recent files.
    ASSERT_EQ(failures.size(), 15u);
    EXPECT_EQ(failures[0], "AllowPaging was not able to be written");
    EXPECT_EQ(failures[2], "CurrentCodePageKey was not able to be written");
    EXPECT_EQ(failures[6], "UnicodeFontKey was not able to be written");
    EXPECT_EQ(failures[7], "UseSystemColours was not able to be written");
    EXPECT_EQ(failures[10], "Could not write the system's font to key 932");
}

// Code pages' faces are kept under their numbers, and nonsense in the file starts the editor
// with the nearest sound value.
TEST(SettingsIo, CodePageFacesRoundTripAndNonsenseIsMadeSound)
{
    MemoryStore store;
    Session session;
    session.codePages().Entries()[1].configuredFace = "Noto Sans CJK JP";
    ASSERT_TRUE(SaveSettings(store, session.Settings()).empty());
    EXPECT_EQ(store.ReadText(kCodePagesSettingsKey, "932"), "Noto Sans CJK JP");
    store.values[MemoryStore::Path(kMainSettingsKey, "Size")] = std::uint32_t{3};
    store.values[MemoryStore::Path(kMainSettingsKey, "TextColor")] = std::uint32_t{0xFF123456};
    store.values[MemoryStore::Path(kCodePagesSettingsKey, "FontSize")] = std::string("-5000");
    store.values[MemoryStore::Path(kCodePagesSettingsKey, "HexFont")] = std::string("No Such Face");
    Session again;
    LoadSettings(store, again.Settings());
    EXPECT_EQ(again.codePages().Entries()[1].configuredFace, "Noto Sans CJK JP");
    EXPECT_EQ(again.display().grouping, 2);
    EXPECT_EQ(again.display().textColor, 0x123456u);
    EXPECT_EQ(again.display().fontSize, -96);
    EXPECT_EQ(again.display().hexFontFace, "No Such Face"); // the view falls back to a fixed face
}

} // namespace
} // namespace byteloom
