#include "document/binary_file.h"

#include "common/system_error_text.h"

#include <cerrno>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace byteloom {

namespace {

int SeekTo(std::FILE *file, std::int64_t offset, int origin)
{
#ifdef _WIN32
    return _fseeki64(file, offset, origin);
#else
    return fseeko(file, static_cast<off_t>(offset), origin);
#endif
}

std::int64_t TellOf(std::FILE *file)
{
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<std::int64_t>(ftello(file));
#endif
}

[[maybe_unused]] const char *ModeText(BinaryFile::Mode mode)
{
    switch (mode) {
    case BinaryFile::Mode::Read:
        return "rb";
    case BinaryFile::Mode::Update:
        return "r+b";
    case BinaryFile::Mode::Create:
        return "w+b";
    }
    return "rb";
}

} // namespace

Status RefuseIfNotARegularFile(const std::filesystem::path &path,
                               const std::string &shownAs,
                               const char *what)
{
    // A folder opens for reading, and a device or a pipe would block or never end: only a
    // regular file holds bytes to edit, a table or a script, or can be replaced by one.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status) || std::filesystem::is_regular_file(status))
        return Status::Ok();
    return Status::Error("Unable to " + std::string(what) + " " + shownAs + ": "
                         + (std::filesystem::is_directory(status) ? "it is a directory, not a file"
                                                                  : "it is not a regular file"));
}

BinaryFile::~BinaryFile()
{
    if (file_)
        std::fclose(file_);
}

BinaryFile::BinaryFile(BinaryFile &&other) noexcept
    : file_(std::exchange(other.file_, nullptr))
    , path_(std::move(other.path_))
    , shownAs_(std::move(other.shownAs_))
{}

BinaryFile &BinaryFile::operator=(BinaryFile &&other) noexcept
{
    if (this != &other) {
        if (file_)
            std::fclose(file_);
        file_ = std::exchange(other.file_, nullptr);
        path_ = std::move(other.path_);
        shownAs_ = std::move(other.shownAs_);
    }
    return *this;
}

Status BinaryFile::Open(const std::filesystem::path &path, Mode mode, std::string shownAs)
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    path_ = path;
    shownAs_ = shownAs.empty() ? path.string() : std::move(shownAs);
    if (Status kind = RefuseIfNotARegularFile(path, shownAs_, "open"); !kind.ok())
        return kind;
    errno = 0;
#ifdef _WIN32
    const wchar_t *wideMode = mode == Mode::Read ? L"rb" : mode == Mode::Update ? L"r+b" : L"w+b";
    file_ = _wfopen(path.c_str(), wideMode);
#else
    file_ = std::fopen(path.c_str(), ModeText(mode));
#endif
    if (!file_)
        return Failure("open");
    // Every access is a whole page or a whole file; a stream buffer would only add a copy and
    // could serve bytes that another handle has since rewritten.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    return Status::Ok();
}

std::int64_t BinaryFile::Length()
{
    if (!file_ || SeekTo(file_, 0, SEEK_END) != 0)
        return -1;
    return TellOf(file_);
}

Status BinaryFile::Seek(std::int64_t offset)
{
    errno = 0;
    if (!file_ || SeekTo(file_, offset, SEEK_SET) != 0)
        return Failure("seek in");
    return Status::Ok();
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
    if (!Seek(offset).ok())
        return -1;
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file_);
    if (got != bytes.size() && std::ferror(file_)) {
        std::clearerr(file_);
        return -1;
    }
    return static_cast<std::int64_t>(got);
}

Status BinaryFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    if (Status seek = Seek(offset); !seek.ok())
        return seek;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
        std::clearerr(file_);
        return Failure("write");
    }
    return Status::Ok();
}

Status BinaryFile::Sync()
{
    errno = 0;
    if (!file_ || std::fflush(file_) != 0)
        return Failure("write");
#ifdef _WIN32
    if (_commit(_fileno(file_)) != 0)
        return Failure("write");
#else
    if (fsync(fileno(file_)) != 0)
        return Failure("write");
#endif
    return Status::Ok();
}

Status BinaryFile::Close()
{
    if (!file_)
        return Status::Ok();
    errno = 0;
    const int result = std::fclose(std::exchange(file_, nullptr));
    if (result != 0)
        return Failure("write");
    return Status::Ok();
}

Status BinaryFile::Failure(const char *what) const
{
    return Status::Error("Unable to " + std::string(what) + " " + shownAs_ + ": "
                         + LastSystemErrorText());
}

} // namespace byteloom
