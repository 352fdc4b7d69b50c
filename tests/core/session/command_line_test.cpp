#include "session/command_line.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

// The words of `byteloom FILE --table TABLE --offset N`: a table named as the file goes with
// the tables, a name split at a space is put back together, the offset is hexadecimal.
TEST(CommandLine, TheWordsBecomeTheDocumentItsTablesAndTheOffset)
{
    TempFolder folder;
    WriteBytes(folder / "game.sfc", {0});
    WriteBytes(folder / "my game.sfc", {0});
    const auto exists = [](const std::string &path) {
        return std::filesystem::exists(path);
    };
    const std::string game = (folder / "game.sfc").string();
    const StartupFiles files = SortStartupFiles({game, "one.tbl"}, {"x.tbl"}, exists);
    EXPECT_EQ(files.document, game);
    EXPECT_EQ(files.tables, (std::vector<std::string>{"x.tbl", "one.tbl"}));
    const std::string spaced = (folder / "my game.sfc").string();
    const std::size_t blank = spaced.rfind(' ');
    EXPECT_EQ(
        SortStartupFiles({spaced.substr(0, blank), spaced.substr(blank + 1)}, {}, exists).document,
        spaced);

    EXPECT_EQ(ReadOffsetOption("0x1F0"), 0x1F0);
    EXPECT_EQ(ReadOffsetOption("1f0"), 0x1F0);
    EXPECT_FALSE(ReadOffsetOption("zz"));
    EXPECT_FALSE(ReadOffsetOption(""));
    EXPECT_EQ(UnquoteCommandLinePath("  \"/roms/my game.smc\" "), "/roms/my game.smc");
    EXPECT_EQ(UnquoteCommandLinePath("/roms/game.smc"), "/roms/game.smc");
}

} // namespace
} // namespace byteloom
