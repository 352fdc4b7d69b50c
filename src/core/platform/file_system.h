#pragma once

#include <fcntl.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace byteloom {

// What Byteloom needs to know of a file, in the same terms on every system.
struct FileStatus
{
    enum class Kind : std::uint8_t { Regular, Folder, Other };
    Kind kind = Kind::Other;
    std::uint64_t device = 0; // the volume
    std::uint64_t number = 0; // the file on the volume
    std::int64_t size = 0;
    std::int64_t modified = 0;     // nanoseconds since 1970
    std::uint32_t permissions = 0; // the owner/group/other bits, 0444 for a read-only file
    std::uint64_t links = 1;       // names the file has
    bool ownedByUser = true;       // owner and group are the running user's
};

// Open's flags are the O_ flags of <fcntl.h>, which every system has, and these.
#ifdef _WIN32
inline constexpr int kOpenNoWait = 0; // nothing on Windows waits on open
#else
inline constexpr int kOpenNoWait = O_NONBLOCK;
#endif
// Access's modes: whether the user may read, or write.
inline constexpr int kMayRead = 4;
inline constexpr int kMayWrite = 2;

// Every call through which Byteloom reads or changes a file on disk, in the operating system's
// own terms (a descriptor, or -1 / a negative count with errno set). Tests put a file system in
// its place that fails at a chosen call, to show that each failure leaves the files as they
// were and reaches the user.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    virtual int Open(const std::filesystem::path &path, int flags, std::uint32_t permissions) = 0;
    virtual std::int64_t ReadAt(int fd, void *bytes, std::size_t count, std::int64_t offset) = 0;
    virtual std::int64_t WriteAt(int fd, const void *bytes, std::size_t count, std::int64_t offset)
        = 0;
    // Copies inside the system (a shared extent where the file system can), without the bytes
    // passing through the program.
    virtual std::int64_t
    CopyRange(int from, std::int64_t fromOffset, int to, std::int64_t toOffset, std::size_t count)
        = 0;
    virtual int Sync(int fd) = 0;
    virtual int Truncate(int fd, std::int64_t length) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const std::filesystem::path &from, const std::filesystem::path &to) = 0;
    virtual int Remove(const std::filesystem::path &path) = 0;
    // Makes a rename or removal in the folder last across a power loss.
    virtual int SyncFolder(const std::filesystem::path &folder) = 0;
    virtual int Stat(int fd, FileStatus &status) = 0;

    // What a path names, following symbolic links (stat).
    virtual int StatPath(const std::filesystem::path &path, FileStatus &status) = 0;
    // Where a symbolic link points; -1 with EINVAL when the path is not a link.
    virtual int LinkTarget(const std::filesystem::path &path, std::filesystem::path &target) = 0;
    // Whether the user may read or write the file (kMayRead, kMayWrite).
    virtual int Access(const std::filesystem::path &path, int mode) = 0;
    virtual int SetMode(const std::filesystem::path &path, std::uint32_t permissions) = 0;
    // Which file the path names: device, file number and the time it was made (0 where the
    // file system does not keep it), so that a file put in its place is never taken for it.
    virtual int Mark(const std::filesystem::path &path, std::array<std::uint64_t, 3> &mark) = 0;
    virtual int MakeFolder(const std::filesystem::path &path, std::uint32_t permissions) = 0;
    // Removes the folder and every file in it (by default, as the standard library does).
    virtual int RemoveFolder(const std::filesystem::path &path);
    // The folder for the program's own temporary files (page files); empty when there is none.
    // By default, the system's, as the standard library finds it.
    virtual std::filesystem::path TemporaryFolder();

    // A file beside the user's (a new file about to be renamed over the old one, a rollback file
    // not yet sealed) that a stop by Ctrl+C, a kill or a closed terminal removes; returns a
    // ticket for ForgetTemporary, or -1 when it cannot be watched.
    virtual int WatchTemporary(const std::filesystem::path &path) = 0;
    // The file is no longer temporary (renamed into place, or sealed): a stop leaves it.
    virtual void ForgetTemporary(int ticket) = 0;
};

// The operating system's own file system. The editor and the command-line tool choose it; the
// core below the session is always handed a file system.
[[nodiscard]] FileSystem &RealFileSystem();

// Whether the path names something: 1 when it does, 0 when it does not, -1 (errno set) when the
// system could not tell.
[[nodiscard]] int PathExists(FileSystem &files, const std::filesystem::path &path);
// The length of the file at path, or -1 when it cannot be told.
[[nodiscard]] std::int64_t FileLength(FileSystem &files, const std::filesystem::path &path);
// Makes the folder and any folder above it that is missing (mode 0755 less the umask); 0 when
// it is there at the end.
int MakeFolders(FileSystem &files, const std::filesystem::path &folder);
// Whether the two paths name one file (links followed); false when either cannot be looked at.
[[nodiscard]] bool SameFile(FileSystem &files,
                            const std::filesystem::path &first,
                            const std::filesystem::path &second);

// Removes the files the watch list names when SIGINT, SIGTERM or SIGHUP stops the process (on
// Windows: Ctrl+C, Ctrl+Break or a closed console); the editor and the command-line tool call it
// once at start.
void RemoveTemporaryFilesOnSignals();

} // namespace byteloom
