// byteloom-cli as a build script relies on it: exit statuses, refusals that change nothing,
// standard streams, and scripts in UTF-8 or with other line breaks that insert back the same.
#include "cli_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace byteloom {
namespace {

using namespace test;

bool Refused(const test::CliRun &run, const std::string &said)
{
    return run.exitCode == 2 && run.err.rfind("byteloom-cli: ", 0) == 0
           && run.err.find(said) != std::string::npos;
}

TEST(CliConventions, ExitStatusesAreZeroOneOrTwoAndRefusalsChangeNothing)
{
    TempFolder folder;
    const auto rom = folder / "game.sfc";
    std::filesystem::copy_file(ExamplesFolder() / "sample.sfc", rom);
    const auto original = ReadBytes(rom);
    const std::string path = rom.string();

    EXPECT_TRUE(Refused(RunCli({}), "")) << "no arguments: the usage and status 2";
    EXPECT_NE(RunCli({}).err.find("Usage:"), std::string::npos);
    EXPECT_TRUE(Refused(Cli("tbl {} --bogus", {Example("sample.tbl")}), "--bogus"));
    EXPECT_EQ(Cli("--help").exitCode, 0);
    EXPECT_NE(Cli("--help").out.find("Exit status: 0 success; 1 something lost"),
              std::string::npos);
    EXPECT_EQ(RunCli({"find", path, "NOT THERE"}).exitCode, 1);

    // A start or address at or beyond the end of the file.
    const std::string end = "10000";
    EXPECT_TRUE(Refused(Cli("dump {} --table {} --start {}", {path, Example("sample.tbl"), end}),
                        "--start 10000 is at or beyond the end"));
    EXPECT_TRUE(Refused(Cli("string {} --start {} --length 1", {path, end}), "--start"));
    EXPECT_TRUE(Refused(Cli("copy-as text {} --start {} --length 1", {path, end}), "--start"));
    EXPECT_TRUE(Refused(Cli("rows {} --start {}", {path, end}), "--start"));
    EXPECT_TRUE(
        Refused(Cli("insert {} {} --raw --address {}", {path, Example("sample-script.txt"), end}),
                "--address"));
    // Values that would be cut or mean nothing.
    EXPECT_TRUE(Refused(Cli("expand {} --by 10 --fill 100", {path}), "not a byte"));
    EXPECT_TRUE(Refused(Cli("rows {} --rows 0", {path}), "--rows"));
    EXPECT_TRUE(Refused(RunCli({"find", path, ""}), "pattern"));
    EXPECT_TRUE(Refused(RunCli({"find", path, " ", "--hex"}), "pattern"));
    EXPECT_TRUE(Refused(Cli("find {} {}", {path, std::string(100, 'A')}), "longer than the 99"));
    EXPECT_TRUE(Refused(Cli("insert - {} --raw --address 0", {Example("sample-script.txt")}),
                        "not - (standard input)"));
    EXPECT_TRUE(Refused(Cli("string {} --start 123456789 --length 1", {path}),
                        "beyond the end of the file"));
    EXPECT_TRUE(Refused(Cli("string {} --start 80000000000000000 --length 1", {path}),
                        "is too large (at most 7FFFFFFFFFFFFFFF)"));
    EXPECT_TRUE(Refused(Cli("split {} --bank-size 20000", {path}), "bank size is larger"));
    // A dump written over the file it reads, through another path to it.
    EXPECT_TRUE(
        Refused(Cli("dump {} --table {} -o {}",
                    {path, Example("sample.tbl"), (folder.path() / "." / "game.sfc").string()}),
                "is the file being dumped"));
    EXPECT_EQ(ReadBytes(rom), original);
    // ... or over its table.
    std::filesystem::copy_file(ExamplesFolder() / "sample.tbl", folder / "t.tbl");
    const auto table = ReadBytes(folder / "t.tbl");
    EXPECT_TRUE(Refused(Cli("dump {} --table {} -o {}",
                            {path, (folder / "t.tbl").string(), (folder / "t.tbl").string()}),
                        "or its table"));
    EXPECT_EQ(ReadBytes(folder / "t.tbl"), table);
    // A directory is called one, and a split says what it left out.
    EXPECT_TRUE(Refused(Cli("rows {}", {folder.path().string()}), "is a directory"));
    const auto split = Cli("split {} --bank-size 6000", {path});
    EXPECT_EQ(split.exitCode, 0);
    EXPECT_EQ(split.out, "2 bank files written\n");
    EXPECT_NE(split.err.find("the last 4000 bytes"), std::string::npos);

    // Output that cannot be written is an error, whatever the subcommand.
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device that is always full, as /dev/full is";
#endif
    const test::CliStreams full{"", "/dev/full"};
    for (const std::vector<std::string> &command :
         {std::vector<std::string>{"find", path, "BYTELOOM"},
          {"copy-as", "int", path, "--start", "0", "--length", "40"},
          {"tbl", Example("sample.tbl")},
          {"string", path, "--start", "7FC0", "--length", "8"},
          {"dump", path, "--table", Example("sample.tbl")},
          {"rows", path},
          {"--help"}})
        EXPECT_TRUE(Refused(RunCli(command, full), "Unable to write to standard output"))
            << command[0];
}

TEST(CliConventions, StandardStreamsAndScriptFormsInsertBackTheSame)
{
    TempFolder folder;
    const std::string sample = Example("sample.sfc");
    const test::CliStreams fromSample{sample, ""};
    EXPECT_EQ(Cli("find - BYTELOOM", {}, fromSample).out, "00007FC0\n");
    EXPECT_EQ(Cli("string - --start 7FC0 --length 8", {}, fromSample).out, "BYTELOOM");
    EXPECT_EQ(Cli("rows - --start 7FC0 --rows 1", {}, fromSample).out,
              Cli("rows {} --start 7FC0 --rows 1", {sample}).out);
    const auto stdoutDump = Cli("dump - --table {} --start 1000 --length 86 --no-clean -o -",
                                {Example("sample.tbl")},
                                fromSample);
    const auto script = ReadBytes(ExamplesFolder() / "sample-script.txt");
    EXPECT_EQ(stdoutDump.out, std::string(script.begin(), script.end()));

    // Every line-break form, and UTF-8 through a code page 932 table, inserts back the same.
    const auto original = ReadBytes(ExamplesFolder() / "sample.sfc");
    struct Form
    {
        const char *table;
        std::vector<std::string> options;
        std::size_t start;
        std::size_t length;
    };
    const Form forms[] = {
        {"sample.tbl", {"--newline", "lf"}, 0x1000, 0x86},
        {"sample.tbl", {"--newline", "crlf", "--no-clean"}, 0x1000, 0x86},
        {"sample-japanese.tbl", {"--utf8"}, 0x3000, 0x24},
        {"sample-japanese.tbl", {"--utf8", "--newline", "lf", "--no-clean"}, 0x3000, 0x24},
    };
    for (const Form &form : forms) {
        std::vector<std::string> dump{"dump",
                                      sample,
                                      "--table",
                                      Example(form.table),
                                      "--start",
                                      std::to_string(form.start),
                                      "--length",
                                      std::to_string(form.length),
                                      "--decimal"};
        dump.insert(dump.end(), form.options.begin(), form.options.end());
        const auto dumped = RunCli(dump);
        ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
        const bool lf
            = std::find(form.options.begin(), form.options.end(), "lf") != form.options.end();
        EXPECT_EQ(dumped.out.find('\r') == std::string::npos, lf);
        test::WriteBytes(folder / "script.txt",
                         std::vector<std::uint8_t>(dumped.out.begin(), dumped.out.end()));

        auto zeroed = original;
        std::fill(zeroed.begin() + static_cast<std::ptrdiff_t>(form.start),
                  zeroed.begin() + static_cast<std::ptrdiff_t>(form.start + form.length),
                  std::uint8_t{0});
        const auto rom = folder / "game.sfc";
        test::WriteBytes(rom, zeroed);
        std::vector<std::string> insert{
            "insert", rom.string(), "-", "--table", Example(form.table), "--decimal"};
        // A dump with headers places itself.
        if (std::find(form.options.begin(), form.options.end(), "--no-clean") == form.options.end())
            insert.insert(insert.end(), {"--address", std::to_string(form.start)});
        if (form.options[0] == "--utf8")
            insert.push_back("--utf8");
        const auto inserted = RunCli(insert, {(folder / "script.txt").string(), ""});
        ASSERT_EQ(inserted.exitCode, 0) << inserted.err;
        EXPECT_EQ(ReadBytes(rom), original) << form.table << " " << form.options[0];
    }
}

} // namespace
} // namespace byteloom
