#include "document/document.h"
#include "common/path_text.h"

#include "common/growable.h"
#include "common/system_error_text.h"
#include "document/safe_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace byteloom {

Document::Document(std::int64_t pageSize, FileSystem &files)
    : files_(files)
    , cache_(pageSize, files)
{}

Document::~Document() = default;

bool Document::MarkEdited()
{
    const bool wasClean = clean_;
    clean_ = false;
    return wasClean;
}

void Document::ResetState()
{
    cache_.Reset();
    sourceIdentity_ = {};
    readOnlyReason_.clear();
    path_.clear();
    open_ = false;
    clean_ = true;
    unnamed_ = false;
}

void Document::Release()
{
    ResetState();
}

void Document::New()
{
    ResetState();
    cache_.HoldWhole(std::vector<std::uint8_t>(ToSize(kNewDocumentSize), 0));
    open_ = true;
    unnamed_ = true;
}

LoadResult Document::Load(const std::filesystem::path &path, bool allowPaging)
{
    ResetState();
    // A save that was interrupted is undone first, so that the file is read wholly old.
    const RollbackOutcome rollback = RestoreFromRollback(path, files_);
    if (!rollback.status.ok())
        return {LoadStatus::CannotOpen, 0, rollback.status.message(), {}};
    // A rollback file that could not be used is kept aside: the file is shown as it is, and
    // saved only elsewhere until the user has looked at it.
    readOnlyReason_ = rollback.setAside;
    BinaryFile file(files_);
    if (Status opened = file.Open(path, BinaryFile::Mode::Read); !opened.ok())
        return {LoadStatus::CannotOpen, 0, opened.message(), {}};
    const std::int64_t length = file.Length();
    if (length < 0)
        return {LoadStatus::CannotOpen, 0, "Unable to find the length of " + TextOfPath(path), {}};
    const bool paged = allowPaging && length > PageSize();
    if (length > (paged ? kMaxPagedDocumentSize : kMaxWholeDocumentSize))
        return {LoadStatus::TooLarge, length, {}, {}};

    const std::int64_t firstLength = paged ? PageSize() : length;
    std::vector<std::uint8_t> first;
    if (!TryResize(first, ToSize(firstLength)))
        return {LoadStatus::CannotAllocate, length, {}, {}};
    if (Status read = file.ReadAt(0, first); !read.ok())
        return {LoadStatus::CannotOpen, length, read.message(), {}};

    if (paged) {
        // Commits write through the handle the pages were read from, never through a file that
        // has since taken the name; a file that cannot be written is still shown.
        BinaryFile writable(files_);
        if (Status opened = writable.Open(path, BinaryFile::Mode::Update); opened.ok())
            file = std::move(writable);
        else if (readOnlyReason_.empty())
            readOnlyReason_ = opened.message();
        sourceIdentity_ = file.Identity().value_or(FileIdentity{});
        cache_.PageThrough(std::move(file), length, std::move(first));
    } else {
        cache_.HoldWhole(std::move(first));
    }
    ++cache_.Counters().pageLoads;
    path_ = path;
    open_ = true;
    return {LoadStatus::Loaded,
            length,
            {},
            rollback.restored ? RestoredMessage(path) : rollback.setAside};
}

std::uint16_t Document::ReadUnit(std::int64_t index)
{
    const auto offset = static_cast<std::int64_t>(static_cast<std::uint64_t>(index) * 2u);
    return static_cast<std::uint16_t>(ReadByte(offset) | (ReadByte(offset + 1) << 8));
}

std::int64_t Document::ReadBlock(std::int64_t offset, std::span<std::uint8_t> bytes)
{
    std::int64_t copied = 0;
    while (copied < static_cast<std::int64_t>(bytes.size())) {
        const std::span<const std::uint8_t> page = SpanAt(offset + copied);
        if (page.empty())
            break;
        const std::size_t count = std::min(page.size(), bytes.size() - ToSize(copied));
        std::memcpy(bytes.data() + copied, page.data(), count);
        copied += static_cast<std::int64_t>(count);
    }
    return copied;
}

bool Document::AddToByte(std::int64_t offset, std::uint8_t delta)
{
    const std::span<std::uint8_t> bytes = cache_.WritableSpanAt(offset);
    if (bytes.empty())
        return false;
    bytes.front() = static_cast<std::uint8_t>(bytes.front() + delta);
    return true;
}

bool Document::WriteUnit(std::int64_t index, std::uint16_t value)
{
    const auto offset = static_cast<std::int64_t>(static_cast<std::uint64_t>(index) * 2u);
    const bool low = WriteByte(offset, static_cast<std::uint8_t>(value & 0xFF));
    const bool high = WriteByte(offset + 1, static_cast<std::uint8_t>(value >> 8));
    return low && high;
}

std::int64_t Document::WriteBlock(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    // Nothing lands past the end; bytes before the start are skipped, not shifted.
    if (offset >= Size())
        return 0;
    std::int64_t position = std::max<std::int64_t>(offset, 0);
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    std::int64_t stored = 0;
    while (position < end) {
        const std::span<std::uint8_t> page = cache_.WritableSpanAt(position);
        if (page.empty())
            break;
        const std::size_t count = std::min(page.size(), ToSize(end - position));
        std::memcpy(page.data(), bytes.data() + (position - offset), count);
        position += static_cast<std::int64_t>(count);
        stored += static_cast<std::int64_t>(count);
    }
    return stored;
}

std::int64_t Document::WriteUnits(std::int64_t offset, std::span<const std::uint16_t> units)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(units.size() * 2);
    for (const std::uint16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return WriteBlock(offset, bytes) / 2;
}

Status Document::WholeEditOnly() const
{
    if (!open_ || IsPaged())
        return Status::Error("This change is not available for a paged document.");
    return Status::Ok();
}

Status Document::ReplaceContents(std::vector<std::uint8_t> bytes)
{
    if (Status whole = WholeEditOnly(); !whole.ok())
        return whole;
    return cache_.Replace(std::move(bytes));
}

Status Document::RemoveRange(std::int64_t lo, std::int64_t hi)
{
    if (Status whole = WholeEditOnly(); !whole.ok())
        return whole;
    lo = std::clamp<std::int64_t>(lo, 0, Size());
    hi = std::clamp<std::int64_t>(hi, lo, Size());
    return cache_.Splice(lo, hi - lo, {});
}

Status
Document::Splice(std::int64_t offset, std::int64_t count, std::span<const std::uint8_t> bytes)
{
    if (Status whole = WholeEditOnly(); !whole.ok())
        return whole;
    return cache_.Splice(offset, count, bytes);
}

Status Document::Expand(std::int64_t count, std::uint8_t fill)
{
    if (!open_)
        return Status::Error("No document is open.");
    return cache_.Expand(count, fill);
}

Status Document::TakeBackExpansion(std::int64_t count)
{
    if (!open_)
        return Status::Error("There is no expansion to take back.");
    return cache_.TakeBackExpansion(count);
}

} // namespace byteloom
