#include "platform/file_system.h"

#include <cerrno>
#include <system_error>

namespace byteloom {

int FileSystem::RemoveFolder(const std::filesystem::path &path)
{
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error) {
        errno = error.value();
        return -1;
    }
    return 0;
}

std::filesystem::path FileSystem::TemporaryFolder()
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path{} : folder;
}

int PathExists(FileSystem &files, const std::filesystem::path &path)
{
    FileStatus status;
    errno = 0;
    if (files.StatPath(path, status) == 0)
        return 1;
    return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
}

std::int64_t FileLength(FileSystem &files, const std::filesystem::path &path)
{
    FileStatus status;
    return files.StatPath(path, status) == 0 ? static_cast<std::int64_t>(status.size) : -1;
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
    FileStatus one;
    FileStatus other;
    return files.StatPath(first, one) == 0 && files.StatPath(second, other) == 0
           && one.device == other.device && one.number == other.number;
}

} // namespace byteloom
