// The command lines of the malformed corpus (tests/malformed/MANIFEST, kind "cli"): each ends
// with exit status 2 and a reason, and leaves the files as they were.
#include "cli_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace byteloom {
namespace {

TEST(CliMalformed, EveryBadCommandLineIsRefusedAndChangesNothing)
{
    std::ifstream manifest(std::filesystem::path(BYTELOOM_MALFORMED_DIR) / "MANIFEST");
    int seen = 0;
    for (std::string line; std::getline(manifest, line);) {
        if (!line.starts_with("cli\t"))
            continue;
        ++seen;
        const std::string command = line.substr(4, line.rfind('\t') - 4);
        SCOPED_TRACE(command);
        test::TempFolder folder;
        const auto rom = folder / "rom.sfc";
        std::filesystem::copy_file(test::ExamplesFolder() / "sample.sfc", rom);
        const auto original = test::ReadBytes(rom);
        std::vector<std::string> arguments;
        std::stringstream words(command);
        for (std::string word; words >> word;) {
            if (word == "{rom}")
                word = rom.string();
            else if (word == "{tbl}")
                word = test::Example("sample.tbl");
            else if (word == "{dir}")
                word = folder.path().string();
            arguments.push_back(word);
        }
        const test::CliRun run = test::RunCli(arguments);
        EXPECT_EQ(run.exitCode, 2) << run.err;
        EXPECT_FALSE(run.err.empty());
        EXPECT_EQ(test::ReadBytes(rom), original);
        EXPECT_EQ(test::EntriesIn(folder.path()), 1u);
    }
    EXPECT_GE(seen, 15);
}

} // namespace
} // namespace byteloom
