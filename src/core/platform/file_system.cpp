#include "platform/file_system.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace byteloom {

namespace {

class PosixFileSystem final : public FileSystem
{
public:
    int Open(const std::filesystem::path &path, int flags, mode_t mode) override
    {
        int fd;
        do
            fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
        while (fd < 0 && errno == EINTR);
        return fd;
    }
    ssize_t ReadAt(int fd, void *bytes, std::size_t count, off_t offset) override
    {
        ssize_t got;
        do
            got = ::pread(fd, bytes, count, offset);
        while (got < 0 && errno == EINTR);
        return got;
    }
    ssize_t WriteAt(int fd, const void *bytes, std::size_t count, off_t offset) override
    {
        ssize_t put;
        do
            put = ::pwrite(fd, bytes, count, offset);
        while (put < 0 && errno == EINTR);
        return put;
    }
    ssize_t
    CopyRange(int from, off_t fromOffset, int to, off_t toOffset, std::size_t count) override
    {
        ssize_t copied;
        do
            copied = ::copy_file_range(from, &fromOffset, to, &toOffset, count, 0);
        while (copied < 0 && errno == EINTR);
        return copied;
    }
    int Sync(int fd) override { return ::fsync(fd); }
    int Truncate(int fd, off_t length) override { return ::ftruncate(fd, length); }
    int Close(int fd) override { return ::close(fd); }
    int Rename(const std::filesystem::path &from, const std::filesystem::path &to) override
    {
        return std::rename(from.c_str(), to.c_str());
    }
    int Remove(const std::filesystem::path &path) override { return ::unlink(path.c_str()); }
    int SyncFolder(const std::filesystem::path &folder) override
    {
        const int fd = Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY, 0);
        if (fd < 0)
            return -1;
        const int synced = ::fsync(fd);
        const int error = errno;
        ::close(fd);
        errno = error;
        return synced;
    }
    int Stat(int fd, struct stat &status) override { return ::fstat(fd, &status); }
};

} // namespace

FileSystem &RealFileSystem()
{
    static PosixFileSystem files;
    return files;
}

} // namespace byteloom
