#include "cli_runner.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>

namespace byteloom {
namespace {

using namespace test;

std::string Sample()
{
    return (ExamplesFolder() / "sample.sfc").string();
}

TEST(CliEngineCommands, FindPrintsHitsAndSaysWhenThereAreNone)
{
    const auto plain = Cli("find {} BYTELOOM", {Sample()});
    EXPECT_EQ(plain.exitCode, 0);
    EXPECT_EQ(plain.out, "00007FC0\n");
    // The dialogue is in the sample's own encoding: only a relative search finds it.
    EXPECT_EQ(Cli("find {} ables", {Sample()}).exitCode, 1);
    EXPECT_EQ(Cli("find {} ables --relative", {Sample()}).out, "00001050\n");

    const auto all = Cli("find {} FF --hex --all --from 1000", {Sample()});
    EXPECT_EQ(all.out.substr(0, 27), "00001026\n0000104E\n00001085\n");
    const auto wild = Cli("find {} B*TELOOM", {Sample()});
    EXPECT_EQ(wild.out, "00007FC0\n");
    const auto none = Cli("find {} 4259 --hex --from 7FC0", {Sample()});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");

    // 16-bit values in either byte order, and characters placed by a sequence file.
    TempFolder folder;
    WriteBytes(folder / "wide.bin", {0x07, 0x00, 0x20, 0x00, 0x21, 0x00, 0x22, 0x00});
    const std::string wide = (folder / "wide.bin").string();
    EXPECT_EQ(RunCli({"find", wide, "abc", "--relative", "--width", "16"}).out, "00000002\n");
    // Big-endian, the same text stands one byte on: values are read at every offset.
    EXPECT_EQ(RunCli({"find", wide, "abc", "--relative", "--width", "16", "--big-endian"}).out,
              "00000001\n");
    std::ofstream(folder / "kana.txt") << "\xE3\x81\x82\xE3\x81\x84\n\xE3\x81\x86";
    WriteBytes(folder / "kana.bin", {0x05, 0x10, 0x12, 0x13});
    const std::string kana = (folder / "kana.txt").string();
    EXPECT_EQ(RunCli({"find",
                      (folder / "kana.bin").string(),
                      "\xE3\x81\x84\xE3\x81\x86",
                      "--relative",
                      "--sequence",
                      kana})
                  .out,
              "00000002\n");
    // The hit's table: A would be the one-byte key 00, so it is left out, said, and status 1.
    const std::string made = (folder / "made.tbl").string();
    const auto table
        = RunCli({"find", wide, "abc", "--relative", "--width", "16", "--make-table", made});
    EXPECT_EQ(table.exitCode, 1);
    EXPECT_EQ(table.out, "00000002\n");
    EXPECT_NE(table.err.find("51 entries written"), std::string::npos);
    EXPECT_NE(table.err.find("left out: A: its key 0000"), std::string::npos);
    EXPECT_NE(RunCli({"rows", wide, "--table", made}).out.find("abc"), std::string::npos);
    for (const std::vector<std::string> &refused :
         {std::vector<std::string>{"find", wide, "abc", "--width", "16"},
          {"find", wide, "abc", "--make-table", made},
          {"find", wide, "abc", "--relative", "--width", "12"},
          {"find", wide, "4142", "--hex", "--relative", "--sequence", kana},
          {"find", wide, "ab", "--relative", "--sequence", (folder / "none.txt").string()},
          {"find", wide, "xa", "--relative", "--sequence", kana}})
        EXPECT_EQ(RunCli(refused).exitCode, 2) << refused[2];

    const auto broken = RunCli({"find", Sample(), "41 4", "--hex"});
    EXPECT_EQ(broken.exitCode, 2);
    EXPECT_NE(broken.err.find("Please input a hex string with complete bytes"), std::string::npos);
}

TEST(CliEngineCommands, CopyAsPrintsTheClipboardText)
{
    const auto text = Cli("copy-as text {} --start 7FC0 --length 5", {Sample()});
    EXPECT_EQ(text.out, "4259 5445 4C");
    const auto shorts = RunCli(
        {"copy-as", "short", Sample(), "--start", "7FC0", "--length", "3", "--big-endian"});
    EXPECT_EQ(
        shorts.out,
        "/*Copied from Byteloom*/\r\nunsigned short HexData[0x00000002] {\r\n0x4259, 0x5400\r\n};");
    EXPECT_NE(Cli("copy-as long {} --start 0 --length 1", {Sample()}).exitCode, 0);
}

TEST(CliEngineCommands, SplitAndExpandWriteTheirFilesOrNothing)
{
    TempFolder folder;
    const auto rom = folder / "game.sfc";
    std::filesystem::copy_file(ExamplesFolder() / "sample.sfc", rom);
    const auto original = ReadBytes(rom);

    const auto split = Cli("split {} --bank-size 4000 --header 10", {rom.string()});
    ASSERT_EQ(split.exitCode, 0) << split.err;
    EXPECT_EQ(split.out, "3 bank files written\n");
    const auto bank = ReadBytes(folder / "game.sfc.00000002.bank");
    EXPECT_EQ(bank,
              std::vector<std::uint8_t>(original.begin() + 0x8010, original.begin() + 0xC010));

    const auto refused = Cli("split {} --bank-size 10 --header 10000", {rom.string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("header"), std::string::npos);

    const auto expanded = Cli("expand {} --by 8000 --fill FF", {rom.string()});
    ASSERT_EQ(expanded.exitCode, 0) << expanded.err;
    EXPECT_EQ(expanded.out, "18000\n");
    auto expected = original;
    expected.resize(0x18000, 0xFF);
    EXPECT_EQ(ReadBytes(rom), expected);

    EXPECT_EQ(Cli("expand {} --by 0", {rom.string()}).exitCode, 2);
    EXPECT_EQ(Cli("expand {} --by zz", {rom.string()}).exitCode, 2);
    EXPECT_EQ(ReadBytes(rom), expected);
}

// A sparse image of 5 GiB: every offset option takes 64-bit values, and what is printed past
// 4 GiB has the digits it needs.
TEST(CliEngineCommands, OffsetsPastFourGibibytes)
{
    TempFolder folder;
    const auto image = folder / "disc.iso";
    {
        std::ofstream create(image, std::ios::binary);
    }
    std::filesystem::resize_file(image, std::uintmax_t{5} << 30);
    {
        std::fstream file(image, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(0x123456780);
        file.write("\x00\x01\x02\x03", 4);
    }
    const std::string path = image.string();
    const auto table = folder / "t.tbl";
    {
        std::ofstream write(table);
        write << "00=A\n01=B\n02=C\n03=D\n";
    }
    EXPECT_EQ(Cli("find {} 00010203 --hex --from 123456000", {path}).out, "123456780\n");
    EXPECT_EQ(Cli("string {} --table {} --start 123456780 --length 4", {path, table.string()}).out,
              "ABCD");
    const auto rows = Cli("rows {} --start 13FFFFFF0", {path});
    EXPECT_EQ(rows.exitCode, 0) << rows.err;
    EXPECT_EQ(rows.out.substr(0, 10), "13FFFFFF0 ");

    const auto script = folder / "s.txt";
    {
        std::ofstream write(script, std::ios::binary);
        write << "DCBA";
    }
    const auto inserted = RunCli(
        {"insert", path, script.string(), "--table", table.string(), "--address", "123456780"});
    EXPECT_EQ(inserted.exitCode, 0) << inserted.err;
    EXPECT_EQ(Cli("find {} 03020100 --hex --from 123456000", {path}).out, "123456780\n");
    EXPECT_EQ(std::filesystem::file_size(image), std::uintmax_t{5} << 30);

    // Patches: an IPS patch, which reaches the first 16 MiB only, applies in place through the
    // pages and leaves the image sparse; a BPS patch and patches made of it are refused before
    // the image is read.
    const auto ips = folder / "small.ips";
    {
        std::ofstream write(ips, std::ios::binary);
        write << std::string("PATCH\x00\x00\x10\x00\x02hiEOF", 15);
    }
    const auto applied = Cli("patch apply {} {}", {path, ips.string()});
    EXPECT_EQ(applied.exitCode, 0) << applied.err;
    EXPECT_EQ(Cli("find {} 6869 --hex", {path}).out, "00000010\n");
    EXPECT_EQ(std::filesystem::file_size(image), std::uintmax_t{5} << 30);
#ifndef _WIN32 // Windows makes files sparse only when asked
    struct stat status
    {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_LT(status.st_blocks * 512, 64 << 20); // still sparse: only changed blocks written
#endif
    const auto bps = folder / "other.bps";
    {
        std::ofstream write(bps, std::ios::binary);
        write << "BPS1";
    }
    const auto refused = Cli("patch apply {} {}", {path, bps.string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("below 4 GiB"), std::string::npos);
    EXPECT_NE(Cli("patch create {} {} -o {}", {ips.string(), path, (folder / "x.bps").string()})
                  .err.find("below 4 GiB"),
              std::string::npos);
    EXPECT_NE(Cli("patch create {} {} -o {}", {ips.string(), path, (folder / "x.ips").string()})
                  .err.find("reaches 16 MiB"),
              std::string::npos);
}

TEST(CliEngineCommands, CompareChecksumAndHeaderSayWhatTheyFind)
{
    TempFolder folder;
    WriteBytes(folder / "a.bin", {0x00, 0x11, 0x22, 0x33, 0x44});
    WriteBytes(folder / "b.bin", {0x00, 0x99, 0x22, 0x33, 0x55, 0x66});
    const auto differ
        = Cli("compare {} {}", {(folder / "a.bin").string(), (folder / "b.bin").string()});
    EXPECT_EQ(differ.exitCode, 1) << differ.err;
    EXPECT_EQ(differ.out, "00000001 1\n00000004 1\n00000005 1 only in B\n");
    const auto same
        = Cli("compare {} {}", {(folder / "a.bin").string(), (folder / "a.bin").string()});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(
        Cli("compare {} {}", {(folder / "a.bin").string(), (folder / "none").string()}).exitCode,
        2);
    EXPECT_EQ(RunCli({"compare", "-", "-"}).exitCode, 2);

    // Checksums of the file or a range, in hexadecimal.
    WriteText(folder / "digits.txt", "x123456789");
    const std::string digits = (folder / "digits.txt").string();
    EXPECT_EQ(Cli("checksum {} --start 1", {digits}).out, "CBF43926\n");
    EXPECT_EQ(Cli("checksum {} --start 1 --length 9 --algorithm md5", {digits}).out,
              "25F9E794323B453885F5181F1B624D0B\n");
    EXPECT_EQ(Cli("checksum {} --length 20", {digits}).exitCode, 2);
    EXPECT_EQ(Cli("checksum {} --algorithm md4", {digits}).exitCode, 2);

    // A LoROM header with a wrong checksum: said, fixed and saved, then right.
    std::vector<std::uint8_t> image(0x8000, 0x11);
    const std::string title = "CLI TEST             ";
    std::copy(title.begin(), title.end(), image.begin() + 0x7FC0);
    image[0x7FD5] = 0x20;
    image[0x7FDC] = 0xFF; // a complement and checksum that agree with each other only
    image[0x7FDD] = 0xFF;
    image[0x7FDE] = 0x00;
    image[0x7FDF] = 0x00;
    WriteBytes(folder / "game.sfc", image);
    const std::string game = (folder / "game.sfc").string();
    const auto wrong = Cli("header {}", {game});
    EXPECT_EQ(wrong.exitCode, 1);
    EXPECT_NE(wrong.out.find("SNES LoROM: \"CLI TEST\"\nchecksum: stored 0000, computed"),
              std::string::npos)
        << wrong.out;
    EXPECT_EQ(Cli("header {} --fix", {game}).exitCode, 0);
    EXPECT_EQ(Cli("header {}", {game}).exitCode, 0);
    EXPECT_EQ(Cli("header {}", {digits}).exitCode, 1);
}

} // namespace
} // namespace byteloom
