// The way a document's bytes go back to the disk: the paged commit behind a rollback file, Save
// and Save As, and the checks that the file is still the one that was loaded.
#include "common/growable.h"
#include "common/path_text.h"
#include "common/system_error_text.h"
#include "document/document.h"
#include "document/safe_file_writer.h"

#include <cerrno>

namespace byteloom {

Status Document::CheckStillTheLoadedFile()
{
    if (!readOnlyReason_.empty())
        return Status::Error(readOnlyReason_);
    // The handle was opened for writing when the file was loaded; what the user may do now is
    // what counts.
    std::filesystem::path real;
    if (Status found = RealFileOf(files_, path_, real); !found.ok())
        return found;
    errno = 0;
    if (files_.Access(real, kMayWrite) != 0 && errno != ENOENT)
        return Status::Error("Unable to write " + TextOfPath(path_) + ": " + LastSystemErrorText());
    const auto now = IdentityOf(files_, path_);
    const auto held = cache_.Source().Identity();
    if (now && held && *now == sourceIdentity_ && now->device == held->device
        && now->number == held->number)
        return Status::Ok();
    return Status::Error("Unable to save " + TextOfPath(path_)
                         + ": another program has replaced or changed the file since it was "
                           "opened, so your changes are not written into it. Use Save As to "
                           "save the document under a name of your choosing.");
}

Status Document::CommitPages()
{
    if (!IsPaged() || !cache_.HasChanges())
        return Status::Ok();
    if (Status same = CheckStillTheLoadedFile(); !same.ok())
        return same;
    // What an earlier failed save left half written is put back first, so that what differs is
    // found against the file as the document last knew it.
    // Putting back changes the file, wholly or in part: it is still the one loaded, as the next
    // commit must know even when this one stops here.
    const Status earlier = PutBackEarlierSave(path_, files_);
    sourceIdentity_ = cache_.Source().Identity().value_or(FileIdentity{});
    if (!earlier.ok())
        return earlier;
    // Only what differs from the file is written, and only that is kept for a rollback.
    std::vector<Stretch> stretches;
    if (Status found = cache_.FindChangedStretches(stretches); !found.ok())
        return found;
    const std::int64_t oldLength = cache_.SourceLength();
    // The pages were changed back to what the file holds: nothing to write.
    if (stretches.empty() && Size() == oldLength) {
        cache_.AllPagesCommitted();
        return Status::Ok();
    }
    BinaryFile &source = cache_.Source();
    bool written = false;
    Status status = WriteBehindRollback(
        files_,
        path_,
        oldLength,
        [&](RollbackFile &rollback) {
            for (const Stretch &stretch : stretches) {
                if (stretch.offset >= oldLength)
                    continue; // past the old end: the old length puts it back
                if (Status kept = rollback.KeepFrom(source, stretch.offset, stretch.length);
                    !kept.ok())
                    return kept;
            }
            return Status::Ok();
        },
        [&] { return cache_.WriteChangesInto(source, stretches); },
        &written);
    // Whatever happened, the file's identity is what the next commit compares with.
    sourceIdentity_ = source.Identity().value_or(FileIdentity{});
    // Only once every page has reached the file for good may the page files go; then the
    // document's idea of the file is the file, whatever the status says of the disk.
    if (written)
        cache_.AllPagesCommitted();
    return status;
}

Status Document::DiscardPages()
{
    if (!IsPaged())
        return Status::Ok();
    // The file is read again: what a failed save left half written goes back first.
    // Only a file the document still knows as its own has its put-back taken as the document's;
    // a change another program made stays a reason to refuse the next save.
    const bool own = cache_.Source().Identity() == std::optional(sourceIdentity_);
    const Status earlier = PutBackEarlierSave(path_, files_);
    if (own)
        sourceIdentity_ = cache_.Source().Identity().value_or(FileIdentity{});
    if (!earlier.ok())
        return earlier;
    cache_.DiscardChanges();
    return Status::Ok();
}

Status Document::SaveWhole()
{
    const std::span<const std::uint8_t> bytes = cache_.Whole();
    std::filesystem::path real;
    if (Status found = RealFileOf(files_, path_, real); !found.ok())
        return found;
    FileStatus status;
    errno = 0;
    if (files_.StatPath(real, status) != 0) {
        if (errno == ENOENT)
            return WriteFileSafely(real, bytes, files_); // the file has gone: it is made anew
        return Status::Error("Unable to write " + TextOfPath(path_) + ": " + LastSystemErrorText());
    }
    errno = 0;
    if (files_.Access(real, kMayWrite) != 0)
        return Status::Error("Unable to write " + TextOfPath(path_) + ": " + LastSystemErrorText());
    // What an earlier failed save left half written goes back first, so that its rollback file
    // is neither left to undo this save nor taken for this save's own.
    if (Status earlier = PutBackEarlierSave(real, files_); !earlier.ok())
        return earlier;
    // A new file renamed over the old one would split hard links and take the saving user's
    // owner and group; such a file is rewritten in place, behind a rollback file.
    if (status.links == 1 && status.ownedByUser)
        return WriteFileSafely(real, bytes, files_);
    BinaryFile file(files_);
    if (Status opened = file.Open(real, BinaryFile::Mode::Update, TextOfPath(path_)); !opened.ok())
        return opened;
    const std::int64_t oldLength = file.Length();
    if (oldLength < 0)
        return Status::Error("Unable to find the length of " + TextOfPath(path_));
    return WriteBehindRollback(
        files_,
        real,
        oldLength,
        [&](RollbackFile &rollback) {
            std::vector<std::uint8_t> old;
            if (!TryResize(old, ToSize(oldLength)))
                return Status::Error("Unable to allocate memory to save " + TextOfPath(path_));
            Status read = file.ReadAt(0, old);
            return read.ok() ? rollback.Keep(0, old) : read;
        },
        [&] {
            Status written = file.WriteAt(0, bytes);
            if (written.ok())
                written = file.Truncate(Size());
            if (written.ok())
                written = file.Sync();
            return written;
        });
}

bool Document::IsReadOnly()
{
    if (!open_ || unnamed_)
        return false;
    if (!readOnlyReason_.empty())
        return true;
    // A name not yet written (a new document named by Save As) is free to take.
    std::filesystem::path real;
    errno = 0;
    return RealFileOf(files_, path_, real).ok() && files_.Access(real, kMayWrite) != 0
           && errno != ENOENT;
}

Status Document::Save()
{
    if (!open_)
        return Status::Ok();
    if (unnamed_)
        return Status::Error("The document has no file name yet.");
    if (!readOnlyReason_.empty())
        return Status::Error(readOnlyReason_);
    Status status = IsPaged() ? CommitPages() : SaveWhole();
    if (status.ok()) {
        if (!IsPaged())
            cache_.Counters().bytesWrittenToFile += Size();
        clean_ = true;
    }
    return status;
}

Status Document::SaveAs(const std::filesystem::path &path, const ProgressCallback &progress)
{
    if (!open_)
        return Status::Ok();
    if (!IsPaged()) {
        if (Status status = WriteFileSafely(path, cache_.Whole(), files_); !status.ok())
            return status;
        cache_.Counters().bytesWrittenToFile += Size();
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
        const std::int64_t from = page * PageSize();
        if (progress && !progress(from, Size()))
            return Status::Cancelled();
        if (!TryResize(scratch, ToSize(std::min(PageSize(), Size() - from))))
            return Status::Error("Unable to allocate memory to save " + TextOfPath(path));
        if (ReadBlock(from, scratch) != static_cast<std::int64_t>(scratch.size()))
            status = Status::Error("Unable to read the document to save it as " + TextOfPath(path));
        if (auto failed = TakeIoError())
            status = Status::Error(*failed);
        if (status.ok())
            status = stream.Write(scratch);
        if (status.ok())
            cache_.Counters().bytesWrittenToFile += static_cast<std::int64_t>(scratch.size());
    }
    // The handle the document keeps is opened before the rename, so that once the new file
    // has taken the name nothing more can fail.
    BinaryFile file(files_);
    if (status.ok())
        status = file.Open(stream.TemporaryPath(), BinaryFile::Mode::Update, TextOfPath(path));
    if (status.ok())
        status = stream.Commit();
    if (!status.ok())
        return status;

    // The new file holds every byte: the document now belongs to it.
    sourceIdentity_ = file.Identity().value_or(FileIdentity{});
    cache_.TakeSource(std::move(file));
    readOnlyReason_.clear();
    path_ = path;
    unnamed_ = false;
    clean_ = true;
    return Status::Ok();
}

void Document::SetPath(const std::filesystem::path &path)
{
    if (!open_ || IsPaged())
        return;
    path_ = path;
    unnamed_ = false;
}

} // namespace byteloom
