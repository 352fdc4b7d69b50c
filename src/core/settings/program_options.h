#pragma once

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

} // namespace byteloom
