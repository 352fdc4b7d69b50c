#include "document/document.h"
#include "document/undo_journal.h"
#include "patch/document_patch.h"
#include "support/documents.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

// Create Patch takes the document as it is, unsaved changes and all; Apply Patch changes the
// document in memory as one step of Undo, and a paged document keeps its length.
TEST(DocumentPatch, PatchesCountUnsavedChangesAndApplyAsOneStepOfUndo)
{
    test::TempFolder folder;
    const auto original = PatternBytes(256);
    test::WriteBytes(folder / "rom.bin", original);
    for (const std::int64_t pageSize : {4096, 64}) {
        SCOPED_TRACE(pageSize);
        Document document(pageSize, RealFileSystem());
        ASSERT_EQ(document.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
        ASSERT_TRUE(document.WriteByte(100, 0xEE)); // not saved
        const auto edited = ContentsOf(document);
        for (const PatchKind kind : {PatchKind::Ips, PatchKind::Bps}) {
            const PatchResult patch = CreatePatchFromDocument(document, original, kind);
            ASSERT_TRUE(patch.status.ok());
            Document fresh(pageSize, RealFileSystem());
            ASSERT_EQ(fresh.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
            UndoJournal journal;
            ASSERT_TRUE(ApplyPatchToDocument(fresh, journal, patch.bytes).ok());
            EXPECT_EQ(ContentsOf(fresh), edited);
            ASSERT_TRUE(journal.Undo(fresh));
            EXPECT_FALSE(journal.CanUndo());
            EXPECT_EQ(ContentsOf(fresh), original);
        }
        EXPECT_EQ(PatchKindOfName("x.BPS"), PatchKind::Bps);
        EXPECT_FALSE(
            CreatePatchFromDocument(document, original, PatchKindOfName("x.zip")).status.ok());
    }

    // A patch that makes the image longer: a whole document takes it, a paged one refuses it.
    auto longer = original;
    longer.resize(300, 7);
    const PatchResult growth = CreateIpsPatch(original, longer);
    Document whole(kPageSize, RealFileSystem());
    ASSERT_EQ(whole.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
    UndoJournal journal;
    ASSERT_TRUE(ApplyPatchToDocument(whole, journal, growth.bytes).ok());
    EXPECT_EQ(ContentsOf(whole), longer);
    Document paged(64, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "rom.bin", true).status, LoadStatus::Loaded);
    EXPECT_NE(ApplyPatchToDocument(paged, journal, growth.bytes).message().find("paged"),
              std::string::npos);
    EXPECT_EQ(ContentsOf(paged), original);
}

} // namespace
} // namespace byteloom
