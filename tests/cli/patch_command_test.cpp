// byteloom-cli patch: made after a dump, edit and insert of the sample, applied back; every
// refusal ends with status 2 and changes no file.
#include "cli_runner.h"
#include "support/platform.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace byteloom {
namespace {

TEST(CliPatch, PatchesOfATranslatedSampleApplyBackAndRefusalsChangeNothing)
{
    test::TempFolder folder;
    const auto original = folder / "original.sfc";
    const auto translated = folder / "translated.sfc";
    std::filesystem::copy_file(test::ExamplesFolder() / "sample.sfc", original);
    std::filesystem::copy_file(original, translated);
    // The translation: the dialogue dumped, one word changed, inserted back.
    const std::string table = test::Example("sample.tbl");
    const auto script = (folder / "script.txt").string();
    ASSERT_EQ(test::Cli("dump {} --table {} --start 1000 --length 86 --no-clean -o {}",
                        {translated.string(), table, script})
                  .exitCode,
              0);
    auto text = test::ReadBytes(script);
    std::string edited(text.begin(), text.end());
    edited.replace(edited.find("treasure in"), 11, "treasure");
    test::WriteBytes(script, {edited.begin(), edited.end()});
    ASSERT_EQ(test::Cli("insert {} {} --table {}", {translated.string(), script, table}).exitCode,
              0);
    ASSERT_NE(test::ReadBytes(translated), test::ReadBytes(original));

    for (const char *kind : {"ips", "bps"}) {
        SCOPED_TRACE(kind);
        const auto patch = (folder / (std::string("game.") + kind)).string();
        ASSERT_EQ(
            test::Cli("patch create {} {} -o {}", {original.string(), translated.string(), patch})
                .exitCode,
            0);
        // Applied in place, the image stays the same file: its hard link and its owner too.
        const auto copy = folder / "copy.sfc";
        const auto twin = folder / "twin.sfc";
        std::filesystem::remove(copy);
        std::filesystem::remove(twin);
        std::filesystem::copy_file(original, copy);
        std::filesystem::create_hard_link(copy, twin);
#ifdef _WIN32
        [[maybe_unused]] const bool chowned
            = false; // Windows keeps a file's owner in its security, not a number
#else
        const bool chowned = ::chown(copy.c_str(), 4321, 4321) == 0;
#endif
        ASSERT_EQ(test::Cli("patch apply {} {}", {copy.string(), patch}).exitCode, 0);
        EXPECT_EQ(test::ReadBytes(copy), test::ReadBytes(translated));
        EXPECT_EQ(test::ReadBytes(twin), test::ReadBytes(translated));
        EXPECT_EQ(test::LinkCount(copy), 2u);
#ifndef _WIN32
        struct stat status
        {};
        ASSERT_EQ(::stat(copy.c_str(), &status), 0);
        if (chowned) {
            EXPECT_EQ(status.st_uid, 4321u);
        }
#endif
        // The patch is for the original: applied to the translation it is refused (BPS knows by
        // its checksum) or gives a defined image (IPS cannot tell), and a damaged one is refused.
        const auto before = test::ReadBytes(copy);
        if (std::string(kind) == "bps") {
            const auto refused = test::Cli("patch apply {} {}", {copy.string(), patch});
            EXPECT_EQ(refused.exitCode, 2);
            EXPECT_NE(refused.err.find("different image"), std::string::npos);
            EXPECT_EQ(test::ReadBytes(copy), before);
        }
        auto cut = test::ReadBytes(patch);
        cut.resize(cut.size() - 5);
        test::WriteBytes(folder / "cut.patch", cut);
        EXPECT_EQ(test::Cli("patch apply {} {}", {copy.string(), (folder / "cut.patch").string()})
                      .exitCode,
                  2);
        EXPECT_EQ(test::ReadBytes(copy), before);
    }
    const auto wrongName
        = test::Cli("patch create {} {} -o {}",
                    {original.string(), translated.string(), (folder / "game.zip").string()});
    EXPECT_EQ(wrongName.exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "game.zip"));
}

} // namespace
} // namespace byteloom
