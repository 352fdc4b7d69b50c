#include "common/path_text.h"
#include "document/rollback_file.h"

#include "common/system_error_text.h"
#include "document/rollback_format.h"
#include "document/safe_file_writer.h"
#include "platform/binary_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

namespace byteloom {

using namespace rollback;

namespace {

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
        return {SystemFailure("rename", "the rollback file " + TextOfPath(path)), false, {}};
    return {Status::Ok(),
            false,
            "The rollback file beside " + TextOfPath(document) + " was not applied: " + why
                + ". It is kept as " + TextOfPath(kept)
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
        return {SystemFailure("look for", "the rollback file " + TextOfPath(path)), false, {}};
    }
    if (Status opened = rollback.Open(path, BinaryFile::Mode::Read); !opened.ok())
        return {opened, false, {}};
    // Read what failed at once, before another call changes the system's reason.
    const auto unreadableFailure = [&](const std::string &shownAs) {
        Status unreadable = SystemFailure("read", shownAs);
        return RollbackOutcome{
            Status::Error("An interrupted save of " + TextOfPath(document)
                          + " could not be undone, so the file is not opened; its old bytes "
                            "are kept in "
                          + TextOfPath(path) + ".\n\n" + unreadable.message()),
            false,
            {}};
    };
    // A length that cannot be told says nothing of the seal: the file must not be taken for one
    // that was never sealed and removed.
    const std::int64_t length = rollback.Length();
    const Seal seal = length < 0 ? Seal::Unreadable : SealOf(rollback, length);
    if (seal == Seal::Unreadable)
        return unreadableFailure("the rollback file " + TextOfPath(path));
    if (seal == Seal::Unsealed) {
        (void)rollback.Close();
        if (files.Remove(path) != 0)
            return {SystemFailure("remove", "the rollback file " + TextOfPath(path)), false, {}};
        return {};
    }
    if (seal == Seal::Damaged) {
        (void)rollback.Close();
        return SetAside(document, path, files, "it is damaged (its checksum does not hold)");
    }
    bool unreadable = false;
    const std::optional<KeptContents> kept = ReadKept(rollback, length, unreadable);
    if (unreadable)
        return unreadableFailure("the rollback file " + TextOfPath(path));
    std::array<std::uint64_t, 3> mark{};
    if (kept && files.Mark(document, mark) != 0)
        return unreadableFailure(TextOfPath(document));
    if (kept && kept->mark != mark) {
        (void)rollback.Close();
        return SetAside(document, path, files, "it was made for another file of that name");
    }
    BinaryFile file(files);
    Status status = kept ? file.Open(document, BinaryFile::Mode::Update) : Status::Ok();
    const std::int64_t fileLength = status.ok() ? file.Length() : 0;
    if (status.ok() && fileLength < 0)
        return unreadableFailure(TextOfPath(document));
    // A save only ever shortens a file it has kept whole: an old length beyond both the file
    // and the kept bytes is not this file's.
    if (!kept || (status.ok() && kept->oldLength > std::max(fileLength, kept->farthest))) {
        (void)file.Close();
        (void)rollback.Close();
        return SetAside(document, path, files, "it does not fit the file");
    }
    if (status.ok())
        status = PutBack(rollback, *kept, file);
    if (Status closed = file.Close(); status.ok())
        status = closed;
    (void)rollback.Close();
    if (status.ok() && files.Remove(path) != 0)
        status = SystemFailure("remove", "the rollback file " + TextOfPath(path));
    if (!status.ok())
        return {Status::Error("An interrupted save of " + TextOfPath(document)
                              + " could not be undone, so the file is not opened; its old bytes "
                                "are kept in "
                              + TextOfPath(path) + ".\n\n" + status.message()),
                false,
                {}};
    // The file is wholly old and on the disk, and the rollback file is gone: the file opens. Only
    // the removal's lasting through a power loss is in doubt, as the new name of any saved file
    // is when the folder cannot be synced.
    (void)files.SyncFolder(path.parent_path());
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
    return "A save of " + TextOfPath(document)
           + " was interrupted; the file has been put back as it was before that save.";
}

} // namespace byteloom
