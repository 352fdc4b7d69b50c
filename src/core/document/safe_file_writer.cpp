#include "document/safe_file_writer.h"

#include "document/binary_file.h"

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

Status WriteNewFile(const std::filesystem::path &path,
                    const std::filesystem::path &shownAs,
                    std::span<const std::uint8_t> bytes)
{
    BinaryFile file;
    Status status = file.Open(path, BinaryFile::Mode::Create, shownAs.string());
    if (status.ok())
        status = file.WriteAt(0, bytes);
    if (status.ok())
        status = file.Sync();
    if (Status closed = file.Close(); status.ok())
        status = closed;
    return status;
}

} // namespace

Status WriteFileSafely(const std::filesystem::path &path, std::span<const std::uint8_t> bytes)
{
    const std::filesystem::path temporary = NewFileBeside(path);
    Status status = WriteNewFile(temporary, path, bytes);
    std::error_code error;
    if (status.ok()) {
        const auto old = std::filesystem::status(path, error);
        if (!error && std::filesystem::exists(old))
            std::filesystem::permissions(temporary, old.permissions(), error);
        error.clear();
        std::filesystem::rename(temporary, path, error);
        if (error)
            status = Status::Error("Unable to write " + path.string() + ": " + error.message());
    }
    if (!status.ok()) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return status;
}

} // namespace byteloom
