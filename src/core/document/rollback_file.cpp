#include "document/rollback_file.h"

#include "common/crc32.h"
#include "common/system_error_text.h"
#include "document/safe_file_writer.h"
#include "platform/binary_file.h"

#include <fcntl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

namespace byteloom {

namespace {

constexpr std::string_view kMagic = "BYTELOOM-ROLLBACK-3\n";
// Files of the earlier kinds are read as they always were: the first ends with the length and
// "SEALED!\n", written after a sync of everything before them; the second has this file's form
// with its trailer's checksum either the one of this file or a CRC-32 of the same bytes.
constexpr std::string_view kFirstMagic = "BYTELOOM-ROLLBACK-1\n";
constexpr std::string_view kFirstSeal = "SEALED!\n";
constexpr std::string_view kSecondMagic = "BYTELOOM-ROLLBACK-2\n";
// A sealed file ends with its length before the trailer, the checksum of those bytes and the
// seal, all put on the disk in one sync: a file torn by a power loss fails the checksum.
constexpr std::string_view kSeal = "SEALED2\n";
constexpr std::int64_t kTrailerLength = 8 + 8 + static_cast<std::int64_t>(kSeal.size());
constexpr std::uint64_t kEndOfRecords = ~std::uint64_t{0};
constexpr std::size_t kNameLimit = 255;
constexpr std::size_t kChunk = 1 << 20;

void PutNumber(std::vector<std::uint8_t> &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t GetNumber(std::span<const std::uint8_t> bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

Status SystemFailure(const char *what, const std::string &shownAs)
{
    return Status::Error("Unable to " + std::string(what) + " " + shownAs + ": "
                         + LastSystemErrorText());
}

// The header: the magic, the old length and the file's mark; then records of offset, length and
// the old bytes.
constexpr std::int64_t kHeaderLength = static_cast<std::int64_t>(kMagic.size()) + 4 * 8;

// The checksum of the first length bytes of the file open as fd: eight bytes a step, each step
// a one-to-one mix of the sum so far with the next eight bytes, so that any one changed word
// changes the result and a torn file fails it except by a chance of 2^-64. It reads the file back
// several times faster than a CRC-32 would.
std::optional<std::uint64_t> ChecksumOfFirst(FileSystem &files, int fd, std::int64_t length)
{
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kChunk)));
    std::uint64_t sum = 0x6A09E667F3BCC908u;
    for (std::int64_t done = 0; done < length;) {
        // Whole chunks (a multiple of eight bytes) but the last, however the reads return.
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), length - done));
        for (std::size_t filled = 0; filled < count;) {
            const ssize_t got = files.ReadAt(
                fd, chunk.data() + filled, count - filled, done + static_cast<off_t>(filled));
            if (got <= 0)
                return std::nullopt;
            filled += static_cast<std::size_t>(got);
        }
        for (std::size_t at = 0; at < count; at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, chunk.data() + at, std::min<std::size_t>(8, count - at));
            sum = ((sum ^ word) * 0x9E3779B97F4A7C15u);
            sum ^= sum >> 29;
        }
        done += static_cast<std::int64_t>(count);
    }
    return sum;
}

// The CRC-32 of the first length bytes of the file open as fd, as the second kind's seal has it.
std::optional<std::uint32_t> CrcOfFirst(FileSystem &files, int fd, std::int64_t length)
{
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kChunk)));
    std::uint32_t crc = 0;
    for (std::int64_t done = 0; done < length;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), length - done));
        const ssize_t got = files.ReadAt(fd, chunk.data(), count, done);
        if (got <= 0)
            return std::nullopt;
        crc = Crc32(std::span(chunk).first(static_cast<std::size_t>(got)), crc);
        done += got;
    }
    return crc;
}

// Sealed: it vouches for its records. Unsealed: a save that never touched the file left it
// (no seal was begun). Damaged: it carries a seal that does not hold (a changed bit, a cut, an
// unknown form), so the file may have been touched and the rollback file must be kept.
// Unreadable: it cannot be read, which says nothing either way.
enum class Seal { Sealed, Unsealed, Damaged, Unreadable };

// Whether a seal was begun: its word stands in the last bytes. Nothing when they cannot be read.
std::optional<bool> SealBegun(BinaryFile &file, std::int64_t length)
{
    std::array<std::uint8_t, 48> tail{};
    const auto count = static_cast<std::size_t>(
        std::clamp<std::int64_t>(length, 0, static_cast<std::int64_t>(tail.size())));
    if (!file.ReadAt(length - static_cast<std::int64_t>(count), std::span(tail).first(count)).ok())
        return std::nullopt;
    const std::string_view text(reinterpret_cast<const char *>(tail.data()), count);
    return text.find("SEALED") != std::string_view::npos;
}

Seal SealOf(BinaryFile &file, std::int64_t length)
{
    if (length < 0)
        return Seal::Unreadable;
    const std::optional<bool> begun = SealBegun(file, length);
    if (!begun)
        return Seal::Unreadable;
    const Seal broken = *begun ? Seal::Damaged : Seal::Unsealed;
    std::array<std::uint8_t, kMagic.size()> magic{};
    std::array<std::uint8_t, kTrailerLength> tail{};
    if (length < kHeaderLength + 8 + 16)
        return broken;
    if (!file.ReadAt(0, magic).ok())
        return Seal::Unreadable;
    const bool first = std::memcmp(magic.data(), kFirstMagic.data(), magic.size()) == 0;
    const bool second = std::memcmp(magic.data(), kSecondMagic.data(), magic.size()) == 0;
    if (!first && !second && std::memcmp(magic.data(), kMagic.data(), magic.size()) != 0)
        return broken;
    if (first) {
        if (!file.ReadAt(length - 16, std::span(tail).first(16)).ok())
            return Seal::Unreadable;
        return std::memcmp(tail.data() + 8, kFirstSeal.data(), kFirstSeal.size()) == 0
                       && static_cast<std::int64_t>(GetNumber(std::span(tail).first(8)))
                              == length - 16
                   ? Seal::Sealed
                   : broken;
    }
    if (length < kHeaderLength + 8 + kTrailerLength)
        return broken;
    if (!file.ReadAt(length - kTrailerLength, tail).ok())
        return Seal::Unreadable;
    if (std::memcmp(tail.data() + 16, kSeal.data(), kSeal.size()) != 0
        || static_cast<std::int64_t>(GetNumber(std::span(tail).first(8)))
               != length - kTrailerLength)
        return broken;
    const std::uint64_t stored = GetNumber(std::span(tail).subspan(8, 8));
    const auto sum = ChecksumOfFirst(file.Files(), file.Descriptor(), length - kTrailerLength);
    if (!sum)
        return Seal::Unreadable;
    if (*sum == stored)
        return Seal::Sealed;
    if (second && stored >> 32 == 0) {
        const auto crc = CrcOfFirst(file.Files(), file.Descriptor(), length - kTrailerLength);
        if (!crc)
            return Seal::Unreadable;
        if (*crc == stored)
            return Seal::Sealed;
    }
    return Seal::Damaged;
}

struct KeptRecord
{
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::int64_t at = 0; // where its bytes stand in the rollback file
};

struct KeptContents
{
    std::int64_t oldLength = 0;
    std::array<std::uint64_t, 3> mark{};
    std::vector<KeptRecord> records;
    std::int64_t farthest = 0; // the end of the farthest record
};

// Reads every record's place and checks that each fits the old file, before any byte of the
// document is touched; unreadable is set when a read failed (rather than a record not fitting).
std::optional<KeptContents>
ReadKept(BinaryFile &rollback, std::int64_t rollbackLength, bool &unreadable)
{
    KeptContents kept;
    std::array<std::uint8_t, 32> head{};
    unreadable = true;
    if (!rollback.ReadAt(static_cast<std::int64_t>(kMagic.size()), head).ok())
        return std::nullopt;
    kept.oldLength = static_cast<std::int64_t>(GetNumber(std::span(head).first(8)));
    for (std::size_t i = 0; i < 3; ++i)
        kept.mark[i] = GetNumber(std::span(head).subspan(8 + 8 * i, 8));
    if (kept.oldLength < 0)
        return std::nullopt;
    for (std::int64_t at = kHeaderLength;;) {
        std::array<std::uint8_t, 16> record{};
        if (!rollback.ReadAt(at, std::span(record).first(8)).ok())
            return std::nullopt;
        const std::uint64_t offset = GetNumber(std::span(record).first(8));
        if (offset == kEndOfRecords)
            break;
        if (!rollback.ReadAt(at + 8, std::span(record).subspan(8)).ok())
            return std::nullopt;
        const std::uint64_t length = GetNumber(std::span(record).subspan(8));
        at += 16;
        unreadable = false;
        if (offset > static_cast<std::uint64_t>(kept.oldLength)
            || length > static_cast<std::uint64_t>(kept.oldLength) - offset
            || static_cast<std::int64_t>(length) > rollbackLength - at)
            return std::nullopt;
        unreadable = true;
        kept.records.push_back(
            {static_cast<std::int64_t>(offset), static_cast<std::int64_t>(length), at});
        kept.farthest = std::max(kept.farthest, static_cast<std::int64_t>(offset + length));
        at += static_cast<std::int64_t>(length);
    }
    unreadable = false;
    return kept;
}

// Writes every kept record back into the document and gives it its old length.
Status PutBack(BinaryFile &rollback, const KeptContents &kept, BinaryFile &document)
{
    std::vector<std::uint8_t> chunk(kChunk);
    for (const KeptRecord &record : kept.records) {
        for (std::int64_t done = 0; done < record.length;) {
            const auto count = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), record.length - done));
            if (Status read = rollback.ReadAt(record.at + done, std::span(chunk).first(count));
                !read.ok())
                return read;
            if (Status written
                = document.WriteAt(record.offset + done, std::span(chunk).first(count));
                !written.ok())
                return written;
            done += static_cast<std::int64_t>(count);
        }
    }
    if (Status truncated = document.Truncate(kept.oldLength); !truncated.ok())
        return truncated;
    return document.Sync();
}

} // namespace

std::filesystem::path RollbackPathFor(const std::filesystem::path &document)
{
    const std::string name = document.filename().string();
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
    return document.parent_path() / rollback;
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
    shownAs_ = "the rollback file " + path_.string();
    // One that is still there was put back or left aside before this save began (see
    // PutBackEarlierSave): none is ever written over.
    // Which file the rollback file is made for, so that a file put in its place (even one given
    // the same number) is never mistaken for it.
    std::array<std::uint64_t, 3> mark{};
    errno = 0;
    if (files_.Mark(document, mark) != 0)
        return SystemFailure("read", document.string());
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
        const ssize_t copied = files_.CopyRange(file.Descriptor(),
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
        const ssize_t put = files_.WriteAt(fd_, bytes.data() + done, bytes.size() - done, written_);
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
            "The save of " + document.string()
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
        return Status::Error(status.message() + "\n\n" + document.string() + " was not changed.");
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
    return Status::Error(status.message() + "\n\n" + document.string()
                         + " is as it was before this save.");
}

namespace {

// A rollback file that must not be applied but may hold the only copy of the file's old bytes:
// renamed aside, never removed.
RollbackOutcome SetAside(const std::filesystem::path &document,
                         const std::filesystem::path &path,
                         FileSystem &files,
                         const std::string &why)
{
    std::filesystem::path kept = path;
    kept += ".kept";
    int there = 0;
    for (int n = 2; (there = PathExists(files, kept)) == 1; ++n) {
        kept = path;
        kept += ".kept-" + std::to_string(n);
    }
    if (there != 0 || files.Rename(path, kept) != 0)
        return {SystemFailure("rename", "the rollback file " + path.string()), false, {}};
    return {Status::Ok(),
            false,
            "The rollback file beside " + document.string() + " was not applied: " + why
                + ". It is kept as " + kept.string()
                + ". The file is opened as it is, and only Save As saves it; to save it in place, "
                  "move the kept file away and open the file again."};
}

} // namespace

RollbackOutcome RestoreFromRollback(const std::filesystem::path &given, FileSystem &files)
{
    std::filesystem::path document;
    if (Status real = RealFileOf(files, given, document); !real.ok())
        return {real, false, {}};
    const std::filesystem::path path = RollbackPathFor(document);
    BinaryFile rollback(files);
    if (const int there = PathExists(files, path); there != 1) {
        if (there == 0)
            return {};
        return {SystemFailure("look for", "the rollback file " + path.string()), false, {}};
    }
    if (Status opened = rollback.Open(path, BinaryFile::Mode::Read); !opened.ok())
        return {opened, false, {}};
    const Seal seal = SealOf(rollback, rollback.Length());
    const auto unreadableFailure = [&] {
        Status unreadable = SystemFailure("read", "the rollback file " + path.string());
        return RollbackOutcome{
            Status::Error("An interrupted save of " + document.string()
                          + " could not be undone, so the file is not opened; its old bytes "
                            "are kept in "
                          + path.string() + ".\n\n" + unreadable.message()),
            false,
            {}};
    };
    if (seal == Seal::Unreadable)
        return unreadableFailure();
    if (seal == Seal::Unsealed) {
        (void)rollback.Close();
        if (files.Remove(path) != 0)
            return {SystemFailure("remove", "the rollback file " + path.string()), false, {}};
        return {};
    }
    if (seal == Seal::Damaged) {
        (void)rollback.Close();
        return SetAside(document, path, files, "it is damaged (its checksum does not hold)");
    }
    bool unreadable = false;
    const std::optional<KeptContents> kept = ReadKept(rollback, rollback.Length(), unreadable);
    if (unreadable)
        return unreadableFailure();
    std::array<std::uint64_t, 3> mark{};
    if (kept && files.Mark(document, mark) != 0)
        return unreadableFailure();
    if (kept && kept->mark != mark) {
        (void)rollback.Close();
        return SetAside(document, path, files, "it was made for another file of that name");
    }
    BinaryFile file(files);
    Status status = kept ? file.Open(document, BinaryFile::Mode::Update) : Status::Ok();
    // A save only ever shortens a file it has kept whole: an old length beyond both the file
    // and the kept bytes is not this file's.
    if (!kept || (status.ok() && kept->oldLength > std::max(file.Length(), kept->farthest))) {
        (void)file.Close();
        (void)rollback.Close();
        return SetAside(document, path, files, "it does not fit the file");
    }
    if (status.ok())
        status = PutBack(rollback, *kept, file);
    if (Status closed = file.Close(); status.ok())
        status = closed;
    (void)rollback.Close();
    if (status.ok() && (files.Remove(path) != 0 || files.SyncFolder(path.parent_path()) != 0))
        status = SystemFailure("remove", "the rollback file " + path.string());
    if (!status.ok())
        return {Status::Error("An interrupted save of " + document.string()
                              + " could not be undone, so the file is not opened; its old bytes "
                                "are kept in "
                              + path.string() + ".\n\n" + status.message()),
                false,
                {}};
    return {Status::Ok(), true, {}};
}

Status PutBackEarlierSave(const std::filesystem::path &document, FileSystem &files)
{
    const RollbackOutcome outcome = RestoreFromRollback(document, files);
    if (!outcome.status.ok())
        return outcome.status;
    if (!outcome.setAside.empty())
        return Status::Error(outcome.setAside);
    return Status::Ok();
}

std::string RestoredMessage(const std::filesystem::path &document)
{
    return "A save of " + document.string()
           + " was interrupted; the file has been put back as it was before that save.";
}

} // namespace byteloom
