#pragma once

#include <cstdint>
#include <span>

namespace byteloom {

// The CRC-32 of zip, PNG and the patch formats (polynomial 0xEDB88320), continued from crc
// (0 for the first block).
[[nodiscard]] std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

} // namespace byteloom
