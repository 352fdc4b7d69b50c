#include "common/crc32.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace byteloom {
namespace {

// The checksum one bit at a time, as the polynomial defines it.
std::uint32_t BitByBit(const std::vector<std::uint8_t> &bytes)
{
    std::uint32_t crc = ~0u;
    for (const std::uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

// The known check value, and any bytes, whole or continued from any split, give the checksum
// the polynomial defines.
TEST(Crc32, MatchesTheBitwiseDefinitionWholeAndContinued)
{
    const std::string check = "123456789";
    EXPECT_EQ(Crc32(std::span(reinterpret_cast<const std::uint8_t *>(check.data()), check.size())),
              0xCBF43926u);
    EXPECT_EQ(Crc32({}), 0u);
    std::mt19937 random(32);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::uint8_t> bytes(random() % 70);
        for (auto &byte : bytes)
            byte = static_cast<std::uint8_t>(random());
        const std::size_t split = bytes.empty() ? 0 : random() % (bytes.size() + 1);
        const std::span all(bytes);
        ASSERT_EQ(Crc32(all), BitByBit(bytes));
        ASSERT_EQ(Crc32(all.subspan(split), Crc32(all.first(split))), BitByBit(bytes));
    }
}

} // namespace
} // namespace byteloom
