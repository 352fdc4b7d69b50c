#include "settings/program_options.h"

#include <algorithm>

namespace byteloom {

void ProgramOptions::NoteRecentFile(const std::string &path)
{
    recentFiles.erase(std::remove(recentFiles.begin(), recentFiles.end(), path), recentFiles.end());
    recentFiles.insert(recentFiles.begin(), path);
    if (recentFiles.size() > kMaxRecentFiles)
        recentFiles.resize(kMaxRecentFiles);
}

std::optional<ProgramOptions::WindowPlace> FitWindowPlace(const ProgramOptions::WindowPlace &kept,
                                                          const ProgramOptions::WindowPlace &area,
                                                          int leastWidth,
                                                          int leastHeight)
{
    const auto overlap = [](int start, int length, int areaStart, int areaLength) {
        return std::min(start + length, areaStart + areaLength) - std::max(start, areaStart);
    };
    if (overlap(kept.left, kept.width, area.left, area.width) < 100
        || overlap(kept.top, kept.height, area.top, area.height) < 100)
        return std::nullopt;
    ProgramOptions::WindowPlace fitted;
    fitted.width = std::max(std::min(kept.width, area.width), leastWidth);
    fitted.height = std::max(std::min(kept.height, area.height), leastHeight);
    // Moved in from the right and bottom, then from the left and top, which win when the window
    // cannot be smaller than the area.
    fitted.left = std::max(std::min(kept.left, area.left + area.width - fitted.width), area.left);
    fitted.top = std::max(std::min(kept.top, area.top + area.height - fitted.height), area.top);
    return fitted;
}

} // namespace byteloom
