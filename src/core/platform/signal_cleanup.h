#pragma once

#include <filesystem>

namespace byteloom {

// The operating system's side of FileSystem::WatchTemporary: a fixed table of paths that the
// handlers of SIGINT, SIGTERM and SIGHUP remove before the process ends as the signal says.
[[nodiscard]] int WatchOnSignals(const std::filesystem::path &path);
void ForgetOnSignals(int ticket);

} // namespace byteloom
