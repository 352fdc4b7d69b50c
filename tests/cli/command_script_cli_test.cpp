#include "cli_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

constexpr const char *kHead = "#VAR(T, TABLE)\n#ADDTBL(\"game.tbl\", T)\n#ACTIVETBL(T)\n"
                              "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n"
                              "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, $100, 2, P)\n"
                              "#AUTOWRITE(PT, \"<end>\")\n";

class CliCommandScripts : public testing::Test
{
protected:
    CliCommandScripts()
    {
        WriteBytes(rom, std::vector<std::uint8_t>(0x200, 0xEE));
        WriteText(folder / "game.tbl", "41=A\n42=B\n/00=<end>\n");
    }
    std::string Script(const std::string &name, const std::string &body)
    {
        WriteText(folder / name, kHead + body);
        return (folder / name).string();
    }

    TempFolder folder;
    std::filesystem::path rom = folder / "game.bin";
};

TEST_F(CliCommandScripts, ScriptsFollowOneAnotherAndTheStatusSaysWhatWasLost)
{
    const std::string one = Script("one.txt", "#JMP($10)\nAB<end>\n");
    const std::string two = Script("two.txt", "#JMP($20, $22, \"Menu\")\nBA<end>A<end>\n");
    const std::vector<std::uint8_t> before = ReadBytes(rom);

    const auto checked = Cli("insert {} {} {} --check", {rom.string(), one, two});
    EXPECT_EQ(checked.exitCode, 1) << checked.err;
    EXPECT_EQ(ReadBytes(rom), before);
    EXPECT_NE(checked.err.find("two.txt line 10 in Menu: the string at $23 lost 2 bytes"),
              std::string::npos)
        << checked.err;

    const auto inserted = Cli("insert {} {} {}", {rom.string(), one, two});
    EXPECT_EQ(inserted.exitCode, 1) << inserted.err;
    EXPECT_EQ(inserted.out, "6\n");
    EXPECT_EQ(inserted.err, checked.err);
    std::vector<std::uint8_t> expected = before;
    for (const auto &[offset, byte] : std::initializer_list<std::pair<int, int>>{{0x10, 0x41},
                                                                                 {0x11, 0x42},
                                                                                 {0x12, 0x00},
                                                                                 {0x20, 0x42},
                                                                                 {0x21, 0x41},
                                                                                 {0x22, 0x00},
                                                                                 {0x100, 0x10},
                                                                                 {0x101, 0x00},
                                                                                 {0x100, 0x20},
                                                                                 {0x102, 0x23},
                                                                                 {0x103, 0x00}})
        expected[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(byte);
    EXPECT_EQ(ReadBytes(rom), expected);

    const auto whole = Cli("insert {} {}", {rom.string(), one});
    EXPECT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.err.find("1 block, 3 bytes of text, 1 pointer (pointer tables 1)."),
              std::string::npos)
        << whole.err;
}

TEST_F(CliCommandScripts, ErrorsWriteNothingAndOptionsForPlainScriptsAreRefused)
{
    const std::vector<std::uint8_t> before = ReadBytes(rom);
    const std::string bad = Script("bad.txt", "#JMP($10)\nA\n#BLINK(1)\nAxB\n");
    const auto failed = Cli("insert {} {}", {rom.string(), bad});
    EXPECT_EQ(failed.exitCode, 2);
    EXPECT_NE(failed.err.find("2 errors; nothing was written:\n  bad.txt line 11: Unknown command "
                              "#BLINK\n  bad.txt line 12: No entry of the table game.tbl encodes "
                              "\"x\""),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(ReadBytes(rom), before);

    const std::string good = Script("good.txt", "#JMP($10)\nA\n");
    for (const char *option : {"--table {}", "--address 10", "--raw"}) {
        const auto refused = Cli(std::string("insert {} {} ") + option,
                                 {rom.string(), good, (folder / "game.tbl").string()});
        EXPECT_EQ(refused.exitCode, 2) << option;
        EXPECT_NE(refused.err.find("is not for command scripts"), std::string::npos) << refused.err;
    }
    WriteText(folder / "plain.txt", "AB");
    const auto mixed
        = Cli("insert {} {} {}", {rom.string(), good, (folder / "plain.txt").string()});
    EXPECT_EQ(mixed.exitCode, 2);
    const auto noTable = Cli("insert {} {}", {rom.string(), (folder / "plain.txt").string()});
    EXPECT_EQ(noTable.exitCode, 2);
    EXPECT_NE(noTable.err.find("Give --table TABLE or --raw"), std::string::npos);
    EXPECT_EQ(ReadBytes(rom), before);
}

TEST_F(CliCommandScripts, APointerTableDumpInsertsBackByteForByte)
{
    std::vector<std::uint8_t> image(0x40, 0xEE);
    const std::vector<std::uint8_t> pointers{0x20, 0x00, 0x23, 0x00, 0xFF, 0x7F};
    const std::vector<std::uint8_t> strings{0x41, 0x42, 0x00, 0x42, 0x00};
    std::copy(pointers.begin(), pointers.end(), image.begin() + 0x10);
    std::copy(strings.begin(), strings.end(), image.begin() + 0x20);
    WriteBytes(rom, image);
    const std::string script = (folder / "dump.txt").string();
    const auto dumped = Cli("dump {} --table {} --pointers 10 --count 2 --pointer-size 16 -o {}",
                            {rom.string(), (folder / "game.tbl").string(), script});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    EXPECT_EQ(dumped.err, "byteloom-cli: 2 strings, 2 pointers dumped.\n");
    const auto inserted = Cli("insert {} {}", {rom.string(), script});
    EXPECT_EQ(inserted.exitCode, 0) << inserted.err;
    EXPECT_EQ(ReadBytes(rom), image);

    // A pointer outside the file is set aside, and the status says something would be lost.
    const auto third = Cli("dump {} --table {} --pointers 10 --count 3 -o {}",
                           {rom.string(), (folder / "game.tbl").string(), script});
    EXPECT_EQ(third.exitCode, 1);
    EXPECT_NE(third.err.find("1 pointer was kept out of the blocks"), std::string::npos)
        << third.err;
    EXPECT_EQ(Cli("dump {} --table {} --pointers 10 --count 2 --start 4",
                  {rom.string(), (folder / "game.tbl").string()})
                  .exitCode,
              2);

    // The pointers to the second string, in their form; none to a byte of padding.
    const auto found = Cli("pointers {} --to 23", {rom.string()});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_EQ(found.out, "00000012 16-bit LINEAR little-endian\n");
    EXPECT_EQ(Cli("pointers {} --to 30 --address-type HIROM", {rom.string()}).exitCode, 1);
    EXPECT_EQ(Cli("pointers {} --to 40", {rom.string()}).exitCode, 2);
}

} // namespace
} // namespace byteloom
