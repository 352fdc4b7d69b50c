#include "common/crc32.h"
#include "patch/bps_patch.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Create then apply gives back the target for thousands of random pairs: changes, insertions,
// deletions, growth, truncation, moved blocks and repeats within the target.
TEST(BpsPatch, EveryRandomPairComesBackWhole)
{
    std::mt19937 random(18);
    for (int round = 0; round < 2000; ++round) {
        Bytes source(random() % 4000);
        for (auto &byte : source)
            byte = static_cast<std::uint8_t>(random() % 3 == 0 ? random() : random() % 4);
        Bytes target = source;
        for (int edits = static_cast<int>(random() % 8); edits > 0; --edits) {
            const std::size_t at = target.empty() ? 0 : random() % target.size();
            const std::size_t length = 1 + random() % 300;
            switch (random() % 4) {
            case 0: // changed bytes
                for (std::size_t i = at; i < std::min(target.size(), at + length); ++i)
                    target[i] = static_cast<std::uint8_t>(random());
                break;
            case 1: // inserted bytes
                target.insert(target.begin() + static_cast<std::ptrdiff_t>(at),
                              length,
                              static_cast<std::uint8_t>(random()));
                break;
            case 2: // deleted bytes
                target.erase(
                    target.begin() + static_cast<std::ptrdiff_t>(at),
                    target.begin()
                        + static_cast<std::ptrdiff_t>(std::min(target.size(), at + length)));
                break;
            default: // a block of the target again elsewhere
                if (target.size() > length) {
                    const Bytes block(target.begin(),
                                      target.begin() + static_cast<std::ptrdiff_t>(length));
                    target.insert(target.begin() + static_cast<std::ptrdiff_t>(at),
                                  block.begin(),
                                  block.end());
                }
            }
        }
        const PatchResult made = CreateBpsPatch(source, target, round % 5 == 0 ? "meta" : "");
        ASSERT_TRUE(made.status.ok());
        const PatchResult applied = ApplyBpsPatch(source, made.bytes);
        ASSERT_TRUE(applied.status.ok()) << applied.status.message() << " round " << round;
        ASSERT_EQ(applied.bytes, target) << "round " << round;
    }
}

// A 64 KiB block moved inside a 1 MiB image costs a few hundred bytes, not 64 KiB.
TEST(BpsPatch, AMovedBlockCostsFewBytes)
{
    std::mt19937 random(64);
    Bytes source(1 << 20);
    for (auto &byte : source)
        byte = static_cast<std::uint8_t>(random());
    Bytes target = source;
    const auto block = target.begin() + 0x10000;
    const Bytes moved(block, block + 0x10000);
    target.erase(block, block + 0x10000);
    target.insert(target.begin() + 0xA0000, moved.begin(), moved.end());
    const PatchResult made = CreateBpsPatch(source, target);
    EXPECT_LT(made.bytes.size(), 500u);
    EXPECT_EQ(ApplyBpsPatch(source, made.bytes).bytes, target);
}

// A patch written by hand from the format's description: "BPS1", sizes 4 and 6, no metadata,
// SourceRead 2, TargetRead "XY", SourceCopy 2 from offset 2, then the three checksums.
TEST(BpsPatch, AHandBuiltPatchAndEveryRefusal)
{
    const Bytes source{'a', 'b', 'c', 'd'};
    Bytes patch{'B', 'P', 'S', '1', 0x84, 0x86, 0x80};
    patch.push_back(0x80 | ((2 - 1) << 2 | 0)); // SourceRead 2
    patch.push_back(0x80 | ((2 - 1) << 2 | 1)); // TargetRead 2
    patch.insert(patch.end(), {'X', 'Y'});
    patch.push_back(0x80 | ((2 - 1) << 2 | 2)); // SourceCopy 2
    patch.push_back(0x80 | (2 << 1));           // from +2
    const Bytes target{'a', 'b', 'X', 'Y', 'c', 'd'};
    const auto putCrc = [&](std::uint32_t crc) {
        for (int i = 0; i < 4; ++i)
            patch.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
    };
    putCrc(Crc32(source));
    putCrc(Crc32(target));
    putCrc(Crc32(patch));
    const PatchResult applied = ApplyBpsPatch(source, patch);
    ASSERT_TRUE(applied.status.ok()) << applied.status.message();
    EXPECT_EQ(applied.bytes, target);

    const PatchResult other = ApplyBpsPatch(Bytes{'a', 'b', 'c', 'e'}, patch);
    EXPECT_NE(other.status.message().find("This patch is for a different image"),
              std::string::npos);
    EXPECT_NE(other.status.message().find("CRC32"), std::string::npos);
    Bytes damaged = patch;
    damaged[9] ^= 1;
    EXPECT_NE(ApplyBpsPatch(source, damaged).status.message().find("its own checksum"),
              std::string::npos);
    for (std::size_t cut = 0; cut < patch.size(); ++cut)
        EXPECT_FALSE(
            ApplyBpsPatch(source,
                          Bytes(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(cut)))
                .status.ok());
}

// Each action with lengths and offsets at the limits of the numbers a patch can hold (valid
// checksums, so that only the action's own checks stand between it and the images) is refused as
// damaged: SourceRead and TargetRead past their ends, SourceCopy and TargetCopy moved by up to
// 2^63 - 1 either way, after an offset that has already moved.
TEST(BpsPatch, ActionsAtTheLimitsAreRefused)
{
    const auto number = [](Bytes &out, std::uint64_t value) {
        for (;;) {
            const std::uint8_t x = value & 0x7F;
            value >>= 7;
            if (value == 0) {
                out.push_back(0x80 | x);
                return;
            }
            out.push_back(x);
            --value;
        }
    };
    const Bytes source{'a', 'b', 'c', 'd'};
    const std::uint64_t huge = (std::uint64_t{1} << 63) - 1;
    const std::uint64_t lengths[] = {1, 4, 5, huge >> 2};
    for (const int action : {0, 1, 2, 3}) {
        for (const std::uint64_t length : lengths) {
            for (const std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{3}, huge}) {
                for (const bool backwards : {false, true}) {
                    Bytes patch{'B', 'P', 'S', '1'};
                    number(patch, source.size());
                    number(patch, 8);
                    number(patch, 0);
                    // A first copy moves the offset from 0, then the action under test.
                    patch.push_back(0x80 | (0 << 2) | 2);
                    patch.push_back(0x80 | (1 << 1));
                    number(patch, (length - 1) << 2 | static_cast<std::uint64_t>(action));
                    if (action >= 2)
                        number(patch, offset << 1 | (backwards ? 1 : 0));
                    const auto putCrc = [&](std::uint32_t crc) {
                        for (int i = 0; i < 4; ++i)
                            patch.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
                    };
                    putCrc(Crc32(source));
                    putCrc(0);
                    putCrc(Crc32(patch));
                    const PatchResult applied = ApplyBpsPatch(source, patch);
                    EXPECT_FALSE(applied.status.ok()) << action << " " << length << " " << offset;
                }
            }
        }
    }
}

} // namespace
} // namespace byteloom
