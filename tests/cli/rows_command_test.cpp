#include "cli_runner.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

TEST(CliRows, PrintsTheRowsTheViewDraws)
{
    const auto table = Cli("rows {} --start 1005 --rows 3 --table {}",
                           {Example("sample.sfc"), Example("sample.tbl")});
    ASSERT_EQ(table.exitCode, 0) << table.err;
    EXPECT_EQ(table.out,
              "00001000  969e a59c a8a6 9e60 ada8 60e0 02b4 fe93 Welcome to Byteloom!{NL}T\n"
              "00001010  a1a2 ac60 a2ac 609a 60ac 9aa6 a9a5 9e60 his is a sample \n"
              "00001020  a2a6 9aa0 9eb6 ff8b a8a8 a460 9fa8 ab60 image.{END}Look for \n");

    const auto header
        = Cli("rows {} --start 7FC0 --rows 1 --group 8 --offsets lorom", {Example("sample.sfc")});
    // The sample has no copier's header: its internal header sits at $00:FFC0.
    EXPECT_EQ(header.out, "0000FFC0  425954454c4f4f4d 2053414d504c4520 BYTELOOM SAMPLE \n");

    const auto japanese = Cli("rows {} --start 3000 --rows 1 --table {}",
                              {Example("sample.sfc"), Example("sample-japanese.tbl")});
    EXPECT_EQ(japanese.out,
              "00003000  3512 191e 5cff 8002 1180 0149 8000 3c1a ようこそ！{END}古い城で宝をさ\n");

    // The last row is short: its hex column is padded to a full row's length.
    const auto last = Cli("rows {} --start 290 --group 1", {Example("sample-japanese.tbl")});
    EXPECT_EQ(last.out, "00000290  0a" + std::string(45, ' ') + " .\n");

    // 1252 is the default code page.
    EXPECT_EQ(
        RunCli(
            {"rows", Example("sample.sfc"), "--start", "7FC0", "--rows", "1", "--codepage", "1252"})
            .out,
        "00007FC0  4259 5445 4c4f 4f4d 2053 414d 504c 4520 BYTELOOM SAMPLE \n");
    EXPECT_NE(Cli("rows {} --codepage 437", {Example("sample.sfc")}).exitCode, 0);
    EXPECT_NE(Cli("rows {} --unicode --unicode-be", {Example("sample.sfc")}).exitCode, 0);
}

} // namespace
} // namespace byteloom
