#include "document/undo_journal.h"
#include "session.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using test::PatternBytes;
using test::TempFolder;
using test::WriteBytes;

void Edit(UndoJournal &journal,
          Document &document,
          std::int64_t offset,
          std::vector<std::uint8_t> bytes)
{
    journal.RecordBeforeWrite(document, offset, static_cast<std::int64_t>(bytes.size()));
    ASSERT_EQ(document.WriteBlock(offset, bytes), static_cast<std::int64_t>(bytes.size()));
}

TEST(UndoJournal, UndoAndRedoWalkThroughTheEditsAndANewEditDropsTheRedos)
{
    Document document;
    document.New();
    UndoJournal journal;
    Edit(journal, document, 0, {0x11});
    Edit(journal, document, 1, {0x22, 0x33});
    Edit(journal, document, 0, {0x44});

    auto restored = journal.Undo(document);
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ(restored->offset, 0);
    EXPECT_EQ(restored->length, 1);
    EXPECT_EQ(document.ReadByte(0), 0x11);
    ASSERT_TRUE(journal.Undo(document));
    EXPECT_EQ(document.ReadByte(1), 0);
    EXPECT_EQ(document.ReadByte(2), 0);
    EXPECT_EQ(journal.UndoCount(), 1u);
    EXPECT_EQ(journal.RedoCount(), 2u);

    ASSERT_TRUE(journal.Redo(document));
    EXPECT_EQ(document.ReadByte(1), 0x22);
    EXPECT_EQ(document.ReadByte(2), 0x33);

    Edit(journal, document, 5, {0x55});
    EXPECT_FALSE(journal.CanRedo());
    EXPECT_FALSE(journal.Redo(document));

    while (journal.Undo(document)) {
    }
    for (std::int64_t offset = 0; offset < 8; ++offset)
        EXPECT_EQ(document.ReadByte(offset), 0) << offset;
}

TEST(UndoJournal, TheOldestRecordIsDroppedWhenTheJournalIsFull)
{
    Document document;
    document.New();
    UndoJournal journal;
    for (std::size_t i = 0; i <= UndoJournal::kCapacity; ++i)
        Edit(journal, document, static_cast<std::int64_t>(i % 2048), {0xFF});
    EXPECT_EQ(journal.UndoCount(), UndoJournal::kCapacity);
    std::size_t undone = 0;
    while (journal.Undo(document))
        ++undone;
    EXPECT_EQ(undone, UndoJournal::kCapacity);
    // The very first edit (offset 0, over a zero) fell off, so offset 0 keeps the 0xFF that
    // the first edit wrote; every later one is restored.
    EXPECT_EQ(document.ReadByte(0), 0xFF);
    EXPECT_EQ(document.ReadByte(1), 0);
}

TEST(UndoJournal, UndoWorksAcrossPagesAndAfterTheDocumentShrank)
{
    TempFolder folder;
    const auto original = PatternBytes(100);
    WriteBytes(folder / "u.bin", original);
    Document paged(32);
    ASSERT_EQ(paged.Load(folder / "u.bin", true).status, LoadStatus::Loaded);
    UndoJournal journal;
    Edit(journal, paged, 30, {1, 2, 3, 4}); // spans pages 0 and 1
    Edit(journal, paged, 90, {5});
    ASSERT_TRUE(journal.Undo(paged));
    ASSERT_TRUE(journal.Undo(paged));
    for (std::int64_t offset = 0; offset < 100; ++offset)
        ASSERT_EQ(paged.ReadByte(offset), original[static_cast<std::size_t>(offset)]) << offset;

    Document whole;
    whole.New();
    UndoJournal shrinking;
    Edit(shrinking, whole, 2046, {7, 7});
    ASSERT_TRUE(whole.RemoveRange(0, 1).ok());
    const auto restored = shrinking.Undo(whole);
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ(restored->length, 1); // only the byte still inside the document
    EXPECT_EQ(whole.ReadByte(2046), 0);
}

TEST(UndoJournal, RecordsNeverOutliveTheirDocument)
{
    TempFolder folder;
    WriteBytes(folder / "a.bin", PatternBytes(16));
    Session session;
    session.NewDocument();
    Edit(session.journal(), session.document(), 0, {1});
    ASSERT_EQ(session.OpenDocument(folder / "a.bin", true).status, LoadStatus::Loaded);
    EXPECT_FALSE(session.journal().CanUndo());

    Edit(session.journal(), session.document(), 0, {1});
    session.NewDocument();
    EXPECT_FALSE(session.journal().CanUndo());

    Edit(session.journal(), session.document(), 0, {1});
    session.CloseDocument();
    EXPECT_FALSE(session.journal().CanUndo());
    EXPECT_FALSE(session.document().IsOpen());
}

} // namespace
} // namespace byteloom
