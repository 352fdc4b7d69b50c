#pragma once

#include "document/document.h"

#include <string>
#include <string_view>

namespace byteloom {

inline constexpr std::string_view kFileNotFoundMessage = "File not found";

// The message for a load that failed, naming the file by its title (name without folder).
[[nodiscard]] std::string DescribeLoadFailure(const LoadResult &result, std::string_view fileTitle);

} // namespace byteloom
