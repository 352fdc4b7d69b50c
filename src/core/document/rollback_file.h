#pragma once

#include "common/status.h"
#include "platform/file_system.h"
#include "platform/temporary_file_guard.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace byteloom {

// Where the rollback file of a document lives: beside it (the real file, behind any link), named
// after it ("NAME.bl-rollback"), or, for a name too long to take the suffix, after a hash of the
// name.
[[nodiscard]] std::filesystem::path RollbackPathFor(const std::filesystem::path &document);

// The old bytes of every place a save is about to overwrite in a file, and the file's old
// length, kept beside the document until the save is complete. Until Seal() the document has
// not been touched and an unfinished rollback file means nothing; once sealed, the file can
// always be put back as it was, whenever the save stops.
class BinaryFile;

class RollbackFile
{
public:
    explicit RollbackFile(FileSystem &files)
        : files_(files)
    {}
    ~RollbackFile();
    RollbackFile(const RollbackFile &) = delete;
    RollbackFile &operator=(const RollbackFile &) = delete;

    Status Begin(const std::filesystem::path &document, std::int64_t oldLength);
    Status Keep(std::int64_t offset, std::span<const std::uint8_t> oldBytes);
    // The same for length bytes of file at offset, copied inside the system.
    Status KeepFrom(BinaryFile &file, std::int64_t offset, std::int64_t length);
    // Completes the file and puts it on the disk: from now on the document may be overwritten.
    Status Seal();
    // The save of document is complete and on the disk: the rollback file goes.
    Status Finish(const std::filesystem::path &document);
    // Finish removed the file: the save can no longer be undone.
    [[nodiscard]] bool Finished() const { return finished_; }

private:
    Status Append(std::span<const std::uint8_t> bytes);
    void Abandon();

    FileSystem &files_;
    std::filesystem::path path_;
    std::string shownAs_;
    int fd_ = -1;
    std::int64_t written_ = 0;
    bool sealed_ = false;
    bool finished_ = false;
    std::optional<TemporaryFileGuard> guard_; // until sealed, a stop removes the file
};

// Changes the file at document in place so that it is wholly old or wholly new whenever the
// change stops: a rollback file an earlier failed save left is applied first (or the change is
// refused); keep() stores in the rollback file the old bytes of everything write() will
// overwrite (the old length is kept by this function); then write() changes the file and puts
// it on the disk; then the rollback file goes. When write() fails the old bytes go back at once.
// written, when given, tells whether the file holds the new bytes for good (even where the
// status reports that the system could not confirm it).
Status WriteBehindRollback(FileSystem &files,
                           const std::filesystem::path &document,
                           std::int64_t oldLength,
                           const std::function<Status(RollbackFile &)> &keep,
                           const std::function<Status()> &write,
                           bool *written = nullptr);

struct RollbackOutcome
{
    Status status = Status::Ok();
    bool restored = false; // the file was put back as it was before an interrupted save
    // What the user is told when a rollback file could not be used (damaged, or made for
    // another file) and was renamed aside: the file is then to be opened only for reading.
    std::string setAside;
};

// Opening a document: a sealed rollback file beside it means a save was interrupted, and the
// old bytes and length go back into the file before it is read; an unsealed one is the remains
// of a save that never touched the file, and is removed; a damaged one, or one made for another
// file, is renamed aside and never applied. On failure the rollback file stays, so that nothing
// is lost, and the document must not be opened.
[[nodiscard]] RollbackOutcome RestoreFromRollback(const std::filesystem::path &document,
                                                  FileSystem &files);

// Before a save or a Discard: a rollback file that an earlier, failed save left is applied, so
// that the file is wholly old again; a failure, or one set aside, is the reason the work must
// not go on.
[[nodiscard]] Status PutBackEarlierSave(const std::filesystem::path &document, FileSystem &files);

// Said when a document was put back as it was before an interrupted save.
[[nodiscard]] std::string RestoredMessage(const std::filesystem::path &document);

} // namespace byteloom
