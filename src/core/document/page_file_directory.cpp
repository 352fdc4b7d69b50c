#include "document/page_file_directory.h"

#include <cstdio>
#include <random>
#include <system_error>

namespace byteloom {

PageFileDirectory::~PageFileDirectory()
{
    Remove();
}

Status PageFileDirectory::Ensure()
{
    if (!folder_.empty())
        return Status::Ok();
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error)
        return Status::Error("Unable to find the temporary folder for page files: "
                             + error.message());
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "byteloom-%08x%08x", random(), random());
        const std::filesystem::path candidate = base / name;
        if (std::filesystem::create_directory(candidate, error)) {
            // Page files hold the user's data: only the user may read them.
            std::filesystem::permissions(candidate,
                                         std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::replace,
                                         error);
            folder_ = candidate;
            return Status::Ok();
        }
        if (error)
            return Status::Error("Unable to create a folder for page files in " + base.string()
                                 + ": " + error.message());
    }
    return Status::Error("Unable to create a folder for page files in " + base.string());
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
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
    folder_.clear();
}

} // namespace byteloom
