#include "platform/file_system.h"

#include "platform/signal_cleanup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>

namespace byteloom {

namespace {

FileStatus StatusOf(const struct stat &found)
{
    FileStatus status;
    status.kind = S_ISREG(found.st_mode)   ? FileStatus::Kind::Regular
                  : S_ISDIR(found.st_mode) ? FileStatus::Kind::Folder
                                           : FileStatus::Kind::Other;
    status.device = static_cast<std::uint64_t>(found.st_dev);
    status.number = static_cast<std::uint64_t>(found.st_ino);
    status.size = static_cast<std::int64_t>(found.st_size);
    status.modified = static_cast<std::int64_t>(found.st_mtim.tv_sec) * 1000000000
                      + static_cast<std::int64_t>(found.st_mtim.tv_nsec);
    status.permissions = static_cast<std::uint32_t>(found.st_mode & 07777);
    status.links = static_cast<std::uint64_t>(found.st_nlink);
    status.ownedByUser = found.st_uid == ::geteuid() && found.st_gid == ::getegid();
    return status;
}

class PosixFileSystem final : public FileSystem
{
public:
    int Open(const std::filesystem::path &path, int flags, std::uint32_t permissions) override
    {
        int fd;
        do
            fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(permissions));
        while (fd < 0 && errno == EINTR);
        return fd;
    }
    std::int64_t ReadAt(int fd, void *bytes, std::size_t count, std::int64_t offset) override
    {
        ssize_t got;
        do
            got = ::pread(fd, bytes, count, offset);
        while (got < 0 && errno == EINTR);
        return got;
    }
    std::int64_t WriteAt(int fd, const void *bytes, std::size_t count, std::int64_t offset) override
    {
        ssize_t put;
        do
            put = ::pwrite(fd, bytes, count, offset);
        while (put < 0 && errno == EINTR);
        return put;
    }
    std::int64_t CopyRange(int from,
                           std::int64_t fromOffset,
                           int to,
                           std::int64_t toOffset,
                           std::size_t count) override
    {
        off_t source = fromOffset;
        off_t target = toOffset;
        ssize_t copied;
        do
            copied = ::copy_file_range(from, &source, to, &target, count, 0);
        while (copied < 0 && errno == EINTR);
        return copied;
    }
    int Sync(int fd) override { return ::fsync(fd); }
    int Truncate(int fd, std::int64_t length) override { return ::ftruncate(fd, length); }
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
    int Stat(int fd, FileStatus &status) override
    {
        struct stat found
        {};
        if (::fstat(fd, &found) != 0)
            return -1;
        status = StatusOf(found);
        return 0;
    }
    int StatPath(const std::filesystem::path &path, FileStatus &status) override
    {
        struct stat found
        {};
        if (::stat(path.c_str(), &found) != 0)
            return -1;
        status = StatusOf(found);
        return 0;
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
    int SetMode(const std::filesystem::path &path, std::uint32_t permissions) override
    {
        return ::chmod(path.c_str(), static_cast<mode_t>(permissions));
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
    int MakeFolder(const std::filesystem::path &path, std::uint32_t permissions) override
    {
        return ::mkdir(path.c_str(), static_cast<mode_t>(permissions));
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

} // namespace byteloom
