#pragma once

#include <filesystem>

namespace byteloom {

// A temporary file beside a user's file (a new file about to be renamed over the old one, a
// rollback file not yet sealed) that must not outlive a stop by Ctrl+C, a kill or a closed
// terminal. While the guard lives, SIGINT, SIGTERM and SIGHUP remove the file before the
// process ends as the signal says.
class TemporaryFileGuard
{
public:
    explicit TemporaryFileGuard(const std::filesystem::path &path);
    ~TemporaryFileGuard();
    TemporaryFileGuard(const TemporaryFileGuard &) = delete;
    TemporaryFileGuard &operator=(const TemporaryFileGuard &) = delete;

    // The file is no longer temporary (renamed into place, or sealed): a stop leaves it.
    void Release();

private:
    int slot_ = -1;
};

// Installs the handlers; the editor and the command-line tool call it once at start.
void RemoveTemporaryFilesOnSignals();

} // namespace byteloom
