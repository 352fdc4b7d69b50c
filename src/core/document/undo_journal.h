#pragma once

#include "common/byte_range.h"
#include "document/document.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace byteloom {

// One edit: the bytes at offset (oldBytes) were replaced by newLength bytes, which stand there
// now; an overwrite keeps the length, a Cut leaves none, an insert-mode Paste puts in more. An
// expansion is kept as its size and fill byte, not as bytes: the document grew by newLength
// bytes of fill at offset, its old end.
struct UndoRecord
{
    std::int64_t offset = 0;
    std::vector<std::uint8_t> oldBytes;
    std::int64_t newLength = -1; // -1: as many as oldBytes (an overwrite)
    bool expansion = false;
    std::uint8_t fill = 0;
    // The journal's states before and after the edit, for the save point.
    std::uint64_t before = 0;
    std::uint64_t after = 0;

    [[nodiscard]] std::int64_t length() const { return static_cast<std::int64_t>(oldBytes.size()); }
    [[nodiscard]] std::int64_t NewLength() const { return newLength < 0 ? length() : newLength; }
};

// The edits that can be undone, newest last, and those undone that can be redone. It belongs
// to one document: whoever replaces or closes the document empties it.
class UndoJournal
{
public:
    // Beyond this many records, or this many bytes held, the oldest are dropped, so that recent
    // edits stay undoable and memory stays bounded.
    static constexpr std::size_t kCapacity = 4096;
    static constexpr std::size_t kMaxHeldBytes = std::size_t{256} << 20;

    // Records an edit; a new edit makes the undone ones unreachable, so they are forgotten.
    void PushUndo(UndoRecord record);
    // Records the length bytes at offset, read just before the caller overwrites them.
    void RecordBeforeWrite(Document &document, std::int64_t offset, std::int64_t length);
    // Records the count bytes at offset, read just before the caller replaces them with
    // newLength bytes (a Cut, an insert-mode Paste).
    void RecordBeforeReplace(Document &document,
                             std::int64_t offset,
                             std::int64_t count,
                             std::int64_t newLength);
    // Records an expansion that grew the document from oldSize by count bytes of fill.
    void RecordExpansion(std::int64_t oldSize, std::int64_t count, std::uint8_t fill);
    void Clear();

    [[nodiscard]] bool CanUndo() const { return !undo_.empty(); }
    [[nodiscard]] bool CanRedo() const { return !redo_.empty(); }
    [[nodiscard]] std::size_t UndoCount() const { return undo_.size(); }
    [[nodiscard]] std::size_t RedoCount() const { return redo_.size(); }
    [[nodiscard]] const UndoRecord &Newest() const { return undo_.back(); }
    [[nodiscard]] std::size_t HeldBytes() const { return heldBytes_; }

    // Names the state of the bytes: every edit, Undo and Redo gives another, so that a view of
    // the bytes (a comparison) knows when it is out of date.
    [[nodiscard]] std::uint64_t State() const { return current_; }
    // The document was saved (or loaded): this is the state its file holds.
    void MarkSaved() { saved_ = current_; }
    // Whether Undo and Redo have brought the document back to what its file holds.
    [[nodiscard]] bool AtSavePoint() const { return saved_ == current_; }

    // Takes back the newest edit and keeps it for Redo. Returns the range the edit now covers,
    // or nothing when there is nothing to undo or the store failed (the document then holds
    // the error, and the record stays so that Undo can be tried again).
    std::optional<ByteRange> Undo(Document &document);
    // Applies the most recently undone edit again; the same rules as Undo.
    std::optional<ByteRange> Redo(Document &document);

private:
    std::optional<ByteRange> Exchange(Document &document, bool undoing);
    void DropOldest();

    std::deque<UndoRecord> undo_;
    std::deque<UndoRecord> redo_;
    std::size_t heldBytes_ = 0;
    std::uint64_t nextState_ = 1;
    std::uint64_t current_ = 0;
    std::uint64_t saved_ = 0;
};

} // namespace byteloom
