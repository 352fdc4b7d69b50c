#pragma once

#include "common/status.h"
#include "document/page_file_directory.h"
#include "platform/binary_file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

// Files up to this size are held whole; larger ones are paged through pages of this size.
inline constexpr std::int64_t kPageSize = 0x800000;
// The most a document held whole in memory (paging turned off) may hold; a larger file is
// refused, never cut short. A paged document may be as large as the file system allows.
inline constexpr std::int64_t kMaxWholeDocumentSize = 0x7FFFFFFF;
// Far beyond any disk, and far from overflowing an offset.
inline constexpr std::int64_t kMaxPagedDocumentSize = std::int64_t{1} << 60;

// What the store has moved to and from the disk, for benchmarks and tests.
struct StoreStats
{
    std::int64_t pageLoads = 0;
    std::int64_t bytesWrittenToPageFiles = 0;
    std::int64_t bytesWrittenToFile = 0;
};

// A stretch of the file a commit writes: blocks of a dirty page that differ from the file, or
// the part of a page that lies past the file's old end.
struct Stretch
{
    std::int64_t page;
    std::int64_t offset;
    std::int64_t length;
};

// The bytes of a document, held whole in memory or paged. A paged cache keeps one page in
// memory (and a copy of the one that left it last), reads clean pages from the source file,
// parks modified pages in page files of a private folder and stands expansions past the file's
// end as runs of one fill value, until the owner commits them.
//
// Offsets outside 0 .. Size() - 1 are harmless: reads give 0 and writes store nothing. An I/O
// failure inside an access leaves every byte where it was, makes that access read 0 or store
// nothing, and is kept for the owner to collect with TakeIoError().
class PageCache
{
public:
    PageCache(std::int64_t pageSize, FileSystem &files);

    // Forgets everything, page files included.
    void Reset();
    // Holds bytes whole.
    void HoldWhole(std::vector<std::uint8_t> bytes);
    // Pages through source, whose first page is already in firstPage.
    void PageThrough(BinaryFile source, std::int64_t length, std::vector<std::uint8_t> firstPage);

    [[nodiscard]] std::int64_t Size() const { return size_; }
    [[nodiscard]] bool IsPaged() const { return paged_; }
    [[nodiscard]] std::int64_t PageSize() const { return pageSize_; }
    [[nodiscard]] std::int64_t PageBase() const { return pageBase_; }
    [[nodiscard]] std::int64_t PageCount() const
    {
        return static_cast<std::int64_t>(dirtyPages_.size());
    }
    [[nodiscard]] bool IsPageDirty(std::int64_t page) const;
    [[nodiscard]] bool HasChanges() const;
    [[nodiscard]] std::filesystem::path PageFilePath(std::int64_t page) const;
    [[nodiscard]] const StoreStats &Stats() const { return stats_; }
    [[nodiscard]] StoreStats &Counters() { return stats_; }
    [[nodiscard]] BinaryFile &Source() { return source_; }
    // The bytes the source file holds; past them stand the expansions not yet committed.
    [[nodiscard]] std::int64_t SourceLength() const { return sourceLength_; }
    // Whole only: the bytes.
    [[nodiscard]] std::span<const std::uint8_t> Whole() const
    {
        return std::span(buffer_).first(static_cast<std::size_t>(size_));
    }

    [[nodiscard]] std::uint8_t ReadByte(std::int64_t offset)
    {
        const std::uint64_t index
            = static_cast<std::uint64_t>(offset) - static_cast<std::uint64_t>(pageBase_);
        if (index < static_cast<std::uint64_t>(pageLength_))
            return buffer_[index];
        return ReadByteSlow(offset);
    }
    bool WriteByte(std::int64_t offset, std::uint8_t value)
    {
        const std::uint64_t index
            = static_cast<std::uint64_t>(offset) - static_cast<std::uint64_t>(pageBase_);
        if (index < static_cast<std::uint64_t>(pageLength_)) {
            buffer_[index] = value;
            dirtyPages_[static_cast<std::size_t>(currentPage_)] = 1;
            return true;
        }
        return WriteByteSlow(offset, value);
    }
    [[nodiscard]] std::span<const std::uint8_t> SpanAt(std::int64_t offset);
    [[nodiscard]] std::span<std::uint8_t> WritableSpanAt(std::int64_t offset);

    // Whole only: the bytes become bytes (of any length).
    Status Replace(std::vector<std::uint8_t> bytes);
    // Whole only: the count bytes at offset are replaced by bytes.
    Status Splice(std::int64_t offset, std::int64_t count, std::span<const std::uint8_t> bytes);
    Status Expand(std::int64_t count, std::uint8_t fill);
    Status TakeBackExpansion(std::int64_t count);

    // Paged only: what differs from the source file, and the writing of it into the file.
    Status FindChangedStretches(std::vector<Stretch> &stretches);
    Status WriteChangesInto(BinaryFile &file, const std::vector<Stretch> &stretches);
    // Every change is in the source file now: the page files go.
    void AllPagesCommitted();
    // Forgets every change not committed, expansions included.
    void DiscardChanges();
    // The source file is now file (a Save As), holding every byte.
    void TakeSource(BinaryFile file);

    void NoteIoError(const Status &status);
    [[nodiscard]] std::optional<std::string> TakeIoError();

private:
    std::uint8_t ReadByteSlow(std::int64_t offset);
    bool WriteByteSlow(std::int64_t offset, std::uint8_t value);
    bool BringInPageOf(std::int64_t offset);
    Status SwapOut();
    Status SwapIn(std::int64_t page);
    [[nodiscard]] std::int64_t PageLength(std::int64_t page) const;
    Status DirtyPageBytes(std::int64_t page,
                          std::vector<std::uint8_t> &scratch,
                          std::span<const std::uint8_t> &bytes);
    Status WriteStretchesInto(BinaryFile &file, const std::vector<Stretch> &stretches);
    Status WriteExpansionInto(BinaryFile &file);
    // Fills bytes standing at file offsets from `offset` on that lie beyond the file's own
    // length with the fill bytes of the expansions they belong to.
    void FillExpansion(std::int64_t offset, std::span<std::uint8_t> bytes) const;
    void ForgetSparePage() { sparePage_ = -1; }
    void RemovePageFile(std::int64_t page);
    Status NoMemory() const;

    std::int64_t pageSize_;
    FileSystem &files_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t size_ = 0;
    bool paged_ = false;
    // The bytes of buffer_ that are valid stand at file offsets [pageBase_, pageBase_ +
    // pageLength_); a length of 0 means no page is in memory.
    std::int64_t pageBase_ = 0;
    std::int64_t pageLength_ = 0;
    std::int64_t currentPage_ = 0;
    // The page that last left memory, as it was then (a dirty one also stands in its page
    // file), or -1: a view or a walk that crosses a page boundary goes back and forth between two
    // pages without reading either again. Dropped whenever pages change other than by edits.
    std::vector<std::uint8_t> spare_;
    std::int64_t sparePage_ = -1;
    std::vector<std::uint8_t> dirtyPages_;
    std::int64_t sourceLength_ = 0;
    // Past sourceLength_, up to size_, each run [start, next start) is filled with one value.
    struct Expansion
    {
        std::int64_t start;
        std::uint8_t fill;
    };
    std::vector<Expansion> expansions_;
    BinaryFile source_;
    PageFileDirectory pageFiles_;
    std::optional<std::string> ioError_;
    StoreStats stats_;
};

} // namespace byteloom
