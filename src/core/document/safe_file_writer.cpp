#include "document/safe_file_writer.h"
#include "common/path_text.h"

#include "common/system_error_text.h"
#include "common/utf.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>

namespace byteloom {

namespace {

constexpr std::size_t kNameLimit = 255;

} // namespace

Status RealFileOf(FileSystem &files, const std::filesystem::path &path, std::filesystem::path &real)
{
    real = path;
    // A chain of links ends somewhere; a loop is left to the open to report.
    for (int hops = 0; hops < 40; ++hops) {
        std::filesystem::path target;
        errno = 0;
        if (files.LinkTarget(real, target) != 0) {
            if (errno == EINVAL || errno == ENOENT || errno == ENOTDIR)
                return Status::Ok(); // not a link, or nothing there yet: the file itself
            return Status::Error("Unable to write " + TextOfPath(path) + ": "
                                 + LastSystemErrorText());
        }
        real = target.is_absolute() ? target : real.parent_path() / target;
    }
    return Status::Ok();
}

Status WrittenButNotConfirmed(const std::filesystem::path &path)
{
    return Status::Error(TextOfPath(path)
                         + " was written, but the system could not confirm that it is on the "
                           "disk: "
                         + LastSystemErrorText());
}

std::filesystem::path TemporaryFileBeside(const std::filesystem::path &path)
{
    std::random_device random;
    const std::string suffix = ".byteloom-" + std::to_string(random()) + ".tmp";
    std::string name = TextOfPath(path.filename());
    // A long name is cut at a character, never inside one.
    std::size_t end = std::min(name.size(), kNameLimit - 1 - suffix.size());
    while (end > 0 && end < name.size() && IsUtf8Continuation(name[end]))
        --end;
    name.resize(end);
    return path.parent_path() / PathOfText("." + name + suffix);
}

SafeFileStream::~SafeFileStream()
{
    Abandon();
}

Status SafeFileStream::Open(const std::filesystem::path &path)
{
    Abandon();
    FileSystem &files = file_.Files();
    if (Status kind = RefuseIfNotARegularFile(files, path, TextOfPath(path), "write"); !kind.ok())
        return kind;
    if (Status real = RealFileOf(files, path, target_); !real.ok())
        return real;
    // A file the user may not write is not replaced either, though the folder would let a new
    // file be renamed over it: a write-protected image stays as it is.
    errno = 0;
    if (files.Access(target_, kMayWrite) != 0 && errno != ENOENT)
        return Status::Error("Unable to write " + TextOfPath(path) + ": " + LastSystemErrorText());
    temporary_ = TemporaryFileBeside(target_);
    guard_.emplace(files, temporary_);
    written_ = 0;
    Status status = file_.Open(temporary_, BinaryFile::Mode::CreateNew, TextOfPath(path));
    if (!status.ok()) {
        temporary_.clear();
        guard_.reset();
    }
    return status;
}

Status SafeFileStream::Write(std::span<const std::uint8_t> bytes)
{
    if (!file_.IsOpen())
        return Status::Error("Unable to write " + TextOfPath(target_) + ": the file is not open");
    Status status = file_.WriteAt(written_, bytes);
    if (status.ok())
        written_ += static_cast<std::int64_t>(bytes.size());
    return status;
}

Status SafeFileStream::Write(std::string_view text)
{
    return Write(std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
}

Status SafeFileStream::Commit()
{
    FileSystem &files = file_.Files();
    Status status = file_.Sync();
    if (Status closed = file_.Close(); status.ok())
        status = closed;
    if (status.ok())
        status = GiveOldPermissions(files);
    if (status.ok()) {
        errno = 0;
        if (files.Rename(temporary_, target_) != 0)
            status = Status::Error("Unable to write " + TextOfPath(target_) + ": "
                                   + LastSystemErrorText());
    }
    if (!status.ok()) {
        Abandon();
        return status;
    }
    temporary_.clear();
    guard_.reset();
    // The new file is in place; only its lasting through a power loss is in doubt.
    errno = 0;
    if (files.SyncFolder(target_.parent_path()) != 0)
        return WrittenButNotConfirmed(target_);
    return Status::Ok();
}

Status SafeFileStream::GiveOldPermissions(FileSystem &files)
{
    // The new file is made readable by its owner alone; it takes the old file's mode before it
    // takes the name, so that the saved file is never left unreadable to those who could read
    // it before. A file made anew gets the usual mode where the file system keeps modes.
    FileStatus old;
    errno = 0;
    const bool replacing = files.StatPath(target_, old) == 0;
    if (!replacing && errno != ENOENT)
        return Status::Error("Unable to write " + TextOfPath(target_) + ": "
                             + LastSystemErrorText());
    const std::uint32_t mode = replacing ? old.permissions : 0644;
    errno = 0;
    if (files.SetMode(temporary_, mode) != 0 && replacing)
        return Status::Error("Unable to give " + TextOfPath(target_)
                             + " its permissions: " + LastSystemErrorText());
    return Status::Ok();
}

void SafeFileStream::Abandon()
{
    (void)file_.Close();
    if (!temporary_.empty()) {
        (void)file_.Files().Remove(temporary_);
        temporary_.clear();
    }
    guard_.reset();
}

Status WriteFileSafely(const std::filesystem::path &path,
                       std::span<const std::uint8_t> bytes,
                       FileSystem &files)
{
    SafeFileStream stream(files);
    Status status = stream.Open(path);
    if (status.ok())
        status = stream.Write(bytes);
    if (status.ok())
        status = stream.Commit();
    return status;
}

} // namespace byteloom
