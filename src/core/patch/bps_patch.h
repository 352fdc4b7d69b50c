#pragma once

#include "common/progress.h"
#include "patch/ips_patch.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace byteloom {

// The BPS patch that turns source into target: SourceRead and TargetRead for bytes in place,
// SourceCopy and TargetCopy for runs found elsewhere (through a hash of 8-byte blocks), so that
// text moved inside an image costs a few bytes; the three CRC-32s of source, target and patch.
// progress hears of the target's bytes done; stopping it ends the work with Cancelled.
[[nodiscard]] PatchResult CreateBpsPatch(std::span<const std::uint8_t> source,
                                         std::span<const std::uint8_t> target,
                                         std::string_view metadata = {},
                                         const ProgressCallback &progress = {});

// The target made from source by the BPS patch. Everything is checked before the target is
// given: the patch's own CRC-32, the source's size and CRC-32 ("this patch is for a different
// image", with both checksums), every action's bounds, and the target's size and CRC-32.
[[nodiscard]] PatchResult ApplyBpsPatch(std::span<const std::uint8_t> source,
                                        std::span<const std::uint8_t> patch,
                                        const ProgressCallback &progress = {});

} // namespace byteloom
