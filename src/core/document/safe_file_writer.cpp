#include "document/safe_file_writer.h"

#include <random>
#include <string>
#include <system_error>

namespace byteloom {

namespace {

std::filesystem::path NewFileBeside(const std::filesystem::path &path)
{
    std::random_device random;
    // A hidden name of its own, so that the half-written file is neither mistaken for the
    // document nor clashes with another save.
    std::string name = path.filename().string();
    name.insert(0, 1, '.');
    name += ".byteloom-" + std::to_string(random()) + ".tmp";
    return path.parent_path() / name;
}

} // namespace

SafeFileStream::~SafeFileStream()
{
    Abandon();
}

Status SafeFileStream::Open(const std::filesystem::path &path)
{
    Abandon();
    if (Status kind = RefuseIfNotARegularFile(path, path.string(), "write"); !kind.ok())
        return kind;
    target_ = path;
    temporary_ = NewFileBeside(path);
    written_ = 0;
    Status status = file_.Open(temporary_, BinaryFile::Mode::Create, path.string());
    if (!status.ok())
        temporary_.clear();
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
    Status status = file_.Sync();
    if (Status closed = file_.Close(); status.ok())
        status = closed;
    std::error_code error;
    if (status.ok()) {
        const auto old = std::filesystem::status(target_, error);
        if (!error && std::filesystem::exists(old))
            std::filesystem::permissions(temporary_, old.permissions(), error);
        error.clear();
        std::filesystem::rename(temporary_, target_, error);
        if (error)
            status = Status::Error("Unable to write " + target_.string() + ": " + error.message());
    }
    if (status.ok())
        temporary_.clear();
    else
        Abandon();
    return status;
}

void SafeFileStream::Abandon()
{
    (void)file_.Close();
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

Status WriteFileSafely(const std::filesystem::path &path, std::span<const std::uint8_t> bytes)
{
    SafeFileStream stream;
    Status status = stream.Open(path);
    if (status.ok())
        status = stream.Write(bytes);
    if (status.ok())
        status = stream.Commit();
    return status;
}

} // namespace byteloom
