#pragma once

#include "common/status.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace byteloom {

// Refuses, with a message naming the file, a path that names a folder, a device or a pipe;
// what does not exist yet passes. what is the action the message names ("open", "write").
[[nodiscard]] Status RefuseIfNotARegularFile(const std::filesystem::path &path,
                                             const std::string &shownAs,
                                             const char *what);

// A byte-exact file handle with 64-bit positions. Every call reports failure with a message
// naming the file, so that no short read or failed write goes unnoticed.
class BinaryFile
{
public:
    enum class Mode { Read, Update, Create };

    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile &) = delete;
    BinaryFile &operator=(const BinaryFile &) = delete;
    BinaryFile(BinaryFile &&other) noexcept;
    BinaryFile &operator=(BinaryFile &&other) noexcept;

    // Read: existing file, read only. Update: existing file, read and write, never truncated.
    // Create: created or truncated, read and write. Messages name the file as shownAs when it
    // is given (a file written beside another stands for that other file).
    Status Open(const std::filesystem::path &path, Mode mode, std::string shownAs = {});
    [[nodiscard]] bool IsOpen() const { return file_ != nullptr; }
    [[nodiscard]] const std::filesystem::path &Path() const { return path_; }

    // Length of the file in bytes, or -1 on failure.
    [[nodiscard]] std::int64_t Length();
    // Reads exactly bytes.size() bytes at offset; a short read is an error.
    Status ReadAt(std::int64_t offset, std::span<std::uint8_t> bytes);
    // Reads up to bytes.size() bytes at offset; returns how many arrived, or -1 on error.
    [[nodiscard]] std::int64_t ReadUpTo(std::int64_t offset, std::span<std::uint8_t> bytes);
    Status WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Pushes written bytes to the operating system and asks it to put them on the disk.
    Status Sync();
    Status Close();

private:
    Status Seek(std::int64_t offset);
    Status Failure(const char *what) const;

    std::FILE *file_ = nullptr;
    std::filesystem::path path_;
    std::string shownAs_;
};

} // namespace byteloom
