#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <filesystem>

namespace byteloom {

// Every call through which Byteloom reads or changes a file on disk, in the operating system's
// own terms (a descriptor, or -1 / a negative count with errno set). Tests put a file system in
// its place that fails at a chosen call, to show that each failure leaves the files as they
// were and reaches the user.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    virtual int Open(const std::filesystem::path &path, int flags, mode_t mode) = 0;
    virtual ssize_t ReadAt(int fd, void *bytes, std::size_t count, off_t offset) = 0;
    virtual ssize_t WriteAt(int fd, const void *bytes, std::size_t count, off_t offset) = 0;
    // Copies inside the system (a shared extent where the file system can), without the bytes
    // passing through the program.
    virtual ssize_t CopyRange(int from, off_t fromOffset, int to, off_t toOffset, std::size_t count)
        = 0;
    virtual int Sync(int fd) = 0;
    virtual int Truncate(int fd, off_t length) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const std::filesystem::path &from, const std::filesystem::path &to) = 0;
    virtual int Remove(const std::filesystem::path &path) = 0;
    // Makes a rename or removal in the folder last across a power loss.
    virtual int SyncFolder(const std::filesystem::path &folder) = 0;
    virtual int Stat(int fd, struct stat &status) = 0;
};

// The operating system's own file system; it holds no state.
[[nodiscard]] FileSystem &RealFileSystem();

} // namespace byteloom
