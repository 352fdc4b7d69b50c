#pragma once

#include "common/status.h"

#include <cstdint>
#include <span>
#include <vector>

namespace byteloom {

// IPS patches address bytes with 24-bit offsets: they reach images of 16 MiB.
inline constexpr std::int64_t kIpsLimit = std::int64_t{1} << 24;

struct PatchResult
{
    Status status = Status::Ok();
    std::vector<std::uint8_t> bytes; // the patch made, or the image patched
};

// Whether an IPS patch can turn an image of oldSize bytes into one of newSize: refused beyond
// 16 MiB.
[[nodiscard]] Status IpsPatchReaches(std::int64_t oldSize, std::int64_t newSize);

// The IPS patch that turns original into modified: a greedy scan's records (a gap of fewer
// unchanged bytes than a record's header is carried inside the record), run-length records for
// runs of 9 or more equal bytes, and the truncation size after "EOF" when modified is shorter.
// A record that would start at 454F46 (read as "EOF") starts a byte earlier. Images beyond
// 16 MiB are refused.
[[nodiscard]] PatchResult CreateIpsPatch(std::span<const std::uint8_t> original,
                                         std::span<const std::uint8_t> modified);

// The image with the IPS patch applied. The whole patch is read and checked first: a missing
// "PATCH" header, a patch that ends inside a record or without "EOF", bytes after "EOF" other
// than a truncation size, and a record past 16 MiB are refused, and then nothing is made.
[[nodiscard]] PatchResult ApplyIpsPatch(std::span<const std::uint8_t> image,
                                        std::span<const std::uint8_t> patch);

} // namespace byteloom
