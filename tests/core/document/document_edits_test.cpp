#include "document/document.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace byteloom {
namespace {

using namespace test;

TEST(DocumentEdits, NewDocumentIsTwoKilobytesOfZerosUnnamedAndClean)
{
    Document document(kPageSize, RealFileSystem());
    document.New();
    EXPECT_TRUE(document.IsOpen());
    EXPECT_TRUE(document.IsUnnamed());
    EXPECT_TRUE(document.IsClean());
    EXPECT_EQ(document.Size(), 2048);
    for (std::int64_t offset = 0; offset < 2048; ++offset)
        ASSERT_EQ(document.ReadByte(offset), 0);
    EXPECT_TRUE(document.MarkEdited());
    EXPECT_FALSE(document.MarkEdited());
    EXPECT_FALSE(document.Save().ok()); // a name must be chosen first
}

TEST(DocumentEdits, ByteAndUnitArithmetic)
{
    Document document(kPageSize, RealFileSystem());
    document.New();
    ASSERT_TRUE(document.WriteByte(3, 0xF0));
    ASSERT_TRUE(document.AddToByte(3, 0x20));
    EXPECT_EQ(document.ReadByte(3), 0x10);

    ASSERT_TRUE(document.WriteUnit(5, 0xBEEF));
    EXPECT_EQ(document.ReadByte(10), 0xEF);
    EXPECT_EQ(document.ReadByte(11), 0xBE);
    EXPECT_EQ(document.ReadUnit(5), 0xBEEF);
    EXPECT_EQ(SwapUnitBytes(0x1234), 0x3412);
}

TEST(DocumentEdits, LengthChangesAreForWholeDocumentsOnly)
{
    Document document(kPageSize, RealFileSystem());
    document.New();
    ASSERT_TRUE(document.ReplaceContents({1, 2, 3, 4, 5, 6}).ok());
    EXPECT_EQ(document.Size(), 6);
    ASSERT_TRUE(document.RemoveRange(1, 3).ok());
    ASSERT_TRUE(document.RemoveRange(3, 1).ok()); // an empty range removes nothing
    EXPECT_EQ(document.Size(), 4);
    EXPECT_EQ(document.ReadByte(0), 1);
    EXPECT_EQ(document.ReadByte(1), 4);
    EXPECT_EQ(document.ReadByte(3), 6);
    EXPECT_EQ(document.ReadByte(4), 0);
    // The last unit of an odd-sized document is half inside and keeps its inside half.
    ASSERT_TRUE(document.RemoveRange(0, 1).ok());
    EXPECT_EQ(document.ReadUnit(1), 0x0006);

    TempFolder folder;
    WriteBytes(folder / "p.bin", PatternBytes(40));
    Document paged(16, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "p.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(paged.IsPaged());
    EXPECT_FALSE(paged.ReplaceContents({1}).ok());
    EXPECT_FALSE(paged.RemoveRange(0, 4).ok());
    EXPECT_EQ(paged.Size(), 40);
}

TEST(DocumentEdits, SavingWritesTheFileAndMakesTheDocumentClean)
{
    TempFolder folder;
    Document document(kPageSize, RealFileSystem());
    document.New();
    ASSERT_TRUE(document.WriteByte(0, 0x42));
    document.MarkEdited();
    ASSERT_TRUE(document.SaveAs(folder / "new.bin").ok());
    EXPECT_FALSE(document.IsUnnamed());
    EXPECT_TRUE(document.IsClean());
    EXPECT_EQ(document.Path(), folder / "new.bin");
    auto expected = std::vector<std::uint8_t>(2048, 0);
    expected[0] = 0x42;
    EXPECT_EQ(ReadBytes(folder / "new.bin"), expected);

    ASSERT_TRUE(document.WriteByte(1, 0x43));
    document.MarkEdited();
    ASSERT_TRUE(document.Save().ok());
    expected[1] = 0x43;
    EXPECT_EQ(ReadBytes(folder / "new.bin"), expected);
    EXPECT_TRUE(document.IsClean());
}

} // namespace
} // namespace byteloom
