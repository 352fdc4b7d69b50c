#include "document/document.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace byteloom {
namespace {

using namespace test;

constexpr std::int64_t kMiB = 1024 * 1024;

TEST(DocumentPaging, FilesUpToOnePageAreHeldWholeAndLargerOnesArePaged)
{
    TempFolder folder;
    WriteBytes(folder / "exact.bin", PatternBytes(kPageSize));
    WriteBytes(folder / "over.bin", PatternBytes(kPageSize + 1, 7));

    Document exact(kPageSize, RealFileSystem());
    ASSERT_EQ(exact.Load(folder / "exact.bin", true).status, LoadStatus::Loaded);
    EXPECT_FALSE(exact.IsPaged());

    Document over(kPageSize, RealFileSystem());
    const LoadResult result = over.Load(folder / "over.bin", true);
    ASSERT_EQ(result.status, LoadStatus::Loaded);
    EXPECT_EQ(result.size, kPageSize + 1);
    EXPECT_TRUE(over.IsPaged());
    EXPECT_EQ(over.PageCount(), 2);
    EXPECT_EQ(over.PageBase(), 0);
    EXPECT_TRUE(over.IsClean());

    // The byte just past the page in memory brings in the next page, which holds one byte.
    EXPECT_EQ(over.ReadByte(kPageSize), PatternBytes(kPageSize + 1, 7).back());
    EXPECT_EQ(over.PageBase(), kPageSize);
    EXPECT_EQ(over.SpanAt(kPageSize).size(), 1u);

    Document unpaged(kPageSize, RealFileSystem());
    ASSERT_EQ(unpaged.Load(folder / "over.bin", false).status, LoadStatus::Loaded);
    EXPECT_FALSE(unpaged.IsPaged());
    EXPECT_EQ(unpaged.Size(), kPageSize + 1);
}

TEST(DocumentPaging, OnlyDirtyPagesReachPageFilesAndCommitWritesOnlyThem)
{
    TempFolder folder;
    const auto original = PatternBytes(20 * kMiB);
    WriteBytes(folder / "big.bin", original);
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "big.bin", true).status, LoadStatus::Loaded);
    ASSERT_EQ(document.PageCount(), 3);

    // Writing into page 2 while page 0 is in memory and clean writes no page file for page 0.
    ASSERT_TRUE(document.WriteByte(2 * kPageSize + 5, 0xAA));
    EXPECT_EQ(document.PageBase(), 2 * kPageSize);
    EXPECT_FALSE(document.IsPageDirty(0));
    EXPECT_TRUE(document.IsPageDirty(2));
    EXPECT_EQ(document.Stats().bytesWrittenToPageFiles, 0);

    ASSERT_TRUE(document.WriteByte(0, 0x55));
    EXPECT_EQ(document.ReadByte(kPageSize + 3), original[kPageSize + 3]);
    EXPECT_EQ(document.PageBase(), kPageSize);
    EXPECT_TRUE(std::filesystem::exists(document.PageFilePath(0)));
    EXPECT_FALSE(std::filesystem::exists(document.PageFilePath(1)));
    EXPECT_TRUE(std::filesystem::exists(document.PageFilePath(2)));
    EXPECT_EQ(document.PageFilePath(2).filename(), "bylm0002.tmp");
    EXPECT_NE(document.PageFilePath(0).parent_path(), std::filesystem::current_path());

    // The file itself is untouched until the commit.
    EXPECT_EQ(ReadBytes(folder / "big.bin"), original);

    const std::int64_t before = document.Stats().bytesWrittenToFile;
    ASSERT_TRUE(document.CommitPages().ok());
    // Only the block of each page that changed is written.
    EXPECT_EQ(document.Stats().bytesWrittenToFile - before, 2 * 4096);
    EXPECT_FALSE(std::filesystem::exists(document.PageFilePath(0)));
    EXPECT_FALSE(std::filesystem::exists(document.PageFilePath(2)));
    EXPECT_FALSE(document.IsPageDirty(0));
    EXPECT_FALSE(document.IsPageDirty(2));

    auto expected = original;
    expected[0] = 0x55;
    expected[2 * kPageSize + 5] = 0xAA;
    EXPECT_EQ(ReadBytes(folder / "big.bin"), expected);

    // The document stays usable after a commit and reads the committed bytes.
    EXPECT_EQ(document.ReadByte(0), 0x55);
    EXPECT_EQ(document.ReadByte(2 * kPageSize + 5), 0xAA);
}

TEST(DocumentPaging, CommittingTheLastPageOfAnExactMultipleWritesItsLastBlock)
{
    TempFolder folder;
    WriteBytes(folder / "two.bin", PatternBytes(2 * kPageSize));
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "two.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(2 * kPageSize - 1, 1));
    ASSERT_TRUE(document.CommitPages().ok());
    EXPECT_EQ(document.Stats().bytesWrittenToFile, 4096);
    EXPECT_EQ(std::filesystem::file_size(folder / "two.bin"),
              static_cast<std::uintmax_t>(2 * kPageSize));
    EXPECT_EQ(ReadBytes(folder / "two.bin").back(), 1);
}

TEST(DocumentPaging, UnitsAndBlocksAcrossThePageBoundary)
{
    TempFolder folder;
    const auto original = PatternBytes(kPageSize + 64);
    WriteBytes(folder / "units.bin", original);
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "units.bin", true).status, LoadStatus::Loaded);

    // Blocks and units across the boundary at any offset: DocumentRandom.
    const std::int64_t lastUnitOfPage0 = kPageSize / 2 - 1;
    const std::uint16_t units[] = {0x1234, 0xABCD};
    EXPECT_EQ(document.WriteUnits(kPageSize - 2, units), 2);
    EXPECT_EQ(document.ReadUnit(lastUnitOfPage0), 0x1234);
    EXPECT_EQ(document.ReadByte(kPageSize), 0xCD);
    EXPECT_EQ(document.ReadByte(kPageSize + 1), 0xAB);
    EXPECT_TRUE(document.IsPageDirty(0));
    EXPECT_TRUE(document.IsPageDirty(1));

    // Going back and forth across the boundary (a view over it, repainted) reads neither page
    // again: the page that left memory is kept beside the one in it.
    const std::int64_t loads = document.Stats().pageLoads;
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(document.ReadUnit(lastUnitOfPage0 + i % 2), i % 2 ? 0xABCD : 0x1234);
    EXPECT_EQ(document.Stats().pageLoads, loads);
}

TEST(DocumentPaging, PageFilesArePrivateToTheDocumentAndGoWithIt)
{
    TempFolder folder;
    WriteBytes(folder / "a.bin", PatternBytes(64, 1));
    WriteBytes(folder / "b.bin", PatternBytes(64, 2));
    Document first(16, RealFileSystem());
    Document second(16, RealFileSystem());
    ASSERT_EQ(first.Load(folder / "a.bin", true).status, LoadStatus::Loaded);
    ASSERT_EQ(second.Load(folder / "b.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(first.WriteByte(0, 0xEE));
    ASSERT_TRUE(second.WriteByte(0, 0xDD));
    (void)first.ReadByte(40);
    (void)second.ReadByte(40);

    const auto firstFile = first.PageFilePath(0);
    const auto secondFile = second.PageFilePath(0);
    ASSERT_TRUE(std::filesystem::exists(firstFile));
    ASSERT_TRUE(std::filesystem::exists(secondFile));
    EXPECT_NE(firstFile.parent_path(), secondFile.parent_path());
    EXPECT_EQ(first.ReadByte(0), 0xEE);
    EXPECT_EQ(second.ReadByte(0), 0xDD);

    // Closing without saving leaves the file as it was and takes the page files away.
    first.Release();
    EXPECT_FALSE(std::filesystem::exists(firstFile.parent_path()));
    EXPECT_EQ(ReadBytes(folder / "a.bin"), PatternBytes(64, 1));
}

TEST(DocumentPaging, DiscardPagesForgetsChangesAndKeepsTheFile)
{
    TempFolder folder;
    const auto original = PatternBytes(100);
    WriteBytes(folder / "d.bin", original);
    Document document(32, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "d.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(1, 9));
    ASSERT_TRUE(document.WriteByte(70, 9));
    ASSERT_TRUE(document.DiscardPages().ok());
    EXPECT_FALSE(document.IsPageDirty(0));
    EXPECT_FALSE(document.IsPageDirty(2));
    EXPECT_EQ(document.ReadByte(1), original[1]);
    EXPECT_EQ(document.ReadByte(70), original[70]);
    EXPECT_EQ(ReadBytes(folder / "d.bin"), original);

    // After an expansion taken back has removed the page in memory.
    ASSERT_TRUE(document.Expand(100, 0xAA).ok());
    EXPECT_EQ(document.ReadByte(150), 0xAA);
    ASSERT_TRUE(document.TakeBackExpansion(100).ok());
    ASSERT_TRUE(document.DiscardPages().ok());
    EXPECT_EQ(document.Size(), 100);
    EXPECT_EQ(document.ReadByte(99), original[99]);
}

} // namespace
} // namespace byteloom
