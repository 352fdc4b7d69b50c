#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace byteloom {

// A path as the UTF-8 text that messages, settings, scripts and the command line carry, and
// back. On Windows, where names are UTF-16, the conversion is UTF-8's (the standard library's
// own reads each byte as one character, and throws on a name it cannot write back); elsewhere a
// name is its bytes, whatever they are.
[[nodiscard]] inline std::string TextOfPath(const std::filesystem::path &path)
{
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.native();
#endif
}

[[nodiscard]] inline std::filesystem::path PathOfText(std::string_view text)
{
#ifdef _WIN32
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
#else
    return std::filesystem::path(std::string(text));
#endif
}

} // namespace byteloom
