#include "document/page_file_directory.h"
#include "common/path_text.h"

#include "common/system_error_text.h"

#include <cerrno>
#include <cstdio>
#include <random>

namespace byteloom {

PageFileDirectory::~PageFileDirectory()
{
    Remove();
}

Status PageFileDirectory::Ensure()
{
    if (!folder_.empty())
        return Status::Ok();
    const std::filesystem::path base = files_.TemporaryFolder();
    if (base.empty())
        return Status::Error("Unable to find the temporary folder for page files.");
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "byteloom-%08x%08x", random(), random());
        const std::filesystem::path candidate = base / name;
        // Page files hold the user's data: only the user may read them.
        errno = 0;
        if (files_.MakeFolder(candidate, 0700) == 0) {
            folder_ = candidate;
            return Status::Ok();
        }
        if (errno != EEXIST)
            return Status::Error("Unable to create a folder for page files in " + TextOfPath(base)
                                 + ": " + LastSystemErrorText());
    }
    return Status::Error("Unable to create a folder for page files in " + TextOfPath(base));
}

std::filesystem::path PageFileDirectory::PathFor(std::int64_t page) const
{
    char name[32];
    std::snprintf(name, sizeof name, "bylm%04llx.tmp", static_cast<unsigned long long>(page));
    return folder_ / name;
}

void PageFileDirectory::Remove()
{
    if (folder_.empty())
        return;
    // A folder that cannot be removed holds only copies of changes that are being let go.
    (void)files_.RemoveFolder(folder_);
    folder_.clear();
}

} // namespace byteloom
