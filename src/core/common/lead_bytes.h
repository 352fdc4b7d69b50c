#pragma once

#include <array>

namespace byteloom {

// The bytes that start a two-byte character in a Windows code page (none for single-byte code
// pages, or where the system has no converter for it).
[[nodiscard]] std::array<bool, 256> LeadBytesOf(int codePage);

// Whether this system can convert text of the code page.
[[nodiscard]] bool CodePageAvailable(int codePage);

} // namespace byteloom
