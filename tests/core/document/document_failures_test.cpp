#include "document/document.h"
#include "document/load_messages.h"
#include "session/session.h"
#include "support/temp_folder.h"
#include "view/caret_state.h"
#include "view/editing.h"
#include "view/row_layout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#if defined(__unix__)
#include <sys/resource.h>
#endif

namespace byteloom {
namespace {

using namespace test;

TEST(DocumentFailures, FilesThatCannotBeLoadedAreRefusedWithAReason)
{
    TempFolder folder;
    Document document;
    const LoadResult missing = document.Load(folder / "missing.bin", true);
    EXPECT_EQ(missing.status, LoadStatus::CannotOpen);
    EXPECT_NE(missing.detail.find("missing.bin"), std::string::npos);
    EXPECT_FALSE(document.IsOpen());

    // 2 GiB, sparse, with paging turned off: too large to hold whole, so refused instead of cut
    // short, with the way to open it.
    {
        std::ofstream create(folder / "huge.bin");
    }
    std::filesystem::resize_file(folder / "huge.bin", 0x80000000u);
    const LoadResult huge = document.Load(folder / "huge.bin", false);
    EXPECT_EQ(huge.status, LoadStatus::TooLarge);
    EXPECT_EQ(huge.size, 0x80000000);
    EXPECT_NE(DescribeLoadFailure(huge, "huge.bin").find("Turn on paging"), std::string::npos);
    EXPECT_FALSE(document.IsOpen());
}

// AddressSanitizer reserves far more address space than any limit a test could set.
#if defined(__unix__) && !defined(__SANITIZE_ADDRESS__)
#define BYTELOOM_CAN_LIMIT_MEMORY 1
#endif

#ifdef BYTELOOM_CAN_LIMIT_MEMORY
TEST(DocumentFailuresDeathTest, ABufferThatCannotBeAllocatedIsReported)
{
    TempFolder folder;
    {
        std::ofstream create(folder / "large.bin");
    }
    std::filesystem::resize_file(folder / "large.bin", 1u << 30);
    // The limit is set in a child process so the test runner keeps its own memory.
    const auto loadUnderLimit = [&folder] {
        const rlimit limit{512u << 20, 512u << 20};
        setrlimit(RLIMIT_AS, &limit);
        Document document;
        const LoadResult result = document.Load(folder / "large.bin", false);
        const bool reported = result.status == LoadStatus::CannotAllocate
                              && result.size == (1 << 30) && !document.IsOpen();
        std::exit(reported ? 0 : 1);
    };
    EXPECT_EXIT(loadUnderLimit(), testing::ExitedWithCode(0), "");
}
#endif

TEST(DocumentFailures, APageThatCannotBeParkedStaysInMemory)
{
    TempFolder folder;
    auto expected = PatternBytes(64);
    WriteBytes(folder / "p.bin", expected);
    Document document(16);
    ASSERT_EQ(document.Load(folder / "p.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(0, 0xA0));
    ASSERT_EQ(document.ReadByte(16), expected[16]); // page 0 parked
    const auto pageFolder = document.PageFilePath(0).parent_path();
    ASSERT_TRUE(document.WriteByte(17, 0xA1));

    // The page folder turns into a plain file: page 1 cannot be parked.
    std::filesystem::remove_all(pageFolder);
    WriteBytes(pageFolder, {1});
    EXPECT_EQ(document.ReadByte(40), 0);
    const auto error = document.TakeIoError();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("bylm0001.tmp"), std::string::npos);
    EXPECT_EQ(document.PageBase(), 16);
    EXPECT_EQ(document.ReadByte(17), 0xA1);
    EXPECT_FALSE(document.TakeIoError().has_value());

    // Page 0's own file went with the folder: once no copy of it is left in memory (pages 1 and
    // 2 were in it since), that page fails to load and says so.
    std::filesystem::remove(pageFolder);
    std::filesystem::create_directory(pageFolder);
    EXPECT_EQ(document.ReadByte(40), expected[40]);
    EXPECT_EQ(document.ReadByte(0), 0);
    EXPECT_TRUE(document.TakeIoError().has_value());
    // Page 1 was parked successfully before that failure, so it is still whole.
    EXPECT_EQ(document.ReadByte(17), 0xA1);
    EXPECT_EQ(document.ReadByte(40), expected[40]);
}

TEST(DocumentFailures, AFileThatShrankUnderAPagedDocumentIsReported)
{
    TempFolder folder;
    WriteBytes(folder / "s.bin", PatternBytes(64));
    Document document(16);
    ASSERT_EQ(document.Load(folder / "s.bin", true).status, LoadStatus::Loaded);
    std::filesystem::resize_file(folder / "s.bin", 20);
    EXPECT_EQ(document.ReadByte(50), 0);
    const auto error = document.TakeIoError();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->find("ended early"), std::string::npos);
}

// A file that shrank under a paged document: rows show only the bytes that arrived, a typed
// digit is refused without an undo record, and each time the reason is kept for the user.
TEST(DocumentFailures, BytesThatCannotBeReadAreNeitherShownNorTypedOver)
{
    TempFolder folder;
    WriteBytes(folder / "s.bin", PatternBytes(64));
    Session session(16);
    ASSERT_EQ(session.OpenDocument(folder / "s.bin", true).status, LoadStatus::Loaded);
    Document &document = session.document();
    std::filesystem::resize_file(folder / "s.bin", 20);

    RowSource source{
        document, session.display(), nullptr, session.codePages(), session.decoder(), {}};
    const RowLayout row = BuildRow(source, 32, 0);
    EXPECT_LT(row.byteCount, 16);
    EXPECT_EQ(row.hex.size(), static_cast<std::size_t>(row.byteCount));
    EXPECT_EQ(row.text.size(), static_cast<std::size_t>(row.byteCount));
    EXPECT_TRUE(document.TakeIoError().has_value());

    CaretState caret;
    const CaretView view{0, 4, {}};
    PlaceCaret(caret, view, 40, false);
    EXPECT_FALSE(TypeHexDigit(caret, view, document, session.journal(), 'A'));
    EXPECT_FALSE(session.journal().CanUndo());
    EXPECT_TRUE(document.TakeIoError().has_value());
}

TEST(DocumentFailures, AFailedCommitKeepsEveryChange)
{
    TempFolder folder;
    const auto original = PatternBytes(64);
    WriteBytes(folder / "c.bin", original);
    Document document(16);
    ASSERT_EQ(document.Load(folder / "c.bin", true).status, LoadStatus::Loaded);
    ASSERT_TRUE(document.WriteByte(3, 0xC3));
    ASSERT_TRUE(document.WriteByte(50, 0xC5));
    document.MarkEdited();

    // The file's place is taken by a folder: the commit cannot open it.
    std::filesystem::rename(folder / "c.bin", folder / "c.keep");
    std::filesystem::create_directory(folder / "c.bin");
    const Status failed = document.Save();
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.message().find("c.bin"), std::string::npos);
    EXPECT_FALSE(document.IsClean());
    EXPECT_TRUE(document.IsPageDirty(0));
    EXPECT_TRUE(document.IsPageDirty(3));
    EXPECT_TRUE(std::filesystem::exists(document.PageFilePath(0)));

    std::filesystem::remove(folder / "c.bin");
    std::filesystem::rename(folder / "c.keep", folder / "c.bin");
    ASSERT_TRUE(document.Save().ok());
    auto expected = original;
    expected[3] = 0xC3;
    expected[50] = 0xC5;
    EXPECT_EQ(ReadBytes(folder / "c.bin"), expected);
    EXPECT_TRUE(document.IsClean());
}

TEST(DocumentFailures, AFailedOpenKeepsTheSessionsDocument)
{
    TempFolder folder;
    Session session;
    session.NewDocument();
    ASSERT_TRUE(session.document().WriteByte(0, 9));
    EXPECT_EQ(session.OpenDocument(folder / "absent.bin", true).status, LoadStatus::CannotOpen);
    EXPECT_TRUE(session.document().IsOpen());
    EXPECT_EQ(session.document().ReadByte(0), 9);
}

} // namespace
} // namespace byteloom
