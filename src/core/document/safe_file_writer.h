#pragma once

#include "common/status.h"
#include "platform/binary_file.h"
#include "platform/temporary_file_guard.h"

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
    explicit SafeFileStream(FileSystem &files)
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
    Status GiveOldPermissions(FileSystem &files);

    BinaryFile file_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::optional<TemporaryFileGuard> guard_;
    std::int64_t written_ = 0;
};

// The whole of bytes as the new contents of path, written as SafeFileStream does.
Status WriteFileSafely(const std::filesystem::path &path,
                       std::span<const std::uint8_t> bytes,
                       FileSystem &files);

// The file a write to path changes: the file behind a symbolic link (however many), else path.
// Fails when a link cannot be read, so that a link is never replaced by a file.
[[nodiscard]] Status
RealFileOf(FileSystem &files, const std::filesystem::path &path, std::filesystem::path &real);

// Said when the new bytes are in place but a sync of the file or its folder failed.
[[nodiscard]] Status WrittenButNotConfirmed(const std::filesystem::path &path);

// The name of the temporary file written beside path: hidden, marked as Byteloom's, unique, and
// short enough for the file system whatever the length of path's own name.
[[nodiscard]] std::filesystem::path TemporaryFileBeside(const std::filesystem::path &path);

} // namespace byteloom
