#include "document/undo_journal.h"
#include "session/session.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using namespace test;

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
    Document document(kPageSize, RealFileSystem());
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
    EXPECT_EQ(journal.RedoCount(), 1u);
    Edit(journal, document, 5, {0x55});
    EXPECT_FALSE(journal.CanRedo());
    EXPECT_FALSE(journal.Redo(document));
}

TEST(UndoJournal, TheOldestRecordIsDroppedWhenTheJournalIsFull)
{
    Document document(kPageSize, RealFileSystem());
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
    Document paged(32, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "u.bin", true).status, LoadStatus::Loaded);
    UndoJournal journal;
    Edit(journal, paged, 30, {1, 2, 3, 4}); // spans pages 0 and 1
    Edit(journal, paged, 90, {5});
    ASSERT_TRUE(journal.Undo(paged));
    ASSERT_TRUE(journal.Undo(paged));
    for (std::int64_t offset = 0; offset < 100; ++offset)
        ASSERT_EQ(paged.ReadByte(offset), original[static_cast<std::size_t>(offset)]) << offset;

    Document whole(kPageSize, RealFileSystem());
    whole.New();
    UndoJournal shrinking;
    Edit(shrinking, whole, 2046, {7, 7});
    ASSERT_TRUE(whole.RemoveRange(0, 1).ok());
    const auto restored = shrinking.Undo(whole);
    ASSERT_TRUE(restored.has_value());
    EXPECT_EQ(restored->length, 1); // only the byte still inside the document
    EXPECT_EQ(whole.ReadByte(2046), 0);
}

// Random overwrites, insertions, removals and expansions, undone and redone in any order, keep
// the document equal to the model's state at every step, whole and paged; the journal knows
// when it is back at the saved state.
TEST(UndoJournal, EveryEditIsUndoneAndRedoneInOrderAgainstAModel)
{
    TempFolder folder;
    for (const bool paged : {false, true}) {
        std::mt19937 random(paged ? 7u : 3u);
        std::vector<std::uint8_t> start = PatternBytes(300);
        WriteBytes(folder / "m.bin", start);
        Document document(256, RealFileSystem());
        ASSERT_EQ(document.Load(folder / "m.bin", paged).status, LoadStatus::Loaded);
        ASSERT_EQ(document.IsPaged(), paged);
        UndoJournal journal;
        std::vector<std::vector<std::uint8_t>> states{start};
        std::size_t now = 0;
        std::size_t saved = 0;
        for (int step = 0; step < (paged ? 800 : 3000); ++step) {
            const auto size = static_cast<std::int64_t>(states[now].size());
            const auto at = static_cast<std::int64_t>(random() % static_cast<std::uint32_t>(size));
            const auto count = static_cast<std::int64_t>(1 + random() % 40);
            std::vector<std::uint8_t> next = states[now];
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
            for (auto &byte : bytes)
                byte = static_cast<std::uint8_t>(random());
            switch (random() % (paged ? 5 : 7)) {
            case 0:
            case 1: { // overwrite, inside the document
                const std::int64_t n = std::min(count, size - at);
                journal.RecordBeforeWrite(document, at, n);
                ASSERT_EQ(
                    document.WriteBlock(at, std::span(bytes).first(static_cast<std::size_t>(n))),
                    n);
                std::copy_n(bytes.begin(), n, next.begin() + at);
                break;
            }
            case 2: { // expansion
                const auto fill = static_cast<std::uint8_t>(random());
                ASSERT_TRUE(document.Expand(count, fill).ok());
                journal.RecordExpansion(size, count, fill);
                next.resize(next.size() + static_cast<std::size_t>(count), fill);
                break;
            }
            case 3:
                if (journal.Undo(document)) {
                    ASSERT_GT(now, 0u);
                    --now;
                }
                continue;
            case 4:
                if (journal.Redo(document)) {
                    ASSERT_LT(now + 1, states.size());
                    ++now;
                }
                continue;
            case 5: { // insertion (whole documents)
                journal.RecordBeforeReplace(document, at, 0, count);
                ASSERT_TRUE(document.Splice(at, 0, bytes).ok());
                next.insert(next.begin() + at, bytes.begin(), bytes.end());
                break;
            }
            default: { // removal (whole documents), never of everything
                const std::int64_t n = std::min(count, size - at - 1);
                if (n <= 0)
                    continue;
                journal.RecordBeforeReplace(document, at, n, 0);
                ASSERT_TRUE(document.RemoveRange(at, at + n).ok());
                next.erase(next.begin() + at, next.begin() + at + n);
                break;
            }
            }
            if (saved > now)
                saved = SIZE_MAX; // that state can no longer be reached
            states.resize(now + 1);
            states.push_back(std::move(next));
            ++now;
            if (random() % 50 == 0) {
                journal.MarkSaved();
                saved = now;
            }
        }
        // Walk all the way back and forth, checking every state on the way.
        const auto check = [&](const char *where) {
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document.Size()));
            ASSERT_EQ(document.ReadBlock(0, bytes), document.Size());
            ASSERT_EQ(bytes, states[now]) << where << " state " << now << (paged ? " paged" : "");
            ASSERT_EQ(journal.AtSavePoint(), now == saved) << where << " state " << now;
        };
        check("end");
        while (journal.Undo(document)) {
            --now;
            check("undo");
        }
        EXPECT_EQ(now, 0u);
        while (journal.Redo(document)) {
            ++now;
            check("redo");
        }
        EXPECT_EQ(now + 1, states.size());
    }
}

// The oldest records go when the bytes held pass 256 MiB, as when there are 4096 of them.
TEST(UndoJournal, HeldBytesStayBounded)
{
    UndoJournal journal;
    const std::size_t big = UndoJournal::kMaxHeldBytes / 8;
    for (int i = 0; i < 10; ++i)
        journal.PushUndo({0, std::vector<std::uint8_t>(big, 1)});
    EXPECT_EQ(journal.UndoCount(), 8u);
    EXPECT_LE(journal.HeldBytes(), UndoJournal::kMaxHeldBytes);
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
