#pragma once

#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>

namespace byteloom {

// The private folder that holds one document's page files, made on first use in the system's
// temporary folder and removed with everything in it when the document lets go of it. Each
// page's file is named after its page number ("bylm%04x.tmp"), so two documents or two editors
// never share page files.
class PageFileDirectory
{
public:
    explicit PageFileDirectory(FileSystem &files)
        : files_(files)
    {}
    ~PageFileDirectory();
    PageFileDirectory(const PageFileDirectory &) = delete;
    PageFileDirectory &operator=(const PageFileDirectory &) = delete;

    // Makes the folder if it does not exist yet.
    Status Ensure();
    // The page file's path; meaningful once Ensure() has succeeded.
    [[nodiscard]] std::filesystem::path PathFor(std::int64_t page) const;
    [[nodiscard]] const std::filesystem::path &Folder() const { return folder_; }
    // Removes the folder and every page file in it.
    void Remove();

private:
    FileSystem &files_;
    std::filesystem::path folder_;
};

} // namespace byteloom
