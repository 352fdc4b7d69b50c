#include "document/bank_split.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

std::vector<std::uint8_t>
Slice(const std::vector<std::uint8_t> &bytes, std::size_t from, std::size_t count)
{
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from),
            bytes.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST(BankSplit, WritesWholeBanksAfterTheHeader)
{
    TempFolder folder;
    const auto bytes = PatternBytes(0x10010);
    WriteBytes(folder / "game.smc", bytes);
    Document document(0x4000, RealFileSystem()); // paged, so banks cross pages
    ASSERT_EQ(document.Load(folder / "game.smc", true).status, LoadStatus::Loaded);
    const SplitResult result = SplitIntoBanks(RealFileSystem(), document, 4096, 0x10);
    ASSERT_TRUE(result.status.ok()) << result.status.message();
    EXPECT_EQ(result.banksWritten, 16);
    EXPECT_EQ(BankFilePath(folder / "game.smc", 0).filename(), "game.smc.00000000.bank");
    EXPECT_EQ(ReadBytes(folder / "game.smc.00000000.bank"), Slice(bytes, 0x10, 4096));
    EXPECT_EQ(ReadBytes(folder / "game.smc.0000000F.bank"), Slice(bytes, 0x10 + 15 * 4096, 4096));
    EXPECT_FALSE(std::filesystem::exists(folder / "game.smc.00000010.bank"));

    WriteBytes(folder / "short.bin", PatternBytes(10000));
    Document shorter(kPageSize, RealFileSystem());
    ASSERT_EQ(shorter.Load(folder / "short.bin", true).status, LoadStatus::Loaded);
    EXPECT_EQ(SplitIntoBanks(RealFileSystem(), shorter, 4096, 0).banksWritten, 2);
}

TEST(BankSplit, NonsenseIsRefusedAndFailuresReported)
{
    TempFolder folder;
    WriteBytes(folder / "a.bin", PatternBytes(100));
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "a.bin", true).status, LoadStatus::Loaded);
    EXPECT_FALSE(SplitIntoBanks(RealFileSystem(), document, 0, 0).status.ok());
    EXPECT_FALSE(SplitIntoBanks(RealFileSystem(), document, -4, 0).status.ok());
    EXPECT_FALSE(SplitIntoBanks(RealFileSystem(), document, 16, 100).status.ok());
    EXPECT_FALSE(SplitIntoBanks(RealFileSystem(), document, 16, -1).status.ok());
    EXPECT_EQ(test::EntriesIn(folder.path()), 1u);

    // A folder where the second bank file should go.
    std::filesystem::create_directory(BankFilePath(folder / "a.bin", 1));
    const SplitResult result = SplitIntoBanks(RealFileSystem(), document, 16, 0);
    EXPECT_FALSE(result.status.ok());
    EXPECT_NE(result.status.message().find(".00000001.bank"), std::string::npos);
    EXPECT_EQ(result.banksWritten, 1);

    Document unnamed(kPageSize, RealFileSystem());
    unnamed.New();
    EXPECT_FALSE(SplitIntoBanks(RealFileSystem(), unnamed, 16, 0).status.ok());
}

TEST(Expand, WholeDocumentsGrowInMemoryUntilSavedAsOneStepOfUndo)
{
    TempFolder folder;
    const auto bytes = PatternBytes(0x8000);
    WriteBytes(folder / "w.bin", bytes);
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "w.bin", true).status, LoadStatus::Loaded);
    UndoJournal journal;
    ASSERT_TRUE(ExpandWithUndo(document, journal, 0x100, 0xEE).ok());
    EXPECT_EQ(document.Size(), 0x8100);
    ASSERT_TRUE(journal.Undo(document).has_value());
    EXPECT_EQ(document.Size(), 0x8000);
    EXPECT_FALSE(ExpandWithUndo(document, journal, 0, 0).ok());
    EXPECT_FALSE(journal.CanUndo());

    ASSERT_TRUE(document.Expand(0x8000, 0xFF).ok());
    EXPECT_EQ(document.Size(), 0x10000);
    EXPECT_EQ(document.ReadByte(0x7FFF), bytes.back());
    EXPECT_EQ(document.ReadByte(0x8000), 0xFF);
    EXPECT_EQ(document.ReadByte(0xFFFF), 0xFF);
    EXPECT_EQ(ReadBytes(folder / "w.bin"), bytes);
    ASSERT_TRUE(document.Save().ok());
    EXPECT_EQ(std::filesystem::file_size(folder / "w.bin"), 0x10000u);

    EXPECT_FALSE(document.Expand(0, 0).ok());
    EXPECT_FALSE(document.Expand(kMaxWholeDocumentSize, 0).ok());
}

} // namespace
} // namespace byteloom
