#include "platform/file_system.h"

#include "platform/signal_cleanup.h"
#include "platform/wide_path_windows.h"

#include <windows.h>

#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

namespace byteloom {

namespace {

// The system's error as the errno value that LastSystemErrorText and the callers know.
int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return EBUSY; // another program holds the file
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_DIR_NOT_EMPTY:
        return ENOTEMPTY;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
        return ENOSYS;
    default:
        return EIO;
    }
}

int Failed()
{
    errno = ErrnoOf(GetLastError());
    return -1;
}

std::int64_t Nanoseconds(FILETIME time)
{
    // FILETIME counts 100 ns from 1601; 11,644,473,600 seconds lie between 1601 and 1970.
    const std::int64_t ticks = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

FileStatus StatusOf(const BY_HANDLE_FILE_INFORMATION &info, DWORD type)
{
    FileStatus status;
    status.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStatus::Kind::Folder
                  : type == FILE_TYPE_DISK                           ? FileStatus::Kind::Regular
                                                                     : FileStatus::Kind::Other;
    status.device = info.dwVolumeSerialNumber;
    status.number = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    status.size = static_cast<std::int64_t>(static_cast<std::uint64_t>(info.nFileSizeHigh) << 32
                                            | info.nFileSizeLow);
    status.modified = Nanoseconds(info.ftLastWriteTime);
    status.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    status.links = info.nNumberOfLinks;
    status.ownedByUser = true; // a replacing rename keeps the file's owner and security
    return status;
}

// Opens the path only to look at it: no right to its bytes, and no share refused, so that a
// file another program holds can still be looked at; a folder opens too.
HANDLE OpenToLookAt(const std::filesystem::path &path)
{
    return CreateFileW(WidePath(path).c_str(),
                       0,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr,
                       OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS,
                       nullptr);
}

class WindowsFileSystem final : public FileSystem
{
public:
    int Open(const std::filesystem::path &path, int flags, std::uint32_t permissions) override
    {
        const int access = flags & (O_RDONLY | O_WRONLY | O_RDWR);
        const DWORD rights = access == O_RDWR     ? GENERIC_READ | GENERIC_WRITE
                             : access == O_WRONLY ? GENERIC_WRITE
                                                  : GENERIC_READ;
        DWORD disposition = OPEN_EXISTING;
        if ((flags & O_CREAT) && (flags & O_EXCL))
            disposition = CREATE_NEW;
        else if ((flags & O_CREAT) && (flags & O_TRUNC))
            disposition = CREATE_ALWAYS;
        else if (flags & O_CREAT)
            disposition = OPEN_ALWAYS;
        else if (flags & O_TRUNC)
            disposition = TRUNCATE_EXISTING;
        // Every share is granted, as on Linux: Byteloom itself renames a file it holds open (a
        // Save As takes the new file's handle before the rename, so that nothing can fail after
        // it) and opens it again to put back an interrupted save. A file another program
        // replaces or changes has another index, time or size, which Byteloom checks before it
        // writes, so that nothing is replaced unseen.
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const DWORD attributes = (permissions & 0222) || !(flags & O_CREAT)
                                     ? FILE_ATTRIBUTE_NORMAL
                                     : FILE_ATTRIBUTE_READONLY;
        const HANDLE handle = CreateFileW(
            WidePath(path).c_str(), rights, share, nullptr, disposition, attributes, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return Failed();
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < handles_.size(); ++i) {
            if (handles_[i] == INVALID_HANDLE_VALUE) {
                handles_[i] = handle;
                return static_cast<int>(i);
            }
        }
        handles_.push_back(handle);
        return static_cast<int>(handles_.size() - 1);
    }
    std::int64_t ReadAt(int fd, void *bytes, std::size_t count, std::int64_t offset) override
    {
        const HANDLE handle = HandleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return -1;
        OVERLAPPED at = At(offset);
        DWORD got = 0;
        if (!ReadFile(handle, bytes, Clamp(count), &got, &at))
            return GetLastError() == ERROR_HANDLE_EOF ? 0 : Failed();
        return got;
    }
    std::int64_t WriteAt(int fd, const void *bytes, std::size_t count, std::int64_t offset) override
    {
        const HANDLE handle = HandleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return -1;
        OVERLAPPED at = At(offset);
        DWORD put = 0;
        if (!WriteFile(handle, bytes, Clamp(count), &put, &at))
            return Failed();
        return put;
    }
    std::int64_t CopyRange(int, std::int64_t, int, std::int64_t, std::size_t) override
    {
        errno = ENOSYS; // no copy inside the system between open files: the caller reads
        return -1;
    }
    int Sync(int fd) override
    {
        const HANDLE handle = HandleOf(fd);
        return handle == INVALID_HANDLE_VALUE ? -1 : FlushFileBuffers(handle) ? 0 : Failed();
    }
    int Truncate(int fd, std::int64_t length) override
    {
        const HANDLE handle = HandleOf(fd);
        if (handle == INVALID_HANDLE_VALUE)
            return -1;
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = length;
        return SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end) ? 0
                                                                                       : Failed();
    }
    int Close(int fd) override
    {
        HANDLE handle = INVALID_HANDLE_VALUE;
        {
            std::lock_guard lock(mutex_);
            if (fd >= 0 && static_cast<std::size_t>(fd) < handles_.size())
                handle
                    = std::exchange(handles_[static_cast<std::size_t>(fd)], INVALID_HANDLE_VALUE);
        }
        if (handle == INVALID_HANDLE_VALUE) {
            errno = EBADF;
            return -1;
        }
        return CloseHandle(handle) ? 0 : Failed();
    }
    int Rename(const std::filesystem::path &from, const std::filesystem::path &to) override
    {
        const std::wstring source = WidePath(from);
        const std::wstring target = WidePath(to);
        // ReplaceFileW keeps the replaced file's attributes, security and creation time, as a
        // save is expected to. It sets the old file aside under a backup name first, so that
        // where it stops half way the old file can be put back and the new one is still under
        // its own name: never both lost. Where it cannot work at all (another volume, a file
        // system without it, no old file), a plain move that reaches the disk before it returns.
        const std::wstring backup = target + L".bl-replaced";
        if (ReplaceFileW(target.c_str(),
                         source.c_str(),
                         backup.c_str(),
                         REPLACEFILE_IGNORE_MERGE_ERRORS,
                         nullptr,
                         nullptr)) {
            DeleteFileW(backup.c_str());
            return 0;
        }
        const DWORD replaceError = GetLastError();
        if (replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            SetLastError(replaceError);
            return Failed(); // both files kept their names
        }
        if (replaceError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            // The old file is under the backup name: it goes back, and the new one stays.
            MoveFileExW(
                backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
            SetLastError(replaceError);
            return Failed();
        }
        if (MoveFileExW(
                source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 0;
        return Failed();
    }
    int Remove(const std::filesystem::path &path) override
    {
        return DeleteFileW(WidePath(path).c_str()) ? 0 : Failed();
    }
    int SyncFolder(const std::filesystem::path &) override
    {
        return 0; // a rename is written through by MOVEFILE_WRITE_THROUGH; folders have no flush
    }
    int Stat(int fd, FileStatus &status) override
    {
        const HANDLE handle = HandleOf(fd);
        return handle == INVALID_HANDLE_VALUE ? -1 : StatHandle(handle, status);
    }
    int StatPath(const std::filesystem::path &path, FileStatus &status) override
    {
        const HANDLE handle = OpenToLookAt(path);
        if (handle == INVALID_HANDLE_VALUE)
            return Failed();
        const int result = StatHandle(handle, status);
        CloseHandle(handle);
        return result;
    }
    int LinkTarget(const std::filesystem::path &, std::filesystem::path &) override
    {
        errno = EINVAL; // a link is followed by the calls that open it
        return -1;
    }
    int Access(const std::filesystem::path &path, int mode) override
    {
        const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return Failed();
        if ((mode & kMayWrite) && (attributes & FILE_ATTRIBUTE_READONLY)
            && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            errno = EACCES;
            return -1;
        }
        return 0;
    }
    int SetMode(const std::filesystem::path &path, std::uint32_t permissions) override
    {
        // Windows keeps one bit of a file's mode: whether it is read-only.
        const std::wstring wide = WidePath(path);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return Failed();
        DWORD wanted = (permissions & 0200) ? attributes & ~DWORD{FILE_ATTRIBUTE_READONLY}
                                            : attributes | FILE_ATTRIBUTE_READONLY;
        if (wanted == 0)
            wanted = FILE_ATTRIBUTE_NORMAL;
        return wanted == attributes || SetFileAttributesW(wide.c_str(), wanted) ? 0 : Failed();
    }
    int Mark(const std::filesystem::path &path, std::array<std::uint64_t, 3> &mark) override
    {
        const HANDLE handle = OpenToLookAt(path);
        if (handle == INVALID_HANDLE_VALUE)
            return Failed();
        BY_HANDLE_FILE_INFORMATION info{};
        const BOOL got = GetFileInformationByHandle(handle, &info);
        const DWORD error = GetLastError();
        CloseHandle(handle);
        if (!got) {
            SetLastError(error);
            return Failed();
        }
        // The volume and the file's index. Not its creation time: ReplaceFileW hands the
        // replaced file's creation time to the file put in its place, so it tells nothing.
        mark = {info.dwVolumeSerialNumber,
                static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
                0};
        return 0;
    }
    int MakeFolder(const std::filesystem::path &path, std::uint32_t) override
    {
        return CreateDirectoryW(WidePath(path).c_str(), nullptr) ? 0 : Failed();
    }
    int WatchTemporary(const std::filesystem::path &path) override { return WatchOnSignals(path); }
    void ForgetTemporary(int ticket) override { ForgetOnSignals(ticket); }

private:
    static DWORD Clamp(std::size_t count)
    {
        return static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
    }
    static OVERLAPPED At(std::int64_t offset)
    {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
        at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
        return at;
    }
    static int StatHandle(HANDLE handle, FileStatus &status)
    {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle, &info))
            return Failed();
        status = StatusOf(info, GetFileType(handle));
        return 0;
    }
    HANDLE HandleOf(int fd)
    {
        std::lock_guard lock(mutex_);
        if (fd < 0 || static_cast<std::size_t>(fd) >= handles_.size()
            || handles_[static_cast<std::size_t>(fd)] == INVALID_HANDLE_VALUE) {
            errno = EBADF;
            return INVALID_HANDLE_VALUE;
        }
        return handles_[static_cast<std::size_t>(fd)];
    }

    // The numbers the interface hands out stand for these handles.
    std::mutex mutex_;
    std::vector<HANDLE> handles_;
};

} // namespace

FileSystem &RealFileSystem()
{
    static WindowsFileSystem files;
    return files;
}

} // namespace byteloom
