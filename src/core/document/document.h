#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "document/page_cache.h"
#include "document/rollback_file.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

inline constexpr std::int64_t kNewDocumentSize = 2048;

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

// One open file: its bytes (a PageCache: whole up to the page size, paged above it when paging
// is allowed) and their way back to the disk (the commit behind a rollback file, Save and Save
// As, and the checks that the file is still the one that was loaded).
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
    Document(std::int64_t pageSize, FileSystem &files);
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
    [[nodiscard]] std::int64_t Size() const { return cache_.Size(); }
    [[nodiscard]] bool IsPaged() const { return cache_.IsPaged(); }
    [[nodiscard]] std::int64_t PageSize() const { return cache_.PageSize(); }
    [[nodiscard]] std::int64_t PageBase() const { return cache_.PageBase(); }
    [[nodiscard]] std::int64_t PageCount() const { return cache_.PageCount(); }
    [[nodiscard]] bool IsPageDirty(std::int64_t page) const { return cache_.IsPageDirty(page); }
    // Where the page file of a page lives (it exists only while the page is dirty and out of
    // memory); empty before the first page file was needed.
    [[nodiscard]] std::filesystem::path PageFilePath(std::int64_t page) const
    {
        return cache_.PageFilePath(page);
    }
    [[nodiscard]] const std::filesystem::path &Path() const { return path_; }
    [[nodiscard]] bool IsUnnamed() const { return unnamed_; }
    [[nodiscard]] bool IsClean() const { return clean_; }
    // The file cannot take the document back in place (its permissions, or a page that could
    // not be opened for writing): Save As can.
    [[nodiscard]] bool IsReadOnly();
    // Notes that the bytes changed; true when this is the first change since the last load,
    // New or save (the moment the title gains its modified marker).
    bool MarkEdited();
    // Undo or Redo brought the bytes back to what was last saved.
    void MarkUnedited() { clean_ = true; }
    [[nodiscard]] const StoreStats &Stats() const { return cache_.Stats(); }

    // One comparison and one index inside the page in memory.
    [[nodiscard]] std::uint8_t ReadByte(std::int64_t offset) { return cache_.ReadByte(offset); }
    // The 16-bit unit at byte offset 2 * index, low byte first.
    [[nodiscard]] std::uint16_t ReadUnit(std::int64_t index);
    // The bytes from offset to the end of the page in memory, bringing that page in; empty
    // outside the document or on failure. Valid until the next call that changes the store.
    [[nodiscard]] std::span<const std::uint8_t> SpanAt(std::int64_t offset)
    {
        return cache_.SpanAt(offset);
    }
    // Copies up to bytes.size() bytes from offset; returns how many were inside the document.
    std::int64_t ReadBlock(std::int64_t offset, std::span<std::uint8_t> bytes);

    // Each write returns false (or a short count) when nothing could be stored there.
    bool WriteByte(std::int64_t offset, std::uint8_t value)
    {
        return cache_.WriteByte(offset, value);
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
    [[nodiscard]] std::optional<std::string> TakeIoError() { return cache_.TakeIoError(); }

private:
    Status WholeEditOnly() const;
    Status SaveWhole();
    Status CheckStillTheLoadedFile();
    void ResetState();

    FileSystem &files_;
    PageCache cache_;
    // The file as it was loaded or last committed; a paged commit refuses any other.
    FileIdentity sourceIdentity_;
    std::string readOnlyReason_; // why the file could not be opened for writing, if it could not
    std::filesystem::path path_;
    bool open_ = false;
    bool clean_ = true;
    bool unnamed_ = false;
};

// Exchanges the two bytes of a unit, for big-endian Unicode.
[[nodiscard]] constexpr std::uint16_t SwapUnitBytes(std::uint16_t value)
{
    return static_cast<std::uint16_t>(((value & 0xFFu) << 8) | (value >> 8));
}

} // namespace byteloom
