#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "document/binary_file.h"
#include "document/page_file_directory.h"
#include "document/rollback_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

// Files up to this size are held whole; larger ones are paged through pages of this size.
inline constexpr std::int64_t kPageSize = 0x800000;
inline constexpr std::int64_t kNewDocumentSize = 2048;
// The most a document held whole in memory (paging turned off) may hold; a larger file is
// refused, never cut short. A paged document may be as large as the file system allows.
inline constexpr std::int64_t kMaxWholeDocumentSize = 0x7FFFFFFF;
// Far beyond any disk, and far from overflowing an offset.
inline constexpr std::int64_t kMaxPagedDocumentSize = std::int64_t{1} << 60;

enum class LoadStatus : int {
    CannotOpen = 4626,
    CannotAllocate = 4627,
    Loaded = 4628,
    Cancelled = 4629,
    TooLarge = 4630,
};

struct LoadResult
{
    LoadStatus status = LoadStatus::CannotOpen;
    std::int64_t size = 0; // the file's length, also when only a page was asked for
    std::string detail;    // the system's reason, for CannotOpen
    std::string notice;    // something the user must hear of an opened file (a save put back)
};

// What the store has moved to and from the disk, for benchmarks and tests.
struct StoreStats
{
    std::int64_t pageLoads = 0;
    std::int64_t bytesWrittenToPageFiles = 0;
    std::int64_t bytesWrittenToFile = 0;
};

// The bytes of one open file. A file up to the page size is held whole in memory; a larger one
// (when paging is allowed) keeps one page in memory (and a copy of the one that left it last),
// reads clean pages from the file and parks modified pages in page files of a private folder
// until they are committed.
//
// Offsets outside 0 .. Size() - 1 are harmless: reads give 0 and writes store nothing. An I/O
// failure inside an access (a page file that cannot be written, a file that ended early) leaves
// every byte where it was, makes that access read 0 or store nothing, and is kept for the caller
// to collect with TakeIoError().
class Document
{
public:
    // pageSize must be even; tests use small pages to exercise paging cheaply, and a file
    // system that fails where they say.
    explicit Document(std::int64_t pageSize = kPageSize, FileSystem &files = RealFileSystem());
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    // Replaces the contents with the file at path: whole up to the page size (or at any size
    // when allowPaging is false), paged above it. On failure the document is left empty.
    LoadResult Load(const std::filesystem::path &path, bool allowPaging);
    // Replaces the contents with 2048 zero bytes of an unnamed document.
    void New();
    // Lets go of the contents without saving: page files are deleted, the file is untouched.
    void Release();

    [[nodiscard]] bool IsOpen() const { return open_; }
    [[nodiscard]] std::int64_t Size() const { return size_; }
    [[nodiscard]] bool IsPaged() const { return paged_; }
    [[nodiscard]] std::int64_t PageSize() const { return pageSize_; }
    [[nodiscard]] std::int64_t PageBase() const { return pageBase_; }
    [[nodiscard]] std::int64_t PageCount() const;
    [[nodiscard]] bool IsPageDirty(std::int64_t page) const;
    // Where the page file of a page lives (it exists only while the page is dirty and out of
    // memory); empty before the first page file was needed.
    [[nodiscard]] std::filesystem::path PageFilePath(std::int64_t page) const;
    [[nodiscard]] const std::filesystem::path &Path() const { return path_; }
    [[nodiscard]] bool IsUnnamed() const { return unnamed_; }
    [[nodiscard]] bool IsClean() const { return clean_; }
    // Notes that the bytes changed; true when this is the first change since the last load,
    // New or save (the moment the title gains its modified marker).
    bool MarkEdited();
    // Undo or Redo brought the bytes back to what was last saved.
    void MarkUnedited() { clean_ = true; }
    [[nodiscard]] const StoreStats &Stats() const { return stats_; }

    // One comparison and one index inside the page in memory.
    [[nodiscard]] std::uint8_t ReadByte(std::int64_t offset)
    {
        const std::uint64_t index
            = static_cast<std::uint64_t>(offset) - static_cast<std::uint64_t>(pageBase_);
        if (index < static_cast<std::uint64_t>(pageLength_))
            return buffer_[index];
        return ReadByteSlow(offset);
    }
    // The 16-bit unit at byte offset 2 * index, low byte first.
    [[nodiscard]] std::uint16_t ReadUnit(std::int64_t index);
    // The bytes from offset to the end of the page in memory, bringing that page in; empty
    // outside the document or on failure. Valid until the next call that changes the store.
    [[nodiscard]] std::span<const std::uint8_t> SpanAt(std::int64_t offset);
    // Copies up to bytes.size() bytes from offset; returns how many were inside the document.
    std::int64_t ReadBlock(std::int64_t offset, std::span<std::uint8_t> bytes);

    // Each write returns false (or a short count) when nothing could be stored there.
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
    // Adds delta modulo 256.
    bool AddToByte(std::int64_t offset, std::uint8_t delta);
    bool WriteUnit(std::int64_t index, std::uint16_t value);
    // Returns how many bytes were stored; bytes that fall outside the document are skipped.
    std::int64_t WriteBlock(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Stores 16-bit units low byte first from byte offset; returns how many units were stored.
    std::int64_t WriteUnits(std::int64_t offset, std::span<const std::uint16_t> units);

    // Whole documents only: takes the new contents (Paste in insert mode).
    Status ReplaceContents(std::vector<std::uint8_t> bytes);
    // Grows the document by count bytes of fill (Expand File), whole or paged; the file is
    // untouched until the document is saved.
    Status Expand(std::int64_t count, std::uint8_t fill);
    // Whole documents only: removes [lo, hi) and closes the gap (Cut).
    Status RemoveRange(std::int64_t lo, std::int64_t hi);
    // Whole documents only: the count bytes at offset are replaced by bytes (of any length).
    Status Splice(std::int64_t offset, std::int64_t count, std::span<const std::uint8_t> bytes);
    // Takes back the newest expansion of count bytes (Undo of Expand File), whole or paged.
    Status TakeBackExpansion(std::int64_t count);

    // Paged only: writes every dirty page, and the bytes an expansion added, into the file that
    // was loaded, behind a rollback file, so that the file is wholly old or wholly new whenever
    // the commit stops. Refused when the path no longer names the file as it was loaded or last
    // committed (another program replaced or changed it). A page file is deleted only once its
    // bytes are safely in the file; on failure the pages stay dirty and the file is as it was.
    Status CommitPages();
    // Paged only: forgets every change not yet committed, expansions included. A rollback file
    // a failed save left is applied first, so that the file read again is wholly old; when it
    // cannot be, nothing is forgotten and the status says why.
    [[nodiscard]] Status DiscardPages();
    // Writes the document to its own file, keeping the file's identity (the file behind a
    // symbolic link, its hard links, owner, group and mode): a whole document through a new file
    // renamed over the old one where that changes none of these, else in place behind a
    // rollback file; a paged one by committing its pages. A file the user may not write is
    // refused with the system's reason. Marks the document clean on success.
    Status Save();
    // Writes the whole document to path through a new file renamed over any old one, page by
    // page for a paged document, and makes path the document's file.
    Status SaveAs(const std::filesystem::path &path, const ProgressCallback &progress = {});
    // Names an unnamed document without writing it (a new document saved before any edit).
    void SetPath(const std::filesystem::path &path);

    // The first I/O failure of an access since the last call, if any.
    [[nodiscard]] std::optional<std::string> TakeIoError();

private:
    std::uint8_t ReadByteSlow(std::int64_t offset);
    bool WriteByteSlow(std::int64_t offset, std::uint8_t value);
    std::span<std::uint8_t> WritableSpanAt(std::int64_t offset);
    bool BringInPageOf(std::int64_t offset);
    Status SwapOut();
    Status SwapIn(std::int64_t page);
    [[nodiscard]] std::int64_t PageLength(std::int64_t page) const;
    // A stretch of the file a commit writes: blocks of a dirty page that differ from the file,
    // or the part of the page that lies past the file's old end.
    struct Stretch
    {
        std::int64_t page;
        std::int64_t offset;
        std::int64_t length;
    };
    // A dirty page's bytes: the page in memory, or its page file read into scratch.
    Status DirtyPageBytes(std::int64_t page,
                          std::vector<std::uint8_t> &scratch,
                          std::span<const std::uint8_t> &bytes);
    Status FindChangedStretches(std::vector<Stretch> &stretches);
    Status WriteStretchesInto(BinaryFile &file, const std::vector<Stretch> &stretches);
    Status WriteExpansionInto(BinaryFile &file);
    Status SaveWhole();
    Status CheckStillTheLoadedFile();
    void AllPagesCommitted();
    // Fills bytes standing at file offsets from `offset` on that lie beyond the file's own
    // length with the fill bytes of the expansions they belong to.
    void FillExpansion(std::int64_t offset, std::span<std::uint8_t> bytes) const;
    void ResetState();
    void NoteIoError(const Status &status);

    std::int64_t pageSize_;
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
    void ForgetSparePage() { sparePage_ = -1; }
    std::vector<std::uint8_t> dirtyPages_;
    // Paged only: the bytes the file itself holds; beyond them, up to size_, stand the bytes of
    // expansions not yet saved, each run [start, next start) filled with one value.
    std::int64_t sourceLength_ = 0;
    struct Expansion
    {
        std::int64_t start;
        std::uint8_t fill;
    };
    std::vector<Expansion> expansions_;
    FileSystem &files_;
    BinaryFile source_;
    // The file as it was loaded or last committed; a paged commit refuses any other.
    FileIdentity sourceIdentity_;
    std::string readOnlyReason_; // why the file could not be opened for writing, if it could not
    PageFileDirectory pageFiles_;
    std::filesystem::path path_;
    bool open_ = false;
    bool clean_ = true;
    bool unnamed_ = false;
    std::optional<std::string> ioError_;
    StoreStats stats_;
};

// Exchanges the two bytes of a unit, for big-endian Unicode.
[[nodiscard]] constexpr std::uint16_t SwapUnitBytes(std::uint16_t value)
{
    return static_cast<std::uint16_t>(((value & 0xFFu) << 8) | (value >> 8));
}

} // namespace byteloom
