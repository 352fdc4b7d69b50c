#include "document/document.h"

#include "common/system_error_text.h"
#include "document/safe_file_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <new>
#include <system_error>

namespace byteloom {

namespace {

// Said when a document held whole in memory would grow past what it can hold.
constexpr const char *kWholeDocumentLimit
    = "The document would reach 2 GB, which Byteloom holds only in pages; save it, turn on "
      "paging in Options > Preferences and open it again.";

std::size_t ToSize(std::int64_t value)
{
    return static_cast<std::size_t>(value);
}

} // namespace

Document::Document(std::int64_t pageSize, FileSystem &files)
    : pageSize_(pageSize)
    , files_(files)
    , source_(files)
{
    assert(pageSize > 0 && pageSize % 2 == 0);
}

Document::~Document() = default;

std::int64_t Document::PageCount() const
{
    return static_cast<std::int64_t>(dirtyPages_.size());
}

bool Document::IsPageDirty(std::int64_t page) const
{
    return paged_ && page >= 0 && page < PageCount() && dirtyPages_[ToSize(page)] != 0;
}

std::filesystem::path Document::PageFilePath(std::int64_t page) const
{
    if (pageFiles_.Folder().empty())
        return {};
    return pageFiles_.PathFor(page);
}

bool Document::MarkEdited()
{
    const bool wasClean = clean_;
    clean_ = false;
    return wasClean;
}

void Document::ResetState()
{
    source_ = BinaryFile(files_);
    sourceIdentity_ = {};
    readOnlyReason_.clear();
    pageFiles_.Remove();
    buffer_ = {};
    spare_ = {};
    sparePage_ = -1;
    dirtyPages_.clear();
    sourceLength_ = 0;
    expansions_.clear();
    size_ = 0;
    paged_ = false;
    pageBase_ = 0;
    pageLength_ = 0;
    currentPage_ = 0;
    path_.clear();
    open_ = false;
    clean_ = true;
    unnamed_ = false;
    ioError_.reset();
}

void Document::Release()
{
    ResetState();
}

void Document::New()
{
    ResetState();
    buffer_.assign(ToSize(kNewDocumentSize), 0);
    size_ = kNewDocumentSize;
    pageLength_ = size_;
    dirtyPages_.assign(1, 0);
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
        return {LoadStatus::CannotOpen, 0, "Unable to find the length of " + path.string(), {}};
    const bool paged = allowPaging && length > pageSize_;
    if (length > (paged ? kMaxPagedDocumentSize : kMaxWholeDocumentSize))
        return {LoadStatus::TooLarge, length, {}, {}};

    try {
        buffer_.assign(ToSize(paged ? pageSize_ : length), 0);
    } catch (const std::bad_alloc &) {
        buffer_ = {};
        return {LoadStatus::CannotAllocate, length, {}, {}};
    }
    const std::int64_t firstLength = paged ? pageSize_ : length;
    if (Status read = file.ReadAt(0, std::span(buffer_).first(ToSize(firstLength))); !read.ok()) {
        buffer_ = {};
        return {LoadStatus::CannotOpen, length, read.message(), {}};
    }

    size_ = length;
    sourceLength_ = length;
    paged_ = paged;
    pageLength_ = firstLength;
    dirtyPages_.assign(paged ? ToSize((length + pageSize_ - 1) / pageSize_) : 1, 0);
    if (paged) {
        // Commits write through the handle the pages were read from, never through a file that
        // has since taken the name; a file that cannot be written is still shown.
        BinaryFile writable(files_);
        if (Status opened = writable.Open(path, BinaryFile::Mode::Update); opened.ok())
            file = std::move(writable);
        else if (readOnlyReason_.empty())
            readOnlyReason_ = opened.message();
        sourceIdentity_ = file.Identity().value_or(FileIdentity{});
        source_ = std::move(file);
    }
    ++stats_.pageLoads;
    path_ = path;
    open_ = true;
    return {LoadStatus::Loaded,
            length,
            {},
            rollback.restored ? RestoredMessage(path) : rollback.setAside};
}

std::int64_t Document::PageLength(std::int64_t page) const
{
    return std::min(pageSize_, size_ - page * pageSize_);
}

void Document::NoteIoError(const Status &status)
{
    if (!status.ok() && !ioError_)
        ioError_ = status.message();
}

std::optional<std::string> Document::TakeIoError()
{
    return std::exchange(ioError_, std::nullopt);
}

Status Document::SwapOut()
{
    if (pageLength_ == 0 || dirtyPages_[ToSize(currentPage_)] == 0)
        return Status::Ok();
    if (Status folder = pageFiles_.Ensure(); !folder.ok())
        return folder;
    BinaryFile pageFile;
    Status status = pageFile.Open(pageFiles_.PathFor(currentPage_), BinaryFile::Mode::Create);
    if (status.ok())
        status = pageFile.WriteAt(0, std::span(buffer_).first(ToSize(pageLength_)));
    if (status.ok())
        status = pageFile.Close();
    if (status.ok())
        stats_.bytesWrittenToPageFiles += pageLength_;
    return status;
}

Status Document::SwapIn(std::int64_t page)
{
    const std::int64_t start = page * pageSize_;
    const std::int64_t length = PageLength(page);
    const auto target = std::span(buffer_).first(ToSize(length));
    Status status = Status::Ok();
    if (dirtyPages_[ToSize(page)] != 0) {
        BinaryFile pageFile;
        status = pageFile.Open(pageFiles_.PathFor(page), BinaryFile::Mode::Read);
        if (status.ok())
            status = pageFile.ReadAt(0, target);
    } else {
        const std::int64_t fromFile = std::clamp<std::int64_t>(sourceLength_ - start, 0, length);
        if (fromFile > 0)
            status = source_.ReadAt(start, target.first(ToSize(fromFile)));
        FillExpansion(start + fromFile, target.subspan(ToSize(fromFile)));
    }
    if (!status.ok())
        return status;
    pageBase_ = start;
    currentPage_ = page;
    pageLength_ = length;
    ++stats_.pageLoads;
    return Status::Ok();
}

void Document::FillExpansion(std::int64_t offset, std::span<std::uint8_t> bytes) const
{
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    for (std::size_t k = 0; k < expansions_.size(); ++k) {
        const std::int64_t runEnd = k + 1 < expansions_.size() ? expansions_[k + 1].start : size_;
        const std::int64_t from = std::max(offset, expansions_[k].start);
        const std::int64_t to = std::min(end, runEnd);
        if (from < to)
            std::fill(bytes.begin() + (from - offset),
                      bytes.begin() + (to - offset),
                      expansions_[k].fill);
    }
}

bool Document::BringInPageOf(std::int64_t offset)
{
    if (offset < 0 || offset >= size_ || !paged_)
        return false;
    // A dirty page that cannot be parked stays in memory, so nothing is lost.
    if (Status out = SwapOut(); !out.ok()) {
        NoteIoError(out);
        return false;
    }
    const std::int64_t page = offset / pageSize_;
    const std::int64_t leaving = pageLength_ > 0 ? currentPage_ : -1;
    if (page == sparePage_) {
        std::swap(buffer_, spare_);
        sparePage_ = leaving;
        pageBase_ = page * pageSize_;
        currentPage_ = page;
        pageLength_ = PageLength(page);
        return true;
    }
    // The page leaving memory becomes the spare, when there is memory for a second page.
    sparePage_ = -1;
    if (leaving >= 0) {
        try {
            spare_.resize(buffer_.size());
            std::swap(buffer_, spare_);
            sparePage_ = leaving;
        } catch (const std::bad_alloc &) {
            spare_ = {};
        }
    }
    pageLength_ = 0;
    if (Status in = SwapIn(page); !in.ok()) {
        NoteIoError(in);
        return false;
    }
    return true;
}

std::span<const std::uint8_t> Document::SpanAt(std::int64_t offset)
{
    const std::uint64_t index
        = static_cast<std::uint64_t>(offset) - static_cast<std::uint64_t>(pageBase_);
    if (index >= static_cast<std::uint64_t>(pageLength_)) {
        if (!BringInPageOf(offset))
            return {};
    }
    const std::int64_t start = offset - pageBase_;
    return std::span<const std::uint8_t>(buffer_).subspan(ToSize(start),
                                                          ToSize(pageLength_ - start));
}

std::span<std::uint8_t> Document::WritableSpanAt(std::int64_t offset)
{
    const std::span<const std::uint8_t> readable = SpanAt(offset);
    if (readable.empty())
        return {};
    dirtyPages_[ToSize(currentPage_)] = 1;
    const std::int64_t start = offset - pageBase_;
    return std::span(buffer_).subspan(ToSize(start), readable.size());
}

std::uint8_t Document::ReadByteSlow(std::int64_t offset)
{
    const std::span<const std::uint8_t> bytes = SpanAt(offset);
    return bytes.empty() ? 0 : bytes.front();
}

bool Document::WriteByteSlow(std::int64_t offset, std::uint8_t value)
{
    const std::span<std::uint8_t> bytes = WritableSpanAt(offset);
    if (bytes.empty())
        return false;
    bytes.front() = value;
    return true;
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
    const std::span<std::uint8_t> bytes = WritableSpanAt(offset);
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
    // Bytes before the start of the document are skipped, not shifted.
    std::int64_t position = std::max<std::int64_t>(offset, 0);
    const std::int64_t end = offset + static_cast<std::int64_t>(bytes.size());
    std::int64_t stored = 0;
    while (position < end) {
        const std::span<std::uint8_t> page = WritableSpanAt(position);
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

Status Document::ReplaceContents(std::vector<std::uint8_t> bytes)
{
    if (!open_ || paged_)
        return Status::Error("This change is not available for a paged document.");
    if (static_cast<std::int64_t>(bytes.size()) > kMaxWholeDocumentSize)
        return Status::Error(kWholeDocumentLimit);
    buffer_ = std::move(bytes);
    size_ = static_cast<std::int64_t>(buffer_.size());
    pageLength_ = size_;
    return Status::Ok();
}

Status Document::Expand(std::int64_t count, std::uint8_t fill)
{
    if (!open_)
        return Status::Error("No document is open.");
    if (count <= 0)
        return Status::Error("Please input an expansion size greater than 0.");
    if (count > (paged_ ? kMaxPagedDocumentSize : kMaxWholeDocumentSize) - size_)
        return Status::Error(paged_ ? "The document would be larger than any file can be."
                                    : kWholeDocumentLimit);
    if (!paged_) {
        try {
            buffer_.resize(ToSize(size_ + count), fill);
        } catch (const std::bad_alloc &) {
            return Status::Error("Unable to allocate " + std::to_string(size_ + count)
                                 + " bytes RAM to expand the document.");
        }
        size_ += count;
        pageLength_ = size_;
        return Status::Ok();
    }
    // The last page may grow: it is brought into memory so that it grows in one place only.
    const bool lastPageInMemory
        = pageLength_ > 0 && size_ - 1 >= pageBase_ && size_ - 1 < pageBase_ + pageLength_;
    if (!lastPageInMemory && !BringInPageOf(size_ - 1))
        return Status::Error(TakeIoError().value_or("Unable to read the document."));
    ForgetSparePage();
    const std::int64_t oldSize = size_;
    expansions_.push_back({oldSize, fill});
    size_ += count;
    dirtyPages_.resize(ToSize((size_ + pageSize_ - 1) / pageSize_), 0);
    const std::int64_t grown = PageLength(currentPage_);
    FillExpansion(pageBase_ + pageLength_,
                  std::span(buffer_).subspan(ToSize(pageLength_), ToSize(grown - pageLength_)));
    pageLength_ = grown;
    return Status::Ok();
}

Status
Document::Splice(std::int64_t offset, std::int64_t count, std::span<const std::uint8_t> bytes)
{
    if (!open_ || paged_)
        return Status::Error("This change is not available for a paged document.");
    offset = std::clamp<std::int64_t>(offset, 0, size_);
    count = std::clamp<std::int64_t>(count, 0, size_ - offset);
    if (size_ - count + static_cast<std::int64_t>(bytes.size()) > kMaxWholeDocumentSize)
        return Status::Error(kWholeDocumentLimit);
    const auto at = buffer_.begin() + offset;
    buffer_.erase(at, at + count);
    buffer_.insert(buffer_.begin() + offset, bytes.begin(), bytes.end());
    size_ = static_cast<std::int64_t>(buffer_.size());
    pageLength_ = size_;
    return Status::Ok();
}

Status Document::TakeBackExpansion(std::int64_t count)
{
    if (!open_ || count <= 0 || count > size_)
        return Status::Error("There is no expansion to take back.");
    const std::int64_t newSize = size_ - count;
    if (!paged_) {
        buffer_.resize(ToSize(newSize));
        size_ = newSize;
        pageLength_ = size_;
        return Status::Ok();
    }
    if (expansions_.empty() || expansions_.back().start != newSize)
        return Status::Error("There is no expansion to take back.");
    expansions_.pop_back();
    ForgetSparePage();
    const std::int64_t pages = (newSize + pageSize_ - 1) / pageSize_;
    // Pages wholly beyond the new end go, with the page files that held their changes.
    for (std::int64_t page = pages; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] != 0 && !pageFiles_.Folder().empty()) {
            std::error_code ignored;
            std::filesystem::remove(pageFiles_.PathFor(page), ignored);
        }
    }
    size_ = newSize;
    dirtyPages_.resize(ToSize(pages));
    if (currentPage_ >= pages)
        pageLength_ = 0; // the page in memory went: the next access brings one in
    else if (pageLength_ > 0)
        pageLength_ = PageLength(currentPage_);
    return Status::Ok();
}

Status Document::RemoveRange(std::int64_t lo, std::int64_t hi)
{
    if (!open_ || paged_)
        return Status::Error("This change is not available for a paged document.");
    lo = std::clamp<std::int64_t>(lo, 0, size_);
    hi = std::clamp<std::int64_t>(hi, lo, size_);
    buffer_.erase(buffer_.begin() + lo, buffer_.begin() + hi);
    size_ = static_cast<std::int64_t>(buffer_.size());
    pageLength_ = size_;
    return Status::Ok();
}

Status Document::DirtyPageBytes(std::int64_t page,
                                std::vector<std::uint8_t> &scratch,
                                std::span<const std::uint8_t> &bytes)
{
    const std::int64_t length = PageLength(page);
    if (page == currentPage_ && pageLength_ > 0) {
        bytes = std::span(buffer_).first(ToSize(length));
        return Status::Ok();
    }
    try {
        scratch.resize(ToSize(length));
    } catch (const std::bad_alloc &) {
        return Status::Error("Unable to allocate memory to save " + path_.string());
    }
    BinaryFile pageFile;
    Status read = pageFile.Open(pageFiles_.PathFor(page), BinaryFile::Mode::Read);
    if (read.ok())
        read = pageFile.ReadAt(0, scratch);
    bytes = scratch;
    return read;
}

Status Document::FindChangedStretches(std::vector<Stretch> &stretches)
{
    // Blocks of the file system's usual size (smaller only for the small pages of tests): a
    // changed byte costs one block, not a page.
    const std::int64_t block = std::clamp<std::int64_t>(pageSize_ / 16, 1, 4096);
    std::vector<std::uint8_t> scratch;
    std::vector<std::uint8_t> old;
    for (std::int64_t page = 0; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] == 0)
            continue;
        std::span<const std::uint8_t> bytes;
        if (Status read = DirtyPageBytes(page, scratch, bytes); !read.ok())
            return read;
        const std::int64_t from = page * pageSize_;
        const std::int64_t length = static_cast<std::int64_t>(bytes.size());
        const std::int64_t oldLength = std::clamp<std::int64_t>(sourceLength_ - from, 0, length);
        try {
            old.resize(ToSize(oldLength));
        } catch (const std::bad_alloc &) {
            return Status::Error("Unable to allocate memory to save " + path_.string());
        }
        if (Status read = source_.ReadAt(from, old); !read.ok())
            return read;
        const auto add = [&](std::int64_t at, std::int64_t count) {
            if (!stretches.empty() && stretches.back().page == page
                && stretches.back().offset + stretches.back().length == at)
                stretches.back().length += count;
            else
                stretches.push_back({page, at, count});
        };
        for (std::int64_t at = 0; at < oldLength; at += block) {
            const std::int64_t count = std::min(block, oldLength - at);
            if (std::memcmp(bytes.data() + at, old.data() + at, ToSize(count)) != 0)
                add(from + at, count);
        }
        // What lies past the file's old end is new whatever it holds.
        if (oldLength < length)
            stretches.push_back({page, from + oldLength, length - oldLength});
    }
    return Status::Ok();
}

Status Document::WriteStretchesInto(BinaryFile &file, const std::vector<Stretch> &stretches)
{
    std::vector<std::uint8_t> scratch;
    BinaryFile pageFile;
    std::int64_t pageFileOf = -1;
    for (const Stretch &stretch : stretches) {
        const std::int64_t within = stretch.offset - stretch.page * pageSize_;
        std::span<const std::uint8_t> bytes;
        if (stretch.page == currentPage_ && pageLength_ > 0) {
            bytes = std::span(buffer_).subspan(ToSize(within), ToSize(stretch.length));
        } else {
            if (pageFileOf != stretch.page) {
                if (Status opened
                    = pageFile.Open(pageFiles_.PathFor(stretch.page), BinaryFile::Mode::Read);
                    !opened.ok())
                    return opened;
                pageFileOf = stretch.page;
            }
            try {
                scratch.resize(ToSize(stretch.length));
            } catch (const std::bad_alloc &) {
                return Status::Error("Unable to allocate memory to save " + path_.string());
            }
            if (Status read = pageFile.ReadAt(within, scratch); !read.ok())
                return read;
            bytes = scratch;
        }
        if (Status written = file.WriteAt(stretch.offset, bytes); !written.ok())
            return written;
        stats_.bytesWrittenToFile += stretch.length;
    }
    return file.Sync();
}

Status Document::WriteExpansionInto(BinaryFile &file)
{
    std::vector<std::uint8_t> scratch;
    for (std::int64_t page = sourceLength_ / pageSize_; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] != 0)
            continue; // written from the page itself, with the changed stretches
        const std::int64_t from = std::max(sourceLength_, page * pageSize_);
        const std::int64_t to = page * pageSize_ + PageLength(page);
        try {
            scratch.resize(ToSize(to - from));
        } catch (const std::bad_alloc &) {
            return Status::Error("Unable to allocate memory to save " + path_.string());
        }
        FillExpansion(from, scratch);
        if (Status written = file.WriteAt(from, scratch); !written.ok())
            return written;
        stats_.bytesWrittenToFile += to - from;
    }
    return Status::Ok();
}

Status Document::CheckStillTheLoadedFile()
{
    if (!readOnlyReason_.empty())
        return Status::Error(readOnlyReason_);
    // The handle was opened for writing when the file was loaded; what the user may do now is
    // what counts.
    errno = 0;
    if (::access(RealFileOf(path_).c_str(), W_OK) != 0 && errno != ENOENT)
        return Status::Error("Unable to write " + path_.string() + ": " + LastSystemErrorText());
    const auto now = IdentityOf(path_);
    const auto held = source_.Identity();
    if (now && held && *now == sourceIdentity_ && now->device == held->device
        && now->number == held->number)
        return Status::Ok();
    return Status::Error("Unable to save " + path_.string()
                         + ": another program has replaced or changed the file since it was "
                           "opened, so your changes are not written into it. Use Save As to "
                           "save the document under a name of your choosing.");
}

void Document::AllPagesCommitted()
{
    ForgetSparePage();
    for (std::int64_t page = 0; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] == 0)
            continue;
        dirtyPages_[ToSize(page)] = 0;
        if (!pageFiles_.Folder().empty())
            (void)files_.Remove(pageFiles_.PathFor(page));
    }
    sourceLength_ = size_;
    expansions_.clear();
}

Status Document::CommitPages()
{
    if (!paged_)
        return Status::Ok();
    const bool dirty
        = std::any_of(dirtyPages_.begin(), dirtyPages_.end(), [](auto f) { return f; });
    if (!dirty && expansions_.empty())
        return Status::Ok();
    if (Status same = CheckStillTheLoadedFile(); !same.ok())
        return same;
    // What an earlier failed save left half written is put back first, so that what differs is
    // found against the file as the document last knew it.
    if (Status earlier = PutBackEarlierSave(path_, files_); !earlier.ok())
        return earlier;
    // Only what differs from the file is written, and only that is kept for a rollback.
    std::vector<Stretch> stretches;
    if (Status found = FindChangedStretches(stretches); !found.ok())
        return found;
    // The pages were changed back to what the file holds: nothing to write.
    if (stretches.empty() && expansions_.empty() && size_ == sourceLength_) {
        AllPagesCommitted();
        return Status::Ok();
    }
    bool written = false;
    Status status = WriteBehindRollback(
        files_,
        path_,
        sourceLength_,
        [&](RollbackFile &rollback) {
            for (const Stretch &stretch : stretches) {
                if (stretch.offset >= sourceLength_)
                    continue; // past the old end: the old length puts it back
                if (Status kept = rollback.KeepFrom(source_, stretch.offset, stretch.length);
                    !kept.ok())
                    return kept;
            }
            return Status::Ok();
        },
        [&] {
            Status wrote = WriteExpansionInto(source_);
            if (wrote.ok())
                wrote = WriteStretchesInto(source_, stretches);
            return wrote;
        },
        &written);
    // Whatever happened, the file's identity is what the next commit compares with.
    sourceIdentity_ = source_.Identity().value_or(FileIdentity{});
    // Only once every page has reached the file for good may the page files go; then the
    // document's idea of the file is the file, whatever the status says of the disk.
    if (written)
        AllPagesCommitted();
    return status;
}

Status Document::DiscardPages()
{
    if (!paged_)
        return Status::Ok();
    // The file is read again: what a failed save left half written goes back first.
    if (Status earlier = PutBackEarlierSave(path_, files_); !earlier.ok())
        return earlier;
    ForgetSparePage();
    // The page in memory may be one an expansion taken back has removed.
    if (currentPage_ >= PageCount() || dirtyPages_[ToSize(currentPage_)] != 0
        || !expansions_.empty())
        pageLength_ = 0; // the next access reads the page again from the file
    std::fill(dirtyPages_.begin(), dirtyPages_.end(), 0);
    pageFiles_.Remove();
    size_ = sourceLength_;
    expansions_.clear();
    dirtyPages_.resize(ToSize((size_ + pageSize_ - 1) / pageSize_));
    if (currentPage_ >= PageCount())
        pageLength_ = 0;
    return Status::Ok();
}

Status Document::SaveWhole()
{
    const std::span<const std::uint8_t> bytes = std::span(buffer_).first(ToSize(size_));
    const std::filesystem::path real = RealFileOf(path_);
    struct stat status
    {};
    if (::stat(real.c_str(), &status) != 0)
        return WriteFileSafely(real, bytes, files_); // the file has gone: it is made anew
    errno = 0;
    if (::access(real.c_str(), W_OK) != 0)
        return Status::Error("Unable to write " + path_.string() + ": " + LastSystemErrorText());
    // A new file renamed over the old one would split hard links and take the saving user's
    // owner and group; such a file is rewritten in place, behind a rollback file.
    // What an earlier failed save left half written goes back first, so that its rollback file
    // is neither left to undo this save nor taken for this save's own.
    if (Status earlier = PutBackEarlierSave(real, files_); !earlier.ok())
        return earlier;
    if (status.st_nlink == 1 && status.st_uid == ::geteuid() && status.st_gid == ::getegid())
        return WriteFileSafely(real, bytes, files_);
    BinaryFile file(files_);
    if (Status opened = file.Open(real, BinaryFile::Mode::Update, path_.string()); !opened.ok())
        return opened;
    const std::int64_t oldLength = file.Length();
    if (oldLength < 0)
        return Status::Error("Unable to find the length of " + path_.string());
    return WriteBehindRollback(
        files_,
        real,
        oldLength,
        [&](RollbackFile &rollback) {
            std::vector<std::uint8_t> old(ToSize(oldLength));
            Status read = file.ReadAt(0, old);
            return read.ok() ? rollback.Keep(0, old) : read;
        },
        [&] {
            Status written = file.WriteAt(0, bytes);
            if (written.ok())
                written = file.Truncate(size_);
            if (written.ok())
                written = file.Sync();
            return written;
        });
}

Status Document::Save()
{
    if (!open_)
        return Status::Ok();
    if (unnamed_)
        return Status::Error("The document has no file name yet.");
    if (!readOnlyReason_.empty())
        return Status::Error(readOnlyReason_);
    Status status = paged_ ? CommitPages() : SaveWhole();
    if (status.ok()) {
        if (!paged_)
            stats_.bytesWrittenToFile += size_;
        clean_ = true;
    }
    return status;
}

Status Document::SaveAs(const std::filesystem::path &path, const ProgressCallback &progress)
{
    if (!open_)
        return Status::Ok();
    if (!paged_) {
        if (Status status = WriteFileSafely(path, std::span(buffer_).first(ToSize(size_)), files_);
            !status.ok())
            return status;
        stats_.bytesWrittenToFile += size_;
        path_ = path;
        unnamed_ = false;
        clean_ = true;
        return Status::Ok();
    }

    // Page by page into a new file; the document's own file is only read.
    SafeFileStream stream(files_);
    Status status = stream.Open(path);
    std::vector<std::uint8_t> scratch;
    for (std::int64_t page = 0; status.ok() && page < PageCount(); ++page) {
        if (progress && !progress(page * pageSize_, size_))
            return Status::Cancelled();
        try {
            scratch.resize(ToSize(PageLength(page)));
        } catch (const std::bad_alloc &) {
            return Status::Error("Unable to allocate memory to save " + path.string());
        }
        if (ReadBlock(page * pageSize_, scratch) != static_cast<std::int64_t>(scratch.size()))
            status = Status::Error("Unable to read the document to save it as " + path.string());
        if (auto failed = TakeIoError())
            status = Status::Error(*failed);
        if (status.ok())
            status = stream.Write(scratch);
        if (status.ok())
            stats_.bytesWrittenToFile += PageLength(page);
    }
    // The handle the document keeps is opened before the rename, so that once the new file
    // has taken the name nothing more can fail.
    BinaryFile file(files_);
    if (status.ok())
        status = file.Open(stream.TemporaryPath(), BinaryFile::Mode::Update, path.string());
    if (status.ok())
        status = stream.Commit();
    if (!status.ok())
        return status;

    // The new file holds every byte: the document now belongs to it.
    AllPagesCommitted();
    pageFiles_.Remove();
    sourceIdentity_ = file.Identity().value_or(FileIdentity{});
    readOnlyReason_.clear();
    source_ = std::move(file);
    path_ = path;
    unnamed_ = false;
    clean_ = true;
    return Status::Ok();
}

void Document::SetPath(const std::filesystem::path &path)
{
    if (!open_ || paged_)
        return;
    path_ = path;
    unnamed_ = false;
}

} // namespace byteloom
