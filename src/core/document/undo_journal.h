#pragma once

#include "document/document.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace byteloom {

// What an edit overwrote: the old bytes and where they stood.
struct UndoRecord
{
    std::int64_t offset = 0;
    std::vector<std::uint8_t> oldBytes;

    [[nodiscard]] std::int64_t length() const { return static_cast<std::int64_t>(oldBytes.size()); }
};

struct ByteRange
{
    std::int64_t offset = 0;
    std::int64_t length = 0;
};

// The edits that can be undone, newest last, and those undone that can be redone. It belongs
// to one document: whoever replaces or closes the document empties it.
class UndoJournal
{
public:
    // Beyond this many records the oldest is dropped, so recent edits stay undoable.
    static constexpr std::size_t kCapacity = 4096;

    // Records an edit; a new edit makes the undone ones unreachable, so they are forgotten.
    void PushUndo(UndoRecord record);
    // Records the length bytes at offset, read just before the caller overwrites them.
    void RecordBeforeWrite(Document &document, std::int64_t offset, std::int64_t length);
    void Clear();

    [[nodiscard]] bool CanUndo() const { return !undo_.empty(); }
    [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }
    [[nodiscard]] std::size_t UndoCount() const { return undo_.size(); }
    [[nodiscard]] std::size_t RedoCount() const { return redo_.size(); }
    [[nodiscard]] const UndoRecord &Newest() const { return undo_.back(); }

    // Writes the newest record's old bytes back and keeps what they replaced for Redo. Returns
    // the restored range, or nothing when there is nothing to undo or the store failed (the
    // document then holds the error, and the record stays so that Undo can be tried again).
    std::optional<ByteRange> Undo(Document &document);
    // Applies the most recently undone edit again; the same rules as Undo.
    std::optional<ByteRange> Redo(Document &document);

private:
    static std::optional<ByteRange>
    Exchange(Document &document, std::deque<UndoRecord> &from, std::deque<UndoRecord> &to);

    std::deque<UndoRecord> undo_;
    std::deque<UndoRecord> redo_;
};

} // namespace byteloom
