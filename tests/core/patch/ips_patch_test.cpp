#include "patch/ips_patch.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The offsets at which the patch's records start, read as an applier would.
std::vector<std::uint32_t> RecordOffsets(const Bytes &patch)
{
    std::vector<std::uint32_t> offsets;
    for (std::size_t at = 5; at + 3 <= patch.size();) {
        const std::uint32_t offset
            = std::uint32_t{patch[at]} << 16 | std::uint32_t{patch[at + 1]} << 8 | patch[at + 2];
        if (offset == 0x454F46)
            break;
        offsets.push_back(offset);
        const std::size_t size = std::size_t{patch[at + 3]} << 8 | patch[at + 4];
        at += 5 + (size == 0 ? 3 : size);
    }
    return offsets;
}

// Create then apply gives back the modified image, for thousands of random pairs: changed bytes
// and runs, growth and truncation, equal images and empty ones.
TEST(IpsPatch, EveryRandomPairComesBackWhole)
{
    std::mt19937 random(18);
    for (int round = 0; round < 3000; ++round) {
        Bytes original(random() % 3000);
        for (auto &byte : original)
            byte = static_cast<std::uint8_t>(random() % 4 == 0 ? random() : 0);
        Bytes modified = original;
        const int kind = static_cast<int>(random() % 4);
        if (kind == 1)
            modified.resize(original.size() + random() % 500, static_cast<std::uint8_t>(random()));
        if (kind == 2)
            modified.resize(modified.empty() ? 0 : random() % modified.size());
        for (int edits = static_cast<int>(random() % 12); edits > 0 && !modified.empty(); --edits) {
            const std::size_t at = random() % modified.size();
            const std::size_t length
                = std::min<std::size_t>(1 + random() % 80, modified.size() - at);
            const bool run = random() % 2 == 0;
            const auto value = static_cast<std::uint8_t>(random());
            for (std::size_t i = 0; i < length; ++i)
                modified[at + i] = run ? value : static_cast<std::uint8_t>(random());
        }
        const PatchResult made = CreateIpsPatch(original, modified);
        ASSERT_TRUE(made.status.ok());
        const PatchResult applied = ApplyIpsPatch(original, made.bytes);
        ASSERT_TRUE(applied.status.ok()) << applied.status.message();
        ASSERT_EQ(applied.bytes, modified) << "round " << round;
    }

    // Runs of nine or more equal bytes become run-length records.
    const Bytes zeros(100, 0);
    Bytes filled = zeros;
    std::fill(filled.begin() + 10, filled.begin() + 60, 0xAA);
    const Bytes patch = CreateIpsPatch(zeros, filled).bytes;
    EXPECT_EQ(patch, (Bytes{'P', 'A', 'T', 'C', 'H', 0, 0, 10, 0, 0, 0, 50, 0xAA, 'E', 'O', 'F'}));
}

// A change at 454F46, which would read as "EOF", is written from the byte before.
TEST(IpsPatch, NoRecordStartsAtTheOffsetThatReadsAsEof)
{
    Bytes original(0x454F60, 0);
    for (const Bytes &change : {Bytes{1, 2, 3}, Bytes(20, 7)}) {
        Bytes modified = original;
        std::copy(change.begin(), change.end(), modified.begin() + 0x454F46);
        const PatchResult made = CreateIpsPatch(original, modified);
        ASSERT_TRUE(made.status.ok());
        for (const std::uint32_t offset : RecordOffsets(made.bytes))
            EXPECT_NE(offset, 0x454F46u);
        EXPECT_EQ(ApplyIpsPatch(original, made.bytes).bytes, modified);
    }
}

TEST(IpsPatch, EveryFaultIsFoundBeforeAnythingIsMade)
{
    const Bytes image(64, 1);
    Bytes modified = image;
    modified[10] = 9;
    const Bytes patch = CreateIpsPatch(image, modified).bytes;
    for (std::size_t cut = 0; cut + 1 < patch.size(); ++cut) {
        const PatchResult cutShort = ApplyIpsPatch(
            image, Bytes(patch.begin(), patch.begin() + static_cast<std::ptrdiff_t>(cut)));
        EXPECT_FALSE(cutShort.status.ok()) << cut;
        EXPECT_TRUE(cutShort.bytes.empty());
    }
    Bytes trailing = patch;
    trailing.push_back(1);
    EXPECT_FALSE(ApplyIpsPatch(image, trailing).status.ok());
    // A record at FFFFFF of 2 bytes reaches past 16 MiB.
    const Bytes past{'P', 'A', 'T', 'C', 'H', 0xFF, 0xFF, 0xFF, 0, 2, 1, 2, 'E', 'O', 'F'};
    EXPECT_EQ(ApplyIpsPatch(image, past).status.message(), "An IPS record reaches past 16 MiB.");
    const Bytes large(static_cast<std::size_t>(kIpsLimit) + 1, 0);
    EXPECT_FALSE(CreateIpsPatch(image, large).status.ok());
}

} // namespace
} // namespace byteloom
