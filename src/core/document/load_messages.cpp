#include "document/load_messages.h"

namespace byteloom {

std::string DescribeLoadFailure(const LoadResult &result, std::string_view fileTitle)
{
    switch (result.status) {
    case LoadStatus::CannotAllocate:
        return "Unable to allocate " + std::to_string(result.size) + " bytes RAM for "
               + std::string(fileTitle);
    case LoadStatus::TooLarge:
        return std::string(fileTitle)
               + " is 2 GB or larger; Byteloom opens such a file in pages. Turn on paging in "
                 "Options > Preferences and open it again.";
    case LoadStatus::Loaded:
    case LoadStatus::Cancelled:
        return {};
    case LoadStatus::CannotOpen:
        break;
    }
    return std::string(kFileNotFoundMessage);
}

} // namespace byteloom
