#include "settings/settings_file.h"

#include "session/session.h"
#include "settings/settings_io.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using namespace test;

// A settings file as earlier versions wrote it, with a quoted path, an empty text and a key of
// another program, is read value by value; saving it again keeps that other key.
TEST(SettingsFile, ReadsTheFilesEarlierVersionsWroteAndKeepsOtherKeys)
{
    TempFolder folder;
    const auto path = folder / "Byteloom.ini";
    const std::string old = "[General]\n"
                            "Other=kept\n"
                            "\n"
                            "[SOFTWARE]\n"
                            "Byteloom\\AddressColor=dword:00ff0000\n"
                            "Byteloom\\CodePages\\932=sz:MS Mincho\n"
                            "Byteloom\\CodePages\\FontSize=sz:16\r\n"
                            "Byteloom\\RecentFiles\\0=\"sz:/roms/game, v1.smc\"\n"
                            "Byteloom\\RecentFiles\\1=sz:\n"
                            "Byteloom\\RecentFiles\\2=\"sz:C:\\\\ROMs\\\\\\\"x\\\" \"\n"
                            "Byteloom\\Size=dword:zz\n"
                            "Byteloom\\TextColor=sz:123\n"
                            "Byteloom\\Code%20Pages\\x%20y=sz: lead\\ttab\\x1\\x39 \xc3\xa9\n"
                            "Other\\K%E9y%U6F22%UD83D%UDE00=sz:kept\n";
    WriteText(path, old);
    SettingsFile settings(path, RealFileSystem());
    ASSERT_TRUE(settings.Load().ok());
    const std::string key = "SOFTWARE\\Byteloom";
    EXPECT_EQ(settings.ReadNumber(key, "AddressColor"), 0xFF0000u);
    EXPECT_EQ(settings.ReadText(key + "\\CodePages", "932"), "MS Mincho");
    EXPECT_EQ(settings.ReadText(key + "\\CodePages", "FontSize"), "16");
    EXPECT_EQ(settings.ReadText(key + "\\RecentFiles", "0"), "/roms/game, v1.smc");
    EXPECT_EQ(settings.ReadText(key + "\\RecentFiles", "1"), "");
    EXPECT_EQ(settings.ReadText(key + "\\RecentFiles", "2"), "C:\\ROMs\\\"x\" ");
    EXPECT_EQ(settings.ReadText(key + "\\Code Pages", "x y"),
              " lead\ttab\x01"
              "9 \xc3\xa9");
    // Key names beyond ASCII as the settings library wrote them: Latin-1 "%XX", "%UXXXX" and a
    // surrogate pair.
    EXPECT_EQ(settings.ReadText("SOFTWARE\\Other", "K\xc3\xa9y\xe6\xbc\xa2\xf0\x9f\x98\x80"),
              "kept");
    // A value of the wrong type, or a number that is not one, reads as absent.
    EXPECT_EQ(settings.ReadNumber(key, "Size"), std::nullopt);
    EXPECT_EQ(settings.ReadNumber(key, "TextColor"), std::nullopt);
    EXPECT_EQ(settings.ReadText(key, "AddressColor"), std::nullopt);

    // Nothing written: nothing saved. A change is saved with everything else kept.
    ASSERT_TRUE(settings.Save().ok());
    EXPECT_EQ(ReadBytes(path), std::vector<std::uint8_t>(old.begin(), old.end()));
    settings.WriteNumber(key, "Size", 2);
    ASSERT_TRUE(settings.Save().ok());
    const auto saved = ReadBytes(path);
    const std::string text(saved.begin(), saved.end());
    EXPECT_NE(text.find("[General]\nOther=kept\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Byteloom\\Size=dword:00000002\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Other\\K%E9y%U6F22%UD83D%UDE00=sz:kept\n"), std::string::npos) << text;
    SettingsFile again(path, RealFileSystem());
    ASSERT_TRUE(again.Load().ok());
    EXPECT_EQ(again.ReadText(key + "\\RecentFiles", "2"), "C:\\ROMs\\\"x\" ");
}

// Whatever bytes a key path or a value holds, written and read again they come back the same.
TEST(SettingsFile, AnyKeysAndValuesComeBackByteForByte)
{
    std::mt19937 random(20261207);
    using namespace std::string_literals;
    // Values are any bytes; keys are text (UTF-8), as the settings library wrote them.
    const std::string bytes = "aZ09_-./\\%@\"=;,#[] \t\r\n\x01\x7f\xc3\xa9\xff\0"s;
    const std::vector<std::string> characters{"a",
                                              "Z",
                                              "0",
                                              "_",
                                              "-",
                                              ".",
                                              "/",
                                              "\\",
                                              "%",
                                              "@",
                                              "\"",
                                              "=",
                                              ";",
                                              "[",
                                              " ",
                                              "\t",
                                              "\n",
                                              "\x01",
                                              "\x7f",
                                              "\xc3\xa9",
                                              "\xe6\xbc\xa2",
                                              "\xf0\x9f\x98\x80",
                                              "\0"s};
    const auto some = [&](std::size_t most, bool text) {
        std::string made;
        for (std::size_t length = random() % (most + 1); length > 0; --length)
            made += text ? characters[random() % characters.size()]
                         : std::string(1, bytes[random() % bytes.size()]);
        return made;
    };
    for (int round = 0; round < 3000; ++round) {
        SettingsValues values;
        for (int count = static_cast<int>(random() % 6); count > 0; --count) {
            const std::string path = some(12, true);
            if (!path.empty()) // a key is never empty
                values[path] = some(20, false);
        }
        const std::string text = FormatSettingsText(values);
        ASSERT_EQ(ParseSettingsText(text), values) << text;
    }
}

// A settings file that cannot be read is reported and never written over; a folder that does
// not exist yet is made at the first save.
TEST(SettingsFile, AnUnreadableFileIsLeftAloneAndAMissingFolderIsMade)
{
    TempFolder folder;
    const auto path = folder / "Byteloom.ini";
    const std::string old = "[SOFTWARE]\nByteloom\\Size=dword:00000004\n";
    WriteText(path, old);
    test::FaultyFileSystem files;
    files.failKind = "read";
    SettingsFile settings(path, files);
    const Status loaded = settings.Load();
    ASSERT_FALSE(loaded.ok());
    EXPECT_NE(loaded.message().find("could not be read"), std::string::npos) << loaded.message();

    Session session;
    LoadSettings(settings, session.Settings());
    const auto failures = SaveSettings(settings, session.Settings());
    ASSERT_FALSE(failures.empty());
    EXPECT_NE(failures.back().find("left as it is"), std::string::npos) << failures.back();
    EXPECT_EQ(ReadBytes(path), std::vector<std::uint8_t>(old.begin(), old.end()));

    SettingsFile fresh(folder / "new" / "folder" / "Byteloom.ini", RealFileSystem());
    ASSERT_TRUE(fresh.Load().ok());
    EXPECT_TRUE(SaveSettings(fresh, session.Settings()).empty());
    SettingsFile again(folder / "new" / "folder" / "Byteloom.ini", RealFileSystem());
    ASSERT_TRUE(again.Load().ok());
    EXPECT_EQ(again.ReadText(kCodePagesSettingsKey, "FontSize"),
              std::to_string(session.display().fontSize));
}

} // namespace
} // namespace byteloom
