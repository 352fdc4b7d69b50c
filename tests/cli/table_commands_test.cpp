#include "cli_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

TEST(CliTableCommands, DumpAndStringReproduceTheSample)
{
    const auto dumped = Cli("dump {} --table {} --start 1000 --length 86 --no-clean",
                            {Example("sample.sfc"), Example("sample.tbl")});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    const auto script = ReadBytes(ExamplesFolder() / "sample-script.txt");
    EXPECT_EQ(dumped.out, std::string(script.begin(), script.end()));

    const auto decimal = Cli("string {} --table {} --start 4096 --length 14 --decimal",
                             {Example("sample.sfc"), Example("sample.tbl")});
    EXPECT_EQ(decimal.out, "Welcome to Byteloom!");
    const auto plain = Cli("string {} --start 7FC0 --length 8", {Example("sample.sfc")});
    EXPECT_EQ(plain.out, "BYTELOOM");
}

TEST(CliTableCommands, InsertWritesTheScriptAndSavesTheFile)
{
    TempFolder folder;
    const auto rom = folder / "game.sfc";
    std::filesystem::copy_file(ExamplesFolder() / "sample.sfc", rom);
    test::WriteText(folder / "script.txt", "Hello!");

    const auto inserted
        = Cli("insert {} {} --table {} --address 1000",
              {rom.string(), (folder / "script.txt").string(), Example("sample.tbl")});
    ASSERT_EQ(inserted.exitCode, 0) << inserted.err;
    EXPECT_EQ(inserted.out, "6\n");
    const auto after = Cli("string {} --table {} --start 1000 --length 8",
                           {rom.string(), Example("sample.tbl")});
    EXPECT_EQ(after.out, "Hello!e ");

    const auto raw = RunCli(
        {"insert", rom.string(), (folder / "script.txt").string(), "--raw", "--address", "FFFE"});
    EXPECT_EQ(raw.out, "2\n"); // the rest would fall beyond the end of the file
    EXPECT_EQ(raw.exitCode, 1);
    EXPECT_EQ(std::filesystem::file_size(rom), 0x10000u);

    // --shortest writes the fewest bytes and says what it saved.
    test::WriteText(folder / "short.tbl", "01=ab\n02=a\n03=bcd\n05=c\n06=d\n07=b\n");
    test::WriteText(folder / "abcd.txt", "abcd");
    const auto shortest = RunCli({"insert",
                                  rom.string(),
                                  (folder / "abcd.txt").string(),
                                  "--table",
                                  (folder / "short.tbl").string(),
                                  "--address",
                                  "20",
                                  "--shortest"});
    EXPECT_EQ(shortest.exitCode, 0) << shortest.err;
    EXPECT_EQ(shortest.out, "2\n");
    EXPECT_NE(shortest.err.find("saved 1 bytes"), std::string::npos) << shortest.err;
    EXPECT_EQ(Cli("find {} 0203 --hex", {rom.string()}).out, "00000020\n");
}

// The sample's dialogue, dumped with headers, goes back over zeros byte for byte (the other forms
// of a dump: CliConventions).
TEST(CliTableCommands, ADumpInsertedBackGivesBackTheSample)
{
    TempFolder folder;
    const auto original = ReadBytes(ExamplesFolder() / "sample.sfc");
    auto zeroed = original;
    std::fill(zeroed.begin() + 0x1000, zeroed.begin() + 0x1086, std::uint8_t{0});
    const auto rom = folder / "game.sfc";
    test::WriteBytes(rom, zeroed);
    // A dump with headers places itself; an address given with it is refused.
    const std::vector<std::string> insert{
        "insert", rom.string(), Example("sample-script.txt"), "--table", Example("sample.tbl")};
    std::vector<std::string> placed = insert;
    placed.insert(placed.end(), {"--address", "1000"});
    const auto refused = RunCli(placed);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("offset headers"), std::string::npos) << refused.err;
    const auto inserted = RunCli(insert);
    ASSERT_EQ(inserted.exitCode, 0) << inserted.err;
    EXPECT_EQ(inserted.out, "134\n");
    EXPECT_EQ(inserted.err, "");
    EXPECT_EQ(ReadBytes(rom), original);

    // What did not fit is said on stderr with the status 1; an address past the end is refused.
    const auto tail = RunCli(
        {"insert", rom.string(), Example("sample-script.txt"), "--raw", "--address", "FFF0"});
    EXPECT_EQ(tail.exitCode, 1);
    EXPECT_EQ(tail.out, "16\n");
    EXPECT_NE(tail.err.find("bytes did not fit"), std::string::npos) << tail.err;
    const auto past = RunCli(
        {"insert", rom.string(), Example("sample-script.txt"), "--raw", "--address", "10000"});
    EXPECT_EQ(past.exitCode, 2);
    EXPECT_NE(past.err.find("--address 10000 is at or beyond the end"), std::string::npos);
}

// Whatever is lost gives the status 1 with the report: a Clean dump's keys that would not insert
// back, a string cut at the end the user gave, a character no entry encodes.
TEST(CliTableCommands, LossesGiveTheStatusOne)
{
    TempFolder folder;
    test::WriteText(folder / "dte.tbl", "26=.\n0426=...\n41=A\n");
    test::WriteBytes(folder / "game.bin", {0x26, 0x26, 0x26, 0x41, 0x41, 0x41});
    const std::vector<std::string> dump{
        "dump", (folder / "game.bin").string(), "--table", (folder / "dte.tbl").string()};
    const auto clean = RunCli(dump);
    EXPECT_EQ(clean.exitCode, 1);
    EXPECT_EQ(clean.out, "...AAA");
    EXPECT_NE(clean.err.find("1 keys of this Clean dump would not insert back"), std::string::npos)
        << clean.err;
    std::vector<std::string> exact = dump;
    exact.push_back("--no-clean");
    const auto withCodes = RunCli(exact);
    EXPECT_EQ(withCodes.exitCode, 0) << withCodes.err;
    EXPECT_EQ(withCodes.out, "<00000000>\r\r\n<26>..AAA\r\r\n<end:00000006>\r\r\n");

    test::WriteText(folder / "script.txt", "AAA?");
    const auto cut = Cli("insert {} {} --table {} --address 1 --end 3",
                         {(folder / "game.bin").string(),
                          (folder / "script.txt").string(),
                          (folder / "dte.tbl").string()});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, "2\n");
    EXPECT_NE(cut.err.find("1 bytes longer than its room, which ends at 00000003"),
              std::string::npos)
        << cut.err;
    EXPECT_NE(cut.err.find("line 1 \"?\""), std::string::npos) << cut.err;
    EXPECT_EQ(ReadBytes(folder / "game.bin"),
              (std::vector<std::uint8_t>{0x26, 0x41, 0x41, 0x41, 0x41, 0x41}));
}

TEST(CliTableCommands, MistakesAreReportedAndChangeNothing)
{
    TempFolder folder;
    const auto rom = folder / "game.sfc";
    std::filesystem::copy_file(ExamplesFolder() / "sample.sfc", rom);
    const auto before = ReadBytes(rom);

    const auto missing
        = Cli("dump {} --table {}", {(folder / "nope.bin").string(), Example("sample.tbl")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("File not found"), std::string::npos);

    const auto badNumber = RunCli(
        {"insert", rom.string(), Example("sample-script.txt"), "--raw", "--address", "12G"});
    EXPECT_EQ(badNumber.exitCode, 2);
    EXPECT_NE(badNumber.err.find("Please input a hexadecimal number for --address"),
              std::string::npos);

    const auto neither
        = Cli("insert {} {} --address 0", {rom.string(), Example("sample-script.txt")});
    EXPECT_NE(neither.exitCode, 0);

    const auto noScript = RunCli(
        {"insert", rom.string(), (folder / "none.txt").string(), "--raw", "--address", "0"});
    EXPECT_EQ(noScript.exitCode, 2);
    EXPECT_EQ(ReadBytes(rom), before);

    const auto noFolder
        = Cli("dump {} --table {} -o {}",
              {rom.string(), Example("sample.tbl"), (folder / "no" / "out.txt").string()});
    EXPECT_EQ(noFolder.exitCode, 2);
    EXPECT_NE(noFolder.err.find("out.txt"), std::string::npos);
}

TEST(CliTableCommands, TblDescribesAndNormalizesATable)
{
    TempFolder folder;
    const auto shown = RunCli(
        {"tbl", Example("sample-japanese.tbl"), "--normalize", (folder / "n.tbl").string()});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("title: Japanese (932)\ncodepage: 932\nmaxKeyBytes: 2\n"),
              std::string::npos);
    EXPECT_NE(shown.out.find("00003000 Japanese dialogue"), std::string::npos);
    const auto again = Cli("tbl {}", {(folder / "n.tbl").string()});
    // The normalized table reads back the same, bookmark and all.
    EXPECT_EQ(again.out, shown.out);

    // A title and a bookmark name in Shift-JIS ("ブックマ", whose second byte reads as "}") are
    // shown as their characters and normalized whole.
    const std::string name = "\x83\x75\x83\x62\x83\x4E\x83\x7D";
    test::WriteText(folder / "j.tbl",
                    ".codepage=932\n.title=\x83\x65\n8340=x\n(10)" + name + "!\n");
    const auto japanese
        = Cli("tbl {} --normalize {}", {(folder / "j.tbl").string(), (folder / "jn.tbl").string()});
    EXPECT_NE(japanese.out.find("title: \xE3\x83\x86 (932)"), std::string::npos);
    EXPECT_NE(japanese.out.find("00000010 \xE3\x83\x96\xE3\x83\x83\xE3\x82\xAF\xE3\x83\x9E\n"),
              std::string::npos);
    const std::vector<std::uint8_t> normalized = ReadBytes(folder / "jn.tbl");
    EXPECT_NE(std::string(normalized.begin(), normalized.end()).find("(00000010)" + name + "\r\n"),
              std::string::npos);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// The sample's Japanese dialogue through the same table in UTF-8 with a labelled string end:
// the dump is UTF-8 with the label before the breaks, the rows show the characters, the loader
// names the comment, and a dump with headers inserts back byte for byte.
TEST(CliTableCommands, AUtf8TableDumpsShowsAndInsertsBackTheJapaneseDialogue)
{
    const std::string table = test::Example("sample-japanese-utf8.tbl");
    const auto dumped = test::Cli("dump {} --table {} --start 3000 --length 19 --newline crlf",
                                  {test::Example("sample.sfc"), table});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    EXPECT_EQ(dumped.out,
              "\xE3\x82\x88\xE3\x81\x86\xE3\x81\x93\xE3\x81\x9D\xEF\xBC\x81<end>\r\n\r\n"
              "\xE5\x8F\xA4\xE3\x81\x84\xE5\x9F\x8E\xE3\x81\xA7\xE5\xAE\x9D\xE3\x82\x92\xE3\x81\x95"
              "\xE3\x81\x8C\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x8F\xE3\x81\xA0\xE3\x81\x95\xE3\x81\x84"
              "\xE3\x80\x82<end>\r\n\r\n");
    const auto rows = test::RunCli(
        {"rows", test::Example("sample.sfc"), "--table", table, "--start", "3000", "--rows", "1"});
    EXPECT_NE(rows.out.find("\xE3\x82\x88\xE3\x81\x86\xE3\x81\x93\xE3\x81\x9D"), std::string::npos)
        << rows.out;
    const auto described = test::Cli("tbl {}", {table});
    EXPECT_NE(described.out.find("codepage: 65001"), std::string::npos);
    EXPECT_NE(described.out.find("1 comment (first at line 1)"), std::string::npos);

    test::TempFolder folder;
    const auto rom = folder / "game.sfc";
    std::filesystem::copy_file(test::ExamplesFolder() / "sample.sfc", rom);
    const auto script = (folder / "script.txt").string();
    ASSERT_EQ(test::Cli("dump {} --table {} --start 3000 --length 40 --no-clean -o {}",
                        {rom.string(), table, script})
                  .exitCode,
              0);
    // Every string emptied in the image, then the dump inserted back.
    std::vector<std::uint8_t> blank(0x40, 0);
    auto bytes = test::ReadBytes(rom);
    std::copy(blank.begin(), blank.end(), bytes.begin() + 0x3000);
    test::WriteBytes(rom, bytes);
    ASSERT_EQ(test::Cli("insert {} {} --table {}", {rom.string(), script, table}).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(rom), test::ReadBytes(test::ExamplesFolder() / "sample.sfc"));
}

} // namespace
} // namespace byteloom
