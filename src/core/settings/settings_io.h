#pragma once

#include <string>
#include <vector>

namespace byteloom {

class Session;
class SettingsStore;

inline constexpr const char *kMainSettingsKey = "SOFTWARE\\Byteloom";
inline constexpr const char *kCodePagesSettingsKey = "SOFTWARE\\Byteloom\\CodePages";
inline constexpr const char *kRecentFilesSettingsKey = "SOFTWARE\\Byteloom\\RecentFiles";

// Reads the display settings and the program's options; a missing value, or one of the wrong
// type, leaves its field as it was.
void LoadSettings(const SettingsStore &store, Session &session);

// Writes them back; returns the message of each value that could not be written, in order.
[[nodiscard]] std::vector<std::string> SaveSettings(SettingsStore &store, Session &session);

} // namespace byteloom
