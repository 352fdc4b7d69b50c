#include "platform/file_system.h"

#include "platform/signal_cleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <system_error>

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
    int StatPath(const std::filesystem::path &path, struct stat &status) override
    {
        return ::stat(path.c_str(), &status);
    }
    int LinkTarget(const std::filesystem::path &path, std::filesystem::path &target) override
    {
        char buffer[PATH_MAX];
        const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (length < 0)
            return -1;
        if (static_cast<std::size_t>(length) == sizeof buffer) {
            errno = ENAMETOOLONG;
            return -1;
        }
        target = std::string(buffer, static_cast<std::size_t>(length));
        return 0;
    }
    int Access(const std::filesystem::path &path, int mode) override
    {
        return ::access(path.c_str(), mode);
    }
    int SetMode(const std::filesystem::path &path, mode_t mode) override
    {
        return ::chmod(path.c_str(), mode);
    }
    int Mark(const std::filesystem::path &path, std::array<std::uint64_t, 3> &mark) override
    {
        struct statx status
        {};
        if (::statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_BTIME, &status) != 0)
            return -1;
        const std::uint64_t made
            = (status.stx_mask & STATX_BTIME)
                  ? static_cast<std::uint64_t>(status.stx_btime.tv_sec) * 1000000000u
                        + status.stx_btime.tv_nsec
                  : 0;
        mark = {static_cast<std::uint64_t>(status.stx_dev_major) << 32 | status.stx_dev_minor,
                status.stx_ino,
                made};
        return 0;
    }
    int MakeFolder(const std::filesystem::path &path, mode_t mode) override
    {
        return ::mkdir(path.c_str(), mode);
    }
    int RemoveFolder(const std::filesystem::path &path) override
    {
        std::error_code error;
        std::filesystem::remove_all(path, error);
        if (error) {
            errno = error.value();
            return -1;
        }
        return 0;
    }
    std::filesystem::path TemporaryFolder() override
    {
        std::error_code error;
        std::filesystem::path folder = std::filesystem::temp_directory_path(error);
        return error ? std::filesystem::path{} : folder;
    }
    int WatchTemporary(const std::filesystem::path &path) override { return WatchOnSignals(path); }
    void ForgetTemporary(int ticket) override { ForgetOnSignals(ticket); }
};

} // namespace

FileSystem &RealFileSystem()
{
    static PosixFileSystem files;
    return files;
}

int PathExists(FileSystem &files, const std::filesystem::path &path)
{
    struct stat status
    {};
    errno = 0;
    if (files.StatPath(path, status) == 0)
        return 1;
    return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
}

std::int64_t FileLength(FileSystem &files, const std::filesystem::path &path)
{
    struct stat status
    {};
    return files.StatPath(path, status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

int MakeFolders(FileSystem &files, const std::filesystem::path &folder)
{
    if (folder.empty() || PathExists(files, folder) == 1)
        return 0;
    if (folder.has_parent_path() && folder.parent_path() != folder)
        (void)MakeFolders(files, folder.parent_path());
    errno = 0;
    return files.MakeFolder(folder, 0755) == 0 || errno == EEXIST ? 0 : -1;
}

bool SameFile(FileSystem &files,
              const std::filesystem::path &first,
              const std::filesystem::path &second)
{
    struct stat one
    {};
    struct stat other
    {};
    return files.StatPath(first, one) == 0 && files.StatPath(second, other) == 0
           && one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

} // namespace byteloom
