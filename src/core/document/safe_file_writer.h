#pragma once

#include "common/status.h"
#include "document/binary_file.h"
#include "platform/interrupt_cleanup.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace byteloom {

// Writes a whole file so that a failure cannot damage the old one: the bytes go to a new file
// beside it (beside the real file, where the path is a symbolic link), which is put on the disk
// and then renamed over the old file, keeping the old file's permissions. Until Commit()
// succeeds the old file is as it was; a stream that is dropped without a commit removes its new
// file.
class SafeFileStream
{
public:
    explicit SafeFileStream(FileSystem &files = RealFileSystem())
        : file_(files)
    {}
    ~SafeFileStream();
    SafeFileStream(const SafeFileStream &) = delete;
    SafeFileStream &operator=(const SafeFileStream &) = delete;

    Status Open(const std::filesystem::path &path);
    Status Write(std::span<const std::uint8_t> bytes);
    Status Write(std::string_view text);
    Status Commit();
    // The new file being written, until Commit() renames it.
    [[nodiscard]] const std::filesystem::path &TemporaryPath() const { return temporary_; }

private:
    void Abandon();

    BinaryFile file_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::optional<TemporaryFileGuard> guard_;
    std::int64_t written_ = 0;
};

// The whole of bytes as the new contents of path, written as SafeFileStream does.
Status WriteFileSafely(const std::filesystem::path &path,
                       std::span<const std::uint8_t> bytes,
                       FileSystem &files = RealFileSystem());

// The file a write to path changes: the file behind a symbolic link (however many), else path.
[[nodiscard]] std::filesystem::path RealFileOf(const std::filesystem::path &path);

// The name of the temporary file written beside path: hidden, marked as Byteloom's, unique, and
// short enough for the file system whatever the length of path's own name.
[[nodiscard]] std::filesystem::path TemporaryFileBeside(const std::filesystem::path &path);

} // namespace byteloom
