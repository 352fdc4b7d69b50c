#include "document/bank_dialogs.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(BankDialogs, FieldsAreReadAsTheDialogsRead)
{
    // OK at once: 4k banks, no header.
    auto split = ReadSplitDialog({});
    ASSERT_TRUE(split.request);
    EXPECT_EQ(split.request->bankSize, 0x1000);
    EXPECT_EQ(split.request->headerSize, 0);
    // An empty header is said and taken as 0; an empty custom size keeps the dialog open.
    split = ReadSplitDialog({0x2000, false, "", true, ""});
    EXPECT_EQ(split.messages, std::vector<std::string>{"Please input a header size"});
    EXPECT_EQ(split.request->bankSize, 0x2000);
    split = ReadSplitDialog({0x1000, true, "", true, "10"});
    EXPECT_FALSE(split.request);
    EXPECT_EQ(split.messages, std::vector<std::string>{"Please input a bank size"});
    split = ReadSplitDialog({0x1000, true, "8000zz", true, "10"});
    EXPECT_EQ(split.request->bankSize, 0x8000);
    EXPECT_EQ(split.request->headerSize, 0x10);

    auto expand = ReadExpandDialog({});
    EXPECT_EQ(expand.request->size, 0x20000);
    EXPECT_EQ(expand.request->fill, 0);
    expand = ReadExpandDialog({0x20000, true, "8000", "1FF"}); // the low 8 bits fill
    EXPECT_EQ(expand.request->size, 0x8000);
    EXPECT_EQ(expand.request->fill, 0xFF);
    // Sizes past 4 GiB, for images of disc-based games; the fill still takes the low 8 bits.
    expand = ReadExpandDialog({0x20000, true, "140000000", "1000000AB"});
    EXPECT_EQ(expand.request->size, 0x140000000);
    EXPECT_EQ(expand.request->fill, 0xAB);
    split = ReadSplitDialog({0x1000, true, "100000000", true, "123456780"});
    EXPECT_EQ(split.request->bankSize, 0x100000000);
    EXPECT_EQ(split.request->headerSize, 0x123456780);
    expand = ReadExpandDialog({0x20000, true, "", ""});
    EXPECT_FALSE(expand.request);
    EXPECT_EQ(expand.messages, std::vector<std::string>{"Please input an expansion size"});

    EXPECT_EQ(SplitSummary("/roms/game.smc", 2, 0x710),
              "2 bank files written in /roms: game.smc.00000000.bank to game.smc.00000001.bank; "
              "the last 710 bytes, less than a bank, were not");
    EXPECT_EQ(SplitSummary("/roms/game.smc", 1, 0),
              "1 bank file written in /roms: game.smc.00000000.bank");
}

} // namespace
} // namespace byteloom
