#include "document/undo_journal.h"

#include <algorithm>
#include <utility>

namespace byteloom {

void UndoJournal::PushUndo(UndoRecord record)
{
    for (const UndoRecord &undone : redo_)
        heldBytes_ -= undone.oldBytes.size();
    redo_.clear();
    record.before = current_;
    record.after = current_ = nextState_++;
    heldBytes_ += record.oldBytes.size();
    undo_.push_back(std::move(record));
    while (undo_.size() > kCapacity || (heldBytes_ > kMaxHeldBytes && undo_.size() > 1))
        DropOldest();
}

void UndoJournal::DropOldest()
{
    heldBytes_ -= undo_.front().oldBytes.size();
    undo_.pop_front();
}

void UndoJournal::RecordBeforeWrite(Document &document, std::int64_t offset, std::int64_t length)
{
    RecordBeforeReplace(document, offset, length, -1);
}

void UndoJournal::RecordBeforeReplace(Document &document,
                                      std::int64_t offset,
                                      std::int64_t count,
                                      std::int64_t newLength)
{
    UndoRecord record{offset, std::vector<std::uint8_t>(static_cast<std::size_t>(count))};
    record.oldBytes.resize(static_cast<std::size_t>(document.ReadBlock(offset, record.oldBytes)));
    record.newLength = newLength;
    PushUndo(std::move(record));
}

void UndoJournal::RecordExpansion(std::int64_t oldSize, std::int64_t count, std::uint8_t fill)
{
    UndoRecord record{oldSize, {}};
    record.newLength = count;
    record.expansion = true;
    record.fill = fill;
    PushUndo(std::move(record));
}

void UndoJournal::Clear()
{
    undo_.clear();
    redo_.clear();
    heldBytes_ = 0;
    current_ = saved_ = 0;
}

std::optional<ByteRange> UndoJournal::Undo(Document &document)
{
    return Exchange(document, true);
}

std::optional<ByteRange> UndoJournal::Redo(Document &document)
{
    return Exchange(document, false);
}

// Undo applies a record from the undo stack; Redo applies the opposite record that Undo left on
// the redo stack. Either way the record moves to the other stack as its own opposite.
std::optional<ByteRange> UndoJournal::Exchange(Document &document, bool undoing)
{
    std::deque<UndoRecord> &from = undoing ? undo_ : redo_;
    std::deque<UndoRecord> &to = undoing ? redo_ : undo_;
    if (from.empty())
        return std::nullopt;
    UndoRecord &record = from.back();
    if (record.expansion) {
        const Status status = undoing ? document.TakeBackExpansion(record.newLength)
                                      : document.Expand(record.newLength, record.fill);
        if (!status.ok())
            return std::nullopt;
        current_ = undoing ? record.before : record.after;
        const ByteRange range{record.offset, undoing ? 0 : record.newLength};
        to.push_back(std::move(record));
        from.pop_back();
        return range;
    }
    // What stands there now is what the opposite edit must put back. A document that has since
    // become shorter keeps only the part of an overwrite inside it.
    const std::size_t held = record.oldBytes.size();
    const std::int64_t present
        = std::clamp<std::int64_t>(document.Size() - record.offset, 0, record.NewLength());
    UndoRecord opposite{record.offset,
                        std::vector<std::uint8_t>(static_cast<std::size_t>(present))};
    if (document.ReadBlock(record.offset, opposite.oldBytes) != present)
        return std::nullopt;
    if (record.newLength < 0) {
        // An overwrite: writing the same bytes again is harmless, so a failed write leaves the
        // record in place.
        record.oldBytes.resize(static_cast<std::size_t>(present));
        if (document.WriteBlock(record.offset, record.oldBytes) != present)
            return std::nullopt;
    } else {
        if (!document.Splice(record.offset, present, record.oldBytes).ok())
            return std::nullopt;
        opposite.newLength = record.length();
    }
    opposite.before = record.before;
    opposite.after = record.after;
    current_ = undoing ? record.before : record.after;
    const ByteRange range{record.offset, record.length()};
    heldBytes_ += opposite.oldBytes.size();
    heldBytes_ -= held;
    from.pop_back();
    to.push_back(std::move(opposite));
    return range;
}

} // namespace byteloom
