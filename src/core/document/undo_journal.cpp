#include "document/undo_journal.h"

#include <algorithm>
#include <utility>

namespace byteloom {

void UndoJournal::PushUndo(UndoRecord record)
{
    redo_.clear();
    if (undo_.size() == kCapacity)
        undo_.pop_front();
    undo_.push_back(std::move(record));
}

void UndoJournal::RecordBeforeWrite(Document &document, std::int64_t offset, std::int64_t length)
{
    UndoRecord record{offset, std::vector<std::uint8_t>(static_cast<std::size_t>(length))};
    record.oldBytes.resize(static_cast<std::size_t>(document.ReadBlock(offset, record.oldBytes)));
    PushUndo(std::move(record));
}

void UndoJournal::Clear()
{
    undo_.clear();
    redo_.clear();
}

std::optional<ByteRange> UndoJournal::Undo(Document &document)
{
    return Exchange(document, undo_, redo_);
}

std::optional<ByteRange> UndoJournal::Redo(Document &document)
{
    return Exchange(document, redo_, undo_);
}

std::optional<ByteRange>
UndoJournal::Exchange(Document &document, std::deque<UndoRecord> &from, std::deque<UndoRecord> &to)
{
    if (from.empty())
        return std::nullopt;
    UndoRecord &record = from.back();
    // A document that has since become shorter keeps only the part of the record inside it.
    const std::int64_t inside
        = std::clamp<std::int64_t>(document.Size() - record.offset, 0, record.length());
    record.oldBytes.resize(static_cast<std::size_t>(inside));
    // What stands there now is what the opposite command must put back.
    UndoRecord opposite{record.offset, std::vector<std::uint8_t>(record.oldBytes.size())};
    if (document.ReadBlock(record.offset, opposite.oldBytes) != inside)
        return std::nullopt;
    // Writing the same bytes again is harmless, so a failed write leaves the record in place.
    if (document.WriteBlock(record.offset, record.oldBytes) != inside)
        return std::nullopt;
    const ByteRange range{record.offset, inside};
    from.pop_back();
    to.push_back(std::move(opposite));
    return range;
}

} // namespace byteloom
