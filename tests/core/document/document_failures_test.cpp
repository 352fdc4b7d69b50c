#include "document/document.h"
#include "document/load_messages.h"
#include "session/editing.h"
#include "session/session.h"
#include "support/faulty_file_system.h"
#include "support/platform.h"
#include "support/temp_folder.h"
#include "view/caret_state.h"
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
    Document document(kPageSize, RealFileSystem());
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
        Document document(kPageSize, RealFileSystem());
        const LoadResult result = document.Load(folder / "large.bin", false);
        const bool reported = result.status == LoadStatus::CannotAllocate
                              && result.size == (1 << 30) && !document.IsOpen();
        std::exit(reported ? 0 : 1);
    };
    EXPECT_EXIT(loadUnderLimit(), testing::ExitedWithCode(0), "");
}
#endif

// Edits that move pages to and from their page files, failing at each file-system call in turn
// (an error, and a disk that fills up): an access that fails stores nothing and reads 0, says
// why, and every edit that was taken is still there after the disk works again and the
// document is saved.
TEST(DocumentFailures, PageFilesFailingAtEachCallLoseNoEdit)
{
    TempFolder folder;
    const auto original = PatternBytes(96);
    std::int64_t steps = -1;
    bool pageFileFailed = false;
    for (std::int64_t failAt = -1; failAt < 0 || failAt < steps; ++failAt) {
        for (const auto fault :
             {FaultyFileSystem::Fault::Error, FaultyFileSystem::Fault::ShortWrite}) {
            WriteBytes(folder / "p.bin", original);
            FaultyFileSystem files;
            Document document(16, files);
            ASSERT_EQ(document.Load(folder / "p.bin", true).status, LoadStatus::Loaded);
            files.calls = 0;
            files.failAt = failAt;
            files.fault = fault;
            auto model = original;
            bool failed = false;
            // Back and forth over six pages, so that dirty pages leave memory and come back.
            for (const std::int64_t offset : {3, 20, 37, 54, 71, 88, 5, 60, 22, 90, 40, 7}) {
                const auto value = static_cast<std::uint8_t>(0xA0 + offset);
                if (document.WriteByte(offset, value))
                    model[static_cast<std::size_t>(offset)] = value;
                if (auto error = document.TakeIoError()) {
                    failed = true;
                    pageFileFailed = pageFileFailed || error->find("bylm") != std::string::npos;
                }
            }
            if (failAt < 0) {
                steps = files.calls;
                ASSERT_FALSE(failed);
            }
            SCOPED_TRACE("call " + std::to_string(failAt) + " (" + files.failedCall + ")");
            files.Heal();
            for (std::int64_t offset = 0; offset < 96; ++offset)
                ASSERT_EQ(document.ReadByte(offset), model[static_cast<std::size_t>(offset)]);
            const Status saved = document.Save();
            ASSERT_TRUE(saved.ok()) << saved.message();
            EXPECT_EQ(ReadBytes(folder / "p.bin"), model);
            if (failAt < 0)
                break;
        }
    }
    // The failures reached the page files themselves, not only the document's own file.
    EXPECT_TRUE(pageFileFailed);
}

TEST(DocumentFailures, AFileThatShrankUnderAPagedDocumentIsReported)
{
    TempFolder folder;
    WriteBytes(folder / "s.bin", PatternBytes(64));
    Document document(16, RealFileSystem());
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
    Document document(16, RealFileSystem());
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
