#pragma once

#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace byteloom {

// Refuses, with a message naming the file, a path that names a folder, a device or a pipe;
// what does not exist yet passes. what is the action the message names ("open", "write").
[[nodiscard]] Status RefuseIfNotARegularFile(FileSystem &files,
                                             const std::filesystem::path &path,
                                             const std::string &shownAs,
                                             const char *what);

// Which file a path named when it was read: the same device and file number, length and time
// of the last change mean that no other program has replaced or rewritten it since.
struct FileIdentity
{
    std::uint64_t device = 0;
    std::uint64_t number = 0;
    std::int64_t length = 0;
    std::int64_t changedNanoseconds = 0;
    bool operator==(const FileIdentity &) const = default;
};

// A byte-exact file handle with 64-bit positions, through a FileSystem. Every call reports
// failure with a message naming the file, so that no short read or failed write goes
// unnoticed.
class BinaryFile
{
public:
    // Read: existing file, read only. Update: existing file, read and write, never truncated.
    // Create: created or truncated, read and write. CreateNew: a file that must not exist yet,
    // readable and writable by its owner alone (a temporary file).
    enum class Mode { Read, Update, Create, CreateNew };

    explicit BinaryFile(FileSystem &files)
        : files_(&files)
    {}
    ~BinaryFile();
    BinaryFile(const BinaryFile &) = delete;
    BinaryFile &operator=(const BinaryFile &) = delete;
    BinaryFile(BinaryFile &&other) noexcept;
    BinaryFile &operator=(BinaryFile &&other) noexcept;

    // Messages name the file as shownAs when it is given (a file written beside another stands
    // for that other file).
    Status Open(const std::filesystem::path &path, Mode mode, std::string shownAs = {});
    [[nodiscard]] bool IsOpen() const { return fd_ >= 0; }
    [[nodiscard]] const std::filesystem::path &Path() const { return path_; }
    [[nodiscard]] FileSystem &Files() const { return *files_; }
    // The system's descriptor, for copies between two open files; -1 when closed.
    [[nodiscard]] int Descriptor() const { return fd_; }

    // Length of the file in bytes, or -1 on failure.
    [[nodiscard]] std::int64_t Length();
    // What the open file is now; nothing on failure.
    [[nodiscard]] std::optional<FileIdentity> Identity();
    // Reads exactly bytes.size() bytes at offset; a short read is an error.
    Status ReadAt(std::int64_t offset, std::span<std::uint8_t> bytes);
    // Reads up to bytes.size() bytes at offset; returns how many arrived, or -1 on error.
    [[nodiscard]] std::int64_t ReadUpTo(std::int64_t offset, std::span<std::uint8_t> bytes);
    // Writes every byte, however many calls the system needs; anything less is an error.
    Status WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    Status Truncate(std::int64_t length);
    // Asks the system to put the written bytes on the disk.
    Status Sync();
    Status Close();

private:
    Status Failure(const char *what) const;

    FileSystem *files_;
    int fd_ = -1;
    std::filesystem::path path_;
    std::string shownAs_;
};

// The identity of the file at path now (following a symbolic link); nothing when it cannot be
// read.
[[nodiscard]] std::optional<FileIdentity> IdentityOf(FileSystem &files,
                                                     const std::filesystem::path &path);

struct TextFileResult
{
    Status status = Status::Ok();
    std::string text;
};

// Reads the whole file's bytes as they are stored; the status tells why it could not be read.
[[nodiscard]] TextFileResult ReadBinaryFile(const std::filesystem::path &path, FileSystem &files);

} // namespace byteloom
