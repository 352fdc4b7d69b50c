#pragma once

#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace byteloom {

// Writes a whole file so that a failure cannot damage the old one: the bytes go to a new file
// beside it, which is flushed to the disk and then renamed over the old file, keeping the old
// file's permissions. On failure the new file is removed and the old one is as it was.
Status WriteFileSafely(const std::filesystem::path &path, std::span<const std::uint8_t> bytes);

} // namespace byteloom
