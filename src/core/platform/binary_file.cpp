#include "platform/binary_file.h"
#include "common/path_text.h"

#include "common/growable.h"
#include "common/system_error_text.h"

#include <cerrno>
#include <utility>

namespace byteloom {

namespace {

int FlagsOf(BinaryFile::Mode mode)
{
    switch (mode) {
    case BinaryFile::Mode::Read:
        return O_RDONLY;
    case BinaryFile::Mode::Update:
        return O_RDWR;
    case BinaryFile::Mode::Create:
        return O_RDWR | O_CREAT | O_TRUNC;
    case BinaryFile::Mode::CreateNew:
        return O_RDWR | O_CREAT | O_EXCL;
    }
    return O_RDONLY;
}

FileIdentity IdentityFrom(const FileStatus &status)
{
    return {status.device, status.number, status.size, status.modified};
}

} // namespace

Status RefuseIfNotARegularFile(FileSystem &files,
                               const std::filesystem::path &path,
                               const std::string &shownAs,
                               const char *what)
{
    // A folder opens for reading, and a device or a pipe would block or never end: only a
    // regular file holds bytes to edit, a table or a script, or can be replaced by one. What
    // cannot be looked at is left to the open to report.
    FileStatus status;
    if (files.StatPath(path, status) != 0 || status.kind == FileStatus::Kind::Regular)
        return Status::Ok();
    return Status::Error("Unable to " + std::string(what) + " " + shownAs + ": "
                         + (status.kind == FileStatus::Kind::Folder
                                ? "it is a directory, not a file"
                                : "it is not a regular file"));
}

std::optional<FileIdentity> IdentityOf(FileSystem &files, const std::filesystem::path &path)
{
    FileStatus status;
    if (files.StatPath(path, status) != 0)
        return std::nullopt;
    return IdentityFrom(status);
}

BinaryFile::~BinaryFile()
{
    if (fd_ >= 0)
        files_->Close(fd_);
}

BinaryFile::BinaryFile(BinaryFile &&other) noexcept
    : files_(other.files_)
    , fd_(std::exchange(other.fd_, -1))
    , path_(std::move(other.path_))
    , shownAs_(std::move(other.shownAs_))
{}

BinaryFile &BinaryFile::operator=(BinaryFile &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            files_->Close(fd_);
        files_ = other.files_;
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        shownAs_ = std::move(other.shownAs_);
    }
    return *this;
}

Status BinaryFile::Open(const std::filesystem::path &path, Mode mode, std::string shownAs)
{
    if (fd_ >= 0)
        files_->Close(std::exchange(fd_, -1));
    path_ = path;
    shownAs_ = shownAs.empty() ? TextOfPath(path) : std::move(shownAs);
    if (Status kind = RefuseIfNotARegularFile(*files_, path, shownAs_, "open"); !kind.ok())
        return kind;
    // Opening a pipe for reading would wait for a writer: never wait, and check the kind again
    // on the open file, which cannot change under us.
    errno = 0;
    fd_ = files_->Open(path, FlagsOf(mode) | kOpenNoWait, mode == Mode::CreateNew ? 0600 : 0666);
    if (fd_ < 0)
        return Failure("open");
    FileStatus status;
    if (files_->Stat(fd_, status) != 0) {
        const Status failed = Failure("open");
        files_->Close(std::exchange(fd_, -1));
        if (mode == Mode::CreateNew)
            (void)files_->Remove(path); // made by this open, and holding nothing yet
        return failed;
    }
    if (status.kind != FileStatus::Kind::Regular) {
        files_->Close(std::exchange(fd_, -1));
        return RefuseIfNotARegularFile(*files_, path, shownAs_, "open");
    }
    return Status::Ok();
}

std::int64_t BinaryFile::Length()
{
    const auto identity = Identity();
    return identity ? identity->length : -1;
}

std::optional<FileIdentity> BinaryFile::Identity()
{
    FileStatus status;
    if (fd_ < 0 || files_->Stat(fd_, status) != 0)
        return std::nullopt;
    return IdentityFrom(status);
}

Status BinaryFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> bytes)
{
    const std::int64_t got = ReadUpTo(offset, bytes);
    if (got < 0)
        return Failure("read");
    if (static_cast<std::size_t>(got) != bytes.size())
        return Status::Error("Unable to read " + shownAs_ + ": the file ended early");
    return Status::Ok();
}

std::int64_t BinaryFile::ReadUpTo(std::int64_t offset, std::span<std::uint8_t> bytes)
{
    errno = 0;
    if (fd_ < 0 || offset < 0) {
        errno = EBADF;
        return -1;
    }
    std::size_t total = 0;
    while (total < bytes.size()) {
        const std::int64_t got = files_->ReadAt(fd_,
                                                bytes.data() + total,
                                                bytes.size() - total,
                                                offset + static_cast<std::int64_t>(total));
        if (got < 0)
            return -1;
        if (got == 0)
            break; // the end of the file
        total += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(total);
}

Status BinaryFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    errno = 0;
    if (fd_ < 0 || offset < 0) {
        errno = EBADF;
        return Failure("write");
    }
    std::size_t total = 0;
    while (total < bytes.size()) {
        const std::int64_t put = files_->WriteAt(fd_,
                                                 bytes.data() + total,
                                                 bytes.size() - total,
                                                 offset + static_cast<std::int64_t>(total));
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC; // nothing more fits
            return Failure("write");
        }
        total += static_cast<std::size_t>(put);
    }
    return Status::Ok();
}

Status BinaryFile::Truncate(std::int64_t length)
{
    errno = 0;
    if (fd_ < 0 || files_->Truncate(fd_, length) != 0)
        return Failure("write");
    return Status::Ok();
}

Status BinaryFile::Sync()
{
    errno = 0;
    if (fd_ < 0 || files_->Sync(fd_) != 0)
        return Failure("write");
    return Status::Ok();
}

Status BinaryFile::Close()
{
    if (fd_ < 0)
        return Status::Ok();
    errno = 0;
    if (files_->Close(std::exchange(fd_, -1)) != 0)
        return Failure("write");
    return Status::Ok();
}

Status BinaryFile::Failure(const char *what) const
{
    return Status::Error("Unable to " + std::string(what) + " " + shownAs_ + ": "
                         + LastSystemErrorText());
}

TextFileResult ReadBinaryFile(const std::filesystem::path &path, FileSystem &files)
{
    BinaryFile file(files);
    TextFileResult result;
    result.status = file.Open(path, BinaryFile::Mode::Read);
    if (!result.status.ok())
        return result;
    const std::int64_t length = file.Length();
    if (length < 0) {
        result.status = Status::Error("Unable to read " + TextOfPath(path));
        return result;
    }
    std::string raw;
    if (!TryResize(raw, static_cast<std::size_t>(length))) {
        result.status = Status::Error("Unable to allocate " + std::to_string(length)
                                      + " bytes RAM to read " + TextOfPath(path));
        return result;
    }
    result.status
        = file.ReadAt(0, std::span(reinterpret_cast<std::uint8_t *>(raw.data()), raw.size()));
    if (result.status.ok())
        result.text = std::move(raw);
    return result;
}

} // namespace byteloom
