#pragma once

#include <filesystem>

namespace byteloom {

// The operating system's side of FileSystem::WatchTemporary: a fixed table of paths that the
// handlers of SIGINT, SIGTERM and SIGHUP remove before the process ends as the signal says.
[[nodiscard]] int WatchOnSignals(const std::filesystem::path &path);
void ForgetOnSignals(int ticket);
// What the handlers do before the process ends: removes every file the table names (on Windows,
// a file still open goes when the process ends) and says how many. Only calls that are safe in
// a signal handler.
int RemoveWatchedFiles();

} // namespace byteloom
