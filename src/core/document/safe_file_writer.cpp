#include "document/safe_file_writer.h"

#include "common/system_error_text.h"

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <system_error>

namespace byteloom {

namespace {

constexpr std::size_t kNameLimit = 255;

} // namespace

std::filesystem::path RealFileOf(const std::filesystem::path &path)
{
    std::error_code error;
    std::filesystem::path real = path;
    // A chain of links ends somewhere; a loop is left to the open to report.
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(real, error); ++hops) {
        const std::filesystem::path target = std::filesystem::read_symlink(real, error);
        if (error)
            break;
        real = target.is_absolute() ? target : real.parent_path() / target;
    }
    return real;
}

std::filesystem::path TemporaryFileBeside(const std::filesystem::path &path)
{
    std::random_device random;
    const std::string suffix = ".byteloom-" + std::to_string(random()) + ".tmp";
    std::string name = path.filename().string();
    name.resize(std::min(name.size(), kNameLimit - 1 - suffix.size()));
    return path.parent_path() / ("." + name + suffix);
}

SafeFileStream::~SafeFileStream()
{
    Abandon();
}

Status SafeFileStream::Open(const std::filesystem::path &path)
{
    Abandon();
    if (Status kind = RefuseIfNotARegularFile(path, path.string(), "write"); !kind.ok())
        return kind;
    target_ = RealFileOf(path);
    temporary_ = TemporaryFileBeside(target_);
    guard_.emplace(temporary_);
    written_ = 0;
    Status status = file_.Open(temporary_, BinaryFile::Mode::CreateNew, path.string());
    if (!status.ok()) {
        temporary_.clear();
        guard_.reset();
    }
    return status;
}

Status SafeFileStream::Write(std::span<const std::uint8_t> bytes)
{
    if (!file_.IsOpen())
        return Status::Error("Unable to write " + target_.string() + ": the file is not open");
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
    std::error_code error;
    if (status.ok()) {
        const auto old = std::filesystem::status(target_, error);
        const auto mode
            = !error && std::filesystem::exists(old)
                  ? old.permissions()
                  : std::filesystem::perms::owner_read | std::filesystem::perms::owner_write
                        | std::filesystem::perms::group_read | std::filesystem::perms::others_read;
        std::filesystem::permissions(temporary_, mode, error);
        errno = 0;
        if (files.Rename(temporary_, target_) != 0)
            status = Status::Error("Unable to write " + target_.string() + ": "
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
        return Status::Error(target_.string()
                             + " was written, but the system could not confirm that it is on the "
                               "disk: "
                             + LastSystemErrorText());
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
