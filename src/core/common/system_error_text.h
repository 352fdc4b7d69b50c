#pragma once

#include <string>

namespace byteloom {

// The operating system's description of the last failed call (errno), for messages.
[[nodiscard]] std::string LastSystemErrorText();

} // namespace byteloom
