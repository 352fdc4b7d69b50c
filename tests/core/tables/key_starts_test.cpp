#include "tables/key_starts.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

// Where keys start, one key after another, as a dump would walk them.
std::uint64_t SecondBytesOneByOne(std::uint64_t pairs)
{
    std::uint64_t second = 0;
    for (int i = 0; i < 64;) {
        const bool wide = ((pairs >> i) & 1) != 0;
        if (wide && i + 1 < 64)
            second |= std::uint64_t{1} << (i + 1);
        i += wide ? 2 : 1;
    }
    return second;
}

TEST(KeyStarts, SecondBytesAreThoseAKeyByKeyWalkFinds)
{
    std::mt19937_64 random(7);
    for (int round = 0; round < 200000; ++round) {
        // Dense, sparse and even words, so that runs of every length and parity occur.
        std::uint64_t pairs = random();
        if (round % 3 == 1)
            pairs |= random() | random();
        else if (round % 3 == 2)
            pairs &= random() & random();
        ASSERT_EQ(SecondBytesOf(pairs), SecondBytesOneByOne(pairs)) << std::hex << pairs;
    }
    EXPECT_EQ(SecondBytesOf(~std::uint64_t{0}), 0xAAAAAAAAAAAAAAAA);
    EXPECT_EQ(SecondBytesOf(0), 0u);
}

TEST(KeyStarts, PairBitsAgreeWithThePairsOfEveryKindOfRow)
{
    std::mt19937 random(11);
    for (int round = 0; round < 300; ++round) {
        // Rows of first bytes that are empty, whole (all 256 pairs are keys) or partly filled.
        PairKeys keys;
        std::vector<std::uint8_t> leads;
        for (int row = 0; row < 1 + static_cast<int>(random() % 12); ++row) {
            const auto b0 = static_cast<std::uint8_t>(random());
            leads.push_back(b0);
            const bool whole = random() % 2 == 0;
            for (int b1 = 0; b1 < 256; ++b1) {
                if (whole || random() % 3 == 0)
                    keys.Add(b0, static_cast<std::uint8_t>(b1));
            }
        }
        keys.Finish();
        std::vector<std::uint8_t> bytes(65);
        for (auto &byte : bytes)
            byte = random() % 2 ? leads[random() % leads.size()]
                                : static_cast<std::uint8_t>(random());
        const std::size_t count = round % 2 ? 64 : 1 + random() % 64;
        std::uint64_t expected = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (keys.Contains(bytes[i], bytes[i + 1]))
                expected |= std::uint64_t{1} << i;
        }
        ASSERT_EQ(keys.BitsOf(bytes.data(), count), expected) << "round " << round;
    }
}

} // namespace
} // namespace byteloom
