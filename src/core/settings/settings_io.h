#pragma once

#include <string>
#include <vector>

namespace byteloom {

class CodePageList;
class SettingsStore;
struct DisplaySettings;
struct ProgramOptions;

// The records the settings file keeps; the session owns them.
struct SettingsRecords
{
    DisplaySettings &display;
    ProgramOptions &options;
    CodePageList &codePages;
};

inline constexpr const char *kMainSettingsKey = "SOFTWARE\\Byteloom";
inline constexpr const char *kCodePagesSettingsKey = "SOFTWARE\\Byteloom\\CodePages";
inline constexpr const char *kRecentFilesSettingsKey = "SOFTWARE\\Byteloom\\RecentFiles";

// Reads the display settings and the program's options; a missing value, or one of the wrong
// type, leaves its field as it was.
void LoadSettings(const SettingsStore &store, const SettingsRecords &records);

// Writes them back; returns the message of each value that could not be written, in order.
[[nodiscard]] std::vector<std::string> SaveSettings(SettingsStore &store,
                                                    const SettingsRecords &records);

} // namespace byteloom
