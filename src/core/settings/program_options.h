#pragma once

#include <optional>
#include <string>
#include <vector>

namespace byteloom {

// The program's own options, kept with the settings.
struct ProgramOptions
{
    bool allowPaging = true;        // page files larger than 8 MB
    bool showSplash = true;         // show the splash screen at start-up
    bool showDataInspector = false; // the Data Inspector beside the data window
    // Where the main window stood when it was last closed; width 0 when never.
    struct WindowPlace
    {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
        bool operator==(const WindowPlace &) const = default;
    } window;
    // The files opened most recently, newest first, at most kMaxRecentFiles.
    std::vector<std::string> recentFiles;

    static constexpr std::size_t kMaxRecentFiles = 4;
    // Puts path at the top of the recent files, once.
    void NoteRecentFile(const std::string &path);
};

// Where a window kept at `kept` opens on a screen's free area (in the same units): no larger
// than the area (nor smaller than the window's least size), moved in as little as its whole
// needs. Nothing when the kept place shows less than 100 by 100 of the window there: it was
// on another screen.
[[nodiscard]] std::optional<ProgramOptions::WindowPlace>
FitWindowPlace(const ProgramOptions::WindowPlace &kept,
               const ProgramOptions::WindowPlace &area,
               int leastWidth,
               int leastHeight);

} // namespace byteloom
