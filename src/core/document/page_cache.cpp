#include "document/page_cache.h"

#include "common/growable.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace byteloom {

namespace {

// Said when a document held whole in memory would grow past what it can hold.
constexpr const char *kWholeDocumentLimit
    = "The document would reach 2 GB, which Byteloom holds only in pages; save it, turn on "
      "paging in Options > Preferences and open it again.";
constexpr const char *kPagedOnly = "This change is not available for a paged document.";

} // namespace

PageCache::PageCache(std::int64_t pageSize, FileSystem &files)
    : pageSize_(pageSize)
    , files_(files)
    , source_(files)
    , pageFiles_(files)
{
    assert(pageSize > 0 && pageSize % 2 == 0);
}

void PageCache::Reset()
{
    source_ = BinaryFile(files_);
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
    ioError_.reset();
}

void PageCache::HoldWhole(std::vector<std::uint8_t> bytes)
{
    Reset();
    buffer_ = std::move(bytes);
    size_ = static_cast<std::int64_t>(buffer_.size());
    sourceLength_ = size_;
    pageLength_ = size_;
    dirtyPages_.assign(1, 0);
}

void PageCache::PageThrough(BinaryFile source,
                            std::int64_t length,
                            std::vector<std::uint8_t> firstPage)
{
    Reset();
    buffer_ = std::move(firstPage);
    size_ = length;
    sourceLength_ = length;
    paged_ = true;
    pageLength_ = pageSize_;
    dirtyPages_.assign(ToSize((length + pageSize_ - 1) / pageSize_), 0);
    source_ = std::move(source);
}

bool PageCache::IsPageDirty(std::int64_t page) const
{
    return paged_ && page >= 0 && page < PageCount() && dirtyPages_[ToSize(page)] != 0;
}

bool PageCache::HasChanges() const
{
    return !expansions_.empty()
           || std::any_of(dirtyPages_.begin(), dirtyPages_.end(), [](auto dirty) { return dirty; });
}

std::filesystem::path PageCache::PageFilePath(std::int64_t page) const
{
    if (pageFiles_.Folder().empty())
        return {};
    return pageFiles_.PathFor(page);
}

std::int64_t PageCache::PageLength(std::int64_t page) const
{
    return std::min(pageSize_, size_ - page * pageSize_);
}

void PageCache::NoteIoError(const Status &status)
{
    if (!status.ok() && !ioError_)
        ioError_ = status.message();
}

std::optional<std::string> PageCache::TakeIoError()
{
    return std::exchange(ioError_, std::nullopt);
}

Status PageCache::NoMemory() const
{
    return Status::Error("Unable to allocate memory to save the document.");
}

Status PageCache::SwapOut()
{
    if (pageLength_ == 0 || dirtyPages_[ToSize(currentPage_)] == 0)
        return Status::Ok();
    if (Status folder = pageFiles_.Ensure(); !folder.ok())
        return folder;
    BinaryFile pageFile(files_);
    Status status = pageFile.Open(pageFiles_.PathFor(currentPage_), BinaryFile::Mode::Create);
    if (status.ok())
        status = pageFile.WriteAt(0, std::span(buffer_).first(ToSize(pageLength_)));
    if (status.ok())
        status = pageFile.Close();
    if (status.ok())
        stats_.bytesWrittenToPageFiles += pageLength_;
    return status;
}

Status PageCache::SwapIn(std::int64_t page)
{
    const std::int64_t start = page * pageSize_;
    const std::int64_t length = PageLength(page);
    const auto target = std::span(buffer_).first(ToSize(length));
    Status status = Status::Ok();
    if (dirtyPages_[ToSize(page)] != 0) {
        BinaryFile pageFile(files_);
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

void PageCache::FillExpansion(std::int64_t offset, std::span<std::uint8_t> bytes) const
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

bool PageCache::BringInPageOf(std::int64_t offset)
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
        if (TryResize(spare_, buffer_.size())) {
            std::swap(buffer_, spare_);
            sparePage_ = leaving;
        } else {
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

std::span<const std::uint8_t> PageCache::SpanAt(std::int64_t offset)
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

std::span<std::uint8_t> PageCache::WritableSpanAt(std::int64_t offset)
{
    const std::span<const std::uint8_t> readable = SpanAt(offset);
    if (readable.empty())
        return {};
    dirtyPages_[ToSize(currentPage_)] = 1;
    const std::int64_t start = offset - pageBase_;
    return std::span(buffer_).subspan(ToSize(start), readable.size());
}

std::uint8_t PageCache::ReadByteSlow(std::int64_t offset)
{
    const std::span<const std::uint8_t> bytes = SpanAt(offset);
    return bytes.empty() ? 0 : bytes.front();
}

bool PageCache::WriteByteSlow(std::int64_t offset, std::uint8_t value)
{
    const std::span<std::uint8_t> bytes = WritableSpanAt(offset);
    if (bytes.empty())
        return false;
    bytes.front() = value;
    return true;
}

Status PageCache::Replace(std::vector<std::uint8_t> bytes)
{
    if (paged_)
        return Status::Error(kPagedOnly);
    if (static_cast<std::int64_t>(bytes.size()) > kMaxWholeDocumentSize)
        return Status::Error(kWholeDocumentLimit);
    buffer_ = std::move(bytes);
    size_ = static_cast<std::int64_t>(buffer_.size());
    pageLength_ = size_;
    return Status::Ok();
}

Status
PageCache::Splice(std::int64_t offset, std::int64_t count, std::span<const std::uint8_t> bytes)
{
    if (paged_)
        return Status::Error(kPagedOnly);
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

Status PageCache::Expand(std::int64_t count, std::uint8_t fill)
{
    if (count <= 0)
        return Status::Error("Please input an expansion size greater than 0.");
    if (count > (paged_ ? kMaxPagedDocumentSize : kMaxWholeDocumentSize) - size_)
        return Status::Error(paged_ ? "The document would be larger than any file can be."
                                    : kWholeDocumentLimit);
    if (!paged_) {
        if (!TryResize(buffer_, ToSize(size_ + count), fill))
            return Status::Error("Unable to allocate " + std::to_string(size_ + count)
                                 + " bytes RAM to expand the document.");
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

void PageCache::RemovePageFile(std::int64_t page)
{
    // A page file left behind is removed with its folder; it is never read again, since its
    // page is clean or gone.
    if (!pageFiles_.Folder().empty())
        (void)files_.Remove(pageFiles_.PathFor(page));
}

Status PageCache::TakeBackExpansion(std::int64_t count)
{
    if (count <= 0 || count > size_)
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
        if (dirtyPages_[ToSize(page)] != 0)
            RemovePageFile(page);
    }
    size_ = newSize;
    dirtyPages_.resize(ToSize(pages));
    if (currentPage_ >= pages)
        pageLength_ = 0; // the page in memory went: the next access brings one in
    else if (pageLength_ > 0)
        pageLength_ = PageLength(currentPage_);
    return Status::Ok();
}

Status PageCache::DirtyPageBytes(std::int64_t page,
                                 std::vector<std::uint8_t> &scratch,
                                 std::span<const std::uint8_t> &bytes)
{
    const std::int64_t length = PageLength(page);
    if (page == currentPage_ && pageLength_ > 0) {
        bytes = std::span(buffer_).first(ToSize(length));
        return Status::Ok();
    }
    if (!TryResize(scratch, ToSize(length)))
        return NoMemory();
    BinaryFile pageFile(files_);
    Status read = pageFile.Open(pageFiles_.PathFor(page), BinaryFile::Mode::Read);
    if (read.ok())
        read = pageFile.ReadAt(0, scratch);
    bytes = scratch;
    return read;
}

Status PageCache::FindChangedStretches(std::vector<Stretch> &stretches)
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
        if (!TryResize(old, ToSize(oldLength)))
            return NoMemory();
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

Status PageCache::WriteChangesInto(BinaryFile &file, const std::vector<Stretch> &stretches)
{
    Status written = WriteExpansionInto(file);
    if (written.ok())
        written = WriteStretchesInto(file, stretches);
    return written;
}

Status PageCache::WriteStretchesInto(BinaryFile &file, const std::vector<Stretch> &stretches)
{
    std::vector<std::uint8_t> scratch;
    BinaryFile pageFile(files_);
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
            if (!TryResize(scratch, ToSize(stretch.length)))
                return NoMemory();
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

Status PageCache::WriteExpansionInto(BinaryFile &file)
{
    std::vector<std::uint8_t> scratch;
    for (std::int64_t page = sourceLength_ / pageSize_; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] != 0)
            continue; // written from the page itself, with the changed stretches
        const std::int64_t from = std::max(sourceLength_, page * pageSize_);
        const std::int64_t to = page * pageSize_ + PageLength(page);
        if (!TryResize(scratch, ToSize(to - from)))
            return NoMemory();
        FillExpansion(from, scratch);
        if (Status written = file.WriteAt(from, scratch); !written.ok())
            return written;
        stats_.bytesWrittenToFile += to - from;
    }
    return Status::Ok();
}

void PageCache::AllPagesCommitted()
{
    ForgetSparePage();
    for (std::int64_t page = 0; page < PageCount(); ++page) {
        if (dirtyPages_[ToSize(page)] == 0)
            continue;
        dirtyPages_[ToSize(page)] = 0;
        RemovePageFile(page);
    }
    sourceLength_ = size_;
    expansions_.clear();
}

void PageCache::DiscardChanges()
{
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
}

void PageCache::TakeSource(BinaryFile file)
{
    AllPagesCommitted();
    pageFiles_.Remove();
    source_ = std::move(file);
}

} // namespace byteloom
