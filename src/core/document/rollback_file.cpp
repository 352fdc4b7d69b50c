#include "document/rollback_file.h"
#include "common/path_text.h"

#include "common/system_error_text.h"
#include "document/rollback_format.h"
#include "document/safe_file_writer.h"
#include "platform/binary_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace byteloom {

using namespace rollback;

namespace {

constexpr std::size_t kNameLimit = 255;

} // namespace

std::filesystem::path RollbackPathFor(const std::filesystem::path &document)
{
    const std::string name = TextOfPath(document.filename());
    std::string rollback = name + ".bl-rollback";
    if (rollback.size() > kNameLimit) {
        // FNV-1a of the name: short, and the same whenever the name is the same.
        std::uint64_t hash = 0xCBF29CE484222325u;
        for (const char c : name)
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001B3u;
        char text[32];
        std::snprintf(text, sizeof text, ".%016llx", static_cast<unsigned long long>(hash));
        rollback = std::string(text) + ".bl-rollback";
    }
    return document.parent_path() / PathOfText(rollback);
}

RollbackFile::~RollbackFile()
{
    if (!sealed_)
        Abandon();
    else if (fd_ >= 0)
        files_.Close(fd_);
}

Status RollbackFile::Begin(const std::filesystem::path &given, std::int64_t oldLength)
{
    // Beside the real file, whichever name or link the document was opened by.
    std::filesystem::path document;
    if (Status real = RealFileOf(files_, given, document); !real.ok())
        return real;
    path_ = RollbackPathFor(document);
    shownAs_ = "the rollback file " + TextOfPath(path_);
    // One that is still there was put back or left aside before this save began (see
    // PutBackEarlierSave): none is ever written over.
    // Which file the rollback file is made for, so that a file put in its place (even one given
    // the same number) is never mistaken for it.
    std::array<std::uint64_t, 3> mark{};
    errno = 0;
    if (files_.Mark(document, mark) != 0)
        return SystemFailure("read", TextOfPath(document));
    guard_.emplace(files_, path_);
    errno = 0;
    fd_ = files_.Open(path_, O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd_ < 0)
        return SystemFailure("write", shownAs_);
    std::vector<std::uint8_t> head(kMagic.begin(), kMagic.end());
    PutNumber(head, static_cast<std::uint64_t>(oldLength), 8);
    for (const std::uint64_t part : mark)
        PutNumber(head, part, 8);
    return Append(head);
}

Status RollbackFile::Keep(std::int64_t offset, std::span<const std::uint8_t> oldBytes)
{
    std::vector<std::uint8_t> head;
    PutNumber(head, static_cast<std::uint64_t>(offset), 8);
    PutNumber(head, oldBytes.size(), 8);
    if (Status status = Append(head); !status.ok())
        return status;
    return Append(oldBytes);
}

Status RollbackFile::KeepFrom(BinaryFile &file, std::int64_t offset, std::int64_t length)
{
    std::vector<std::uint8_t> head;
    PutNumber(head, static_cast<std::uint64_t>(offset), 8);
    PutNumber(head, static_cast<std::uint64_t>(length), 8);
    if (Status status = Append(head); !status.ok())
        return status;
    for (std::int64_t done = 0; done < length;) {
        errno = 0;
        const std::int64_t copied = files_.CopyRange(file.Descriptor(),
                                                     offset + done,
                                                     fd_,
                                                     written_,
                                                     static_cast<std::size_t>(length - done));
        if (copied > 0) {
            done += copied;
            written_ += copied;
            continue;
        }
        if (copied == 0
            || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) {
            if (copied == 0)
                errno = EIO; // the document ended early
            Status failed = SystemFailure("write", shownAs_);
            Abandon();
            return failed;
        }
        // No copy between these files inside the system: through memory.
        std::vector<std::uint8_t> chunk(static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), length - done)));
        if (Status read = file.ReadAt(offset + done, chunk); !read.ok()) {
            Abandon();
            return read;
        }
        if (Status appended = Append(chunk); !appended.ok())
            return appended;
        done += static_cast<std::int64_t>(chunk.size());
    }
    return Status::Ok();
}

Status RollbackFile::Append(std::span<const std::uint8_t> bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        errno = 0;
        const std::int64_t put
            = files_.WriteAt(fd_, bytes.data() + done, bytes.size() - done, written_);
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            Status failed = SystemFailure("write", shownAs_);
            Abandon();
            return failed;
        }
        done += static_cast<std::size_t>(put);
        written_ += put;
    }
    return Status::Ok();
}

Status RollbackFile::Seal()
{
    std::vector<std::uint8_t> end;
    PutNumber(end, kEndOfRecords, 8);
    if (Status status = Append(end); !status.ok())
        return status;
    errno = 0;
    const std::optional<std::uint64_t> sum = ChecksumOfFirst(files_, fd_, written_);
    if (!sum) {
        Status failed = SystemFailure("read", shownAs_);
        Abandon();
        return failed;
    }
    std::vector<std::uint8_t> trailer;
    PutNumber(trailer, static_cast<std::uint64_t>(written_), 8);
    PutNumber(trailer, *sum, 8);
    trailer.insert(trailer.end(), kSeal.begin(), kSeal.end());
    if (Status status = Append(trailer); !status.ok())
        return status;
    errno = 0;
    if (files_.Sync(fd_) != 0 || files_.Close(std::exchange(fd_, -1)) != 0
        || files_.SyncFolder(path_.parent_path()) != 0) {
        Status failed = SystemFailure("write", shownAs_);
        Abandon();
        return failed;
    }
    sealed_ = true;
    guard_.reset(); // from now on the file is what puts the document back
    return Status::Ok();
}

Status RollbackFile::Finish(const std::filesystem::path &document)
{
    errno = 0;
    if (files_.Remove(path_) != 0)
        return Status::Error(
            "The save of " + TextOfPath(document)
            + " could not be completed: the file holds the new "
              "bytes, but "
            + shownAs_ + ", which holds the old ones, could not be removed ("
            + LastSystemErrorText()
            + "). Opening the file again would put the old bytes back; save again to complete "
              "the save.");
    sealed_ = false;
    finished_ = true;
    const std::filesystem::path folder = path_.parent_path();
    path_.clear();
    // The save is complete; only its lasting through a power loss is in doubt.
    if (files_.SyncFolder(folder) != 0)
        return WrittenButNotConfirmed(document);
    return Status::Ok();
}

void RollbackFile::Abandon()
{
    if (fd_ >= 0)
        files_.Close(std::exchange(fd_, -1));
    if (!path_.empty())
        (void)files_.Remove(path_);
    path_.clear();
    guard_.reset();
}

Status WriteBehindRollback(FileSystem &files,
                           const std::filesystem::path &given,
                           std::int64_t oldLength,
                           const std::function<Status(RollbackFile &)> &keep,
                           const std::function<Status()> &write,
                           bool *written)
{
    if (written)
        *written = false;
    // Beside the real file, whichever name or link the document was opened by.
    std::filesystem::path document;
    if (Status real = RealFileOf(files, given, document); !real.ok())
        return real;
    // An earlier save that failed may have left the file half written: it is put back first, or
    // this save is refused, so that a rollback file is never replaced while it is still needed.
    if (Status earlier = PutBackEarlierSave(document, files); !earlier.ok())
        return earlier;
    RollbackFile rollback(files);
    Status status = rollback.Begin(document, oldLength);
    if (status.ok())
        status = keep(rollback);
    if (status.ok())
        status = rollback.Seal();
    if (!status.ok())
        return Status::Error(status.message() + "\n\n" + TextOfPath(document)
                             + " was not changed.");
    status = write();
    if (status.ok()) {
        status = rollback.Finish(document);
        // The new bytes are in the file and nothing can put the old ones back.
        if (written)
            *written = rollback.Finished();
        return status;
    }
    if (Status undone = PutBackEarlierSave(document, files); !undone.ok())
        return Status::Error(status.message() + "\n\n" + undone.message());
    return Status::Error(status.message() + "\n\n" + TextOfPath(document)
                         + " is as it was before this save.");
}

} // namespace byteloom
