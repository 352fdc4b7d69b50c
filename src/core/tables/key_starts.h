#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace byteloom {

// Which pairs of bytes are two-byte keys of one subtable, for finding where a table's keys of one
// and two bytes start 64 positions at a time, without each step waiting for the width of the
// key before it (the walk a dump makes).
class PairKeys
{
public:
    // Marks the bytes b0 b1 as a two-byte key. Finish() must follow the last one.
    void Add(std::uint8_t b0, std::uint8_t b1);
    void Finish();

    [[nodiscard]] bool Any() const { return any_; }
    [[nodiscard]] bool Contains(std::uint8_t b0, std::uint8_t b1) const
    {
        return Bit(static_cast<unsigned>(b0) << 8 | b1) != 0;
    }

    // Bit i set when bytes[i], bytes[i + 1] are a two-byte key, for i < count <= 64; the byte
    // bytes[count] must be readable.
    [[nodiscard]] std::uint64_t BitsOf(const std::uint8_t *bytes, std::size_t count) const;

private:
    [[nodiscard]] std::uint64_t BitsOneByOne(const std::uint8_t *bytes, std::size_t count) const;
    [[nodiscard]] std::uint64_t BitsByRows(const std::uint8_t *bytes) const;

    [[nodiscard]] std::uint64_t Bit(unsigned pair) const
    {
        return (pairs_[pair >> 6] >> (pair & 63)) & 1;
    }

    std::array<std::uint64_t, 1024> pairs_{}; // a bit for each pair, set for a two-byte key
    std::array<int, 256> rowCounts_{};        // keys of each first byte
    bool any_ = false;
    // First bytes whose 256 pairs are all keys, and those of which only some are, as sets of
    // bytes a vector can test: bit h of low[l] is the byte h * 16 + l for h < 8, of high[l] for
    // h >= 8 (h - 8).
    struct ByteSet
    {
        alignas(16) std::array<std::uint8_t, 16> low{};
        alignas(16) std::array<std::uint8_t, 16> high{};
    };
    ByteSet wholeRows_;
    ByteSet partRows_;
    bool useRows_ = false;
};

// Of 64 positions whose bit in pairs is set where a two-byte key would start, position 0 being a
// key's start: the bits of the positions that are a key's second byte. Each maximal run of set
// bits begins at a key's start (the byte before it is a one-byte key or a second byte), so in a
// run from p the keys start at p, p + 2, ... and their second bytes are the positions an odd
// distance after p, up to one past the run. Adding a run's lowest bit carries through it and
// marks the runs that begin at even positions, and so the parity of each run.
[[nodiscard]] constexpr std::uint64_t SecondBytesOf(std::uint64_t pairs)
{
    constexpr std::uint64_t kEven = 0x5555555555555555;
    const std::uint64_t runStarts = pairs & ~(pairs << 1);
    const std::uint64_t evenRuns = (pairs + (runStarts & kEven)) ^ pairs;
    const std::uint64_t runs = pairs | (pairs << 1);
    return (evenRuns & ~kEven) | (runs & ~evenRuns & kEven);
}

} // namespace byteloom
