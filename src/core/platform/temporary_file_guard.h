#pragma once

#include "platform/file_system.h"

#include <filesystem>
#include <utility>

namespace byteloom {

// While it lives, a stop by a signal removes the file (see FileSystem::WatchTemporary).
class TemporaryFileGuard
{
public:
    TemporaryFileGuard(FileSystem &files, const std::filesystem::path &path)
        : files_(files)
        , ticket_(files.WatchTemporary(path))
    {}
    ~TemporaryFileGuard() { Release(); }
    TemporaryFileGuard(const TemporaryFileGuard &) = delete;
    TemporaryFileGuard &operator=(const TemporaryFileGuard &) = delete;

    // The file is no longer temporary: a stop leaves it.
    void Release()
    {
        if (ticket_ >= 0)
            files_.ForgetTemporary(std::exchange(ticket_, -1));
    }

private:
    FileSystem &files_;
    int ticket_;
};

} // namespace byteloom
