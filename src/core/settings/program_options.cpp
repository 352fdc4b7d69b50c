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

} // namespace byteloom
