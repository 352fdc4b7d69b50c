#pragma once

#include "platform/file_system.h"

#include <cerrno>
#include <cstdint>
#include <string>

namespace byteloom::test {

// The real file system, except that the call numbered failAt (counting every call from 0)
// fails: with EIO, or, for a write, by storing half its bytes and then failing every later
// write to that file with ENOSPC, as a disk that fills up does.
class FaultyFileSystem final : public FileSystem
{
public:
    enum class Fault { Error, ShortWrite };

    std::int64_t failAt = -1;
    // Or: the first call of this kind ("chmod", "read", ...) fails.
    std::string failKind;
    // The disk works again: no call fails from now on, and the full disk has room.
    void Heal()
    {
        failAt = -1;
        failKind.clear();
        fullFile_ = -1;
    }
    Fault fault = Fault::Error;
    std::int64_t calls = 0;
    std::string failedCall;         // which kind of call failed, for the test's messages
    std::filesystem::path readOnly; // a file the user may read but not write

    int Open(const std::filesystem::path &path, int flags, std::uint32_t mode) override
    {
        return Fails("open") ? -1 : real_.Open(path, flags, mode);
    }
    std::int64_t ReadAt(int fd, void *bytes, std::size_t count, std::int64_t offset) override
    {
        return Fails("read") ? -1 : real_.ReadAt(fd, bytes, count, offset);
    }
    std::int64_t WriteAt(int fd, const void *bytes, std::size_t count, std::int64_t offset) override
    {
        if (fd == fullFile_) {
            errno = ENOSPC;
            return -1;
        }
        const bool shortWrite = fault == Fault::ShortWrite && calls == failAt && count > 1;
        if (shortWrite) {
            ++calls;
            failedCall = "short write";
            fullFile_ = fd;
            return real_.WriteAt(fd, bytes, count / 2, offset);
        }
        return Fails("write") ? -1 : real_.WriteAt(fd, bytes, count, offset);
    }
    std::int64_t CopyRange(int from,
                           std::int64_t fromOffset,
                           int to,
                           std::int64_t toOffset,
                           std::size_t count) override
    {
        if (fault == Fault::ShortWrite && calls == failAt && count > 1) {
            ++calls;
            failedCall = "short copy";
            fullFile_ = to;
            return real_.CopyRange(from, fromOffset, to, toOffset, count / 2);
        }
        if (to == fullFile_) {
            errno = ENOSPC;
            return -1;
        }
        return Fails("copy") ? -1 : real_.CopyRange(from, fromOffset, to, toOffset, count);
    }
    int Sync(int fd) override { return Fails("sync") ? -1 : real_.Sync(fd); }
    int Truncate(int fd, std::int64_t length) override
    {
        return Fails("truncate") ? -1 : real_.Truncate(fd, length);
    }
    int Close(int fd) override
    {
        if (fd == fullFile_)
            fullFile_ = -1;
        // The descriptor goes whatever close reports, as on Linux.
        const bool fails = Fails("close");
        const int closed = real_.Close(fd);
        return fails ? -1 : closed;
    }
    int Rename(const std::filesystem::path &from, const std::filesystem::path &to) override
    {
        return Fails("rename") ? -1 : real_.Rename(from, to);
    }
    int Remove(const std::filesystem::path &path) override
    {
        return Fails("remove") ? -1 : real_.Remove(path);
    }
    int SyncFolder(const std::filesystem::path &folder) override
    {
        return Fails("folder sync") ? -1 : real_.SyncFolder(folder);
    }
    int Stat(int fd, FileStatus &status) override
    {
        return Fails("fstat") ? -1 : real_.Stat(fd, status);
    }
    int StatPath(const std::filesystem::path &path, FileStatus &status) override
    {
        return Fails("stat") ? -1 : real_.StatPath(path, status);
    }
    int LinkTarget(const std::filesystem::path &path, std::filesystem::path &target) override
    {
        return Fails("readlink") ? -1 : real_.LinkTarget(path, target);
    }
    int Access(const std::filesystem::path &path, int mode) override
    {
        if ((mode & kMayWrite) && path == readOnly) {
            errno = EACCES; // as for a user without the right, whoever runs the test
            return -1;
        }
        return Fails("access") ? -1 : real_.Access(path, mode);
    }
    int SetMode(const std::filesystem::path &path, std::uint32_t mode) override
    {
        return Fails("chmod") ? -1 : real_.SetMode(path, mode);
    }
    int Mark(const std::filesystem::path &path, std::array<std::uint64_t, 3> &mark) override
    {
        return Fails("mark") ? -1 : real_.Mark(path, mark);
    }
    int MakeFolder(const std::filesystem::path &path, std::uint32_t mode) override
    {
        return Fails("mkdir") ? -1 : real_.MakeFolder(path, mode);
    }
    int RemoveFolder(const std::filesystem::path &path) override
    {
        return Fails("remove folder") ? -1 : real_.RemoveFolder(path);
    }
    std::filesystem::path TemporaryFolder() override { return real_.TemporaryFolder(); }
    int WatchTemporary(const std::filesystem::path &path) override
    {
        return real_.WatchTemporary(path);
    }
    void ForgetTemporary(int ticket) override { real_.ForgetTemporary(ticket); }

private:
    bool Fails(const char *call)
    {
        const bool chosen = !failKind.empty() && failKind == call;
        if (calls++ != failAt && !chosen)
            return false;
        failKind.clear();
        failedCall = call;
        errno = EIO;
        return true;
    }

    FileSystem &real_ = RealFileSystem();
    int fullFile_ = -1;
};

} // namespace byteloom::test
