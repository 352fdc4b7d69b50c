#include "tables/key_starts.h"

#include <array>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace byteloom {

namespace {

#if defined(__x86_64__) || defined(__i386__)
// The members of two byte sets among 32 bytes, one bit a byte: a byte is looked up by its low
// four bits in a row of eight high-half bits, picked by its high four bits.
struct TwoMasks
{
    std::uint32_t whole;
    std::uint32_t part;
};

__attribute__((target("avx2"))) inline std::uint32_t MembersAvx2(
    __m256i low, __m256i upper, __m256i bit, const std::uint8_t *lows, const std::uint8_t *highs)
{
    const __m128i lowRow = _mm_load_si128(reinterpret_cast<const __m128i *>(lows));
    const __m128i highRow = _mm_load_si128(reinterpret_cast<const __m128i *>(highs));
    const __m256i rows
        = _mm256_blendv_epi8(_mm256_shuffle_epi8(_mm256_broadcastsi128_si256(lowRow), low),
                             _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(highRow), low),
                             upper);
    return static_cast<std::uint32_t>(
        _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(rows, bit), bit)));
}

__attribute__((target("avx2"))) TwoMasks
RowMembersAvx2(const std::uint8_t *bytes, const std::array<const std::uint8_t *, 4> &sets)
{
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(bytes));
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i low = _mm256_and_si256(x, nibble);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
    const __m256i upper = _mm256_cmpgt_epi8(high, _mm256_set1_epi8(7));
    // Bytes 1, 2, 4, ... 128, one for each high half 0 to 7 (and again for 8 to 15).
    const __m256i bit
        = _mm256_shuffle_epi8(_mm256_set1_epi64x(static_cast<long long>(0x8040201008040201)), high);
    return {MembersAvx2(low, upper, bit, sets[0], sets[1]),
            MembersAvx2(low, upper, bit, sets[2], sets[3])};
}

const bool kAvx2 = __builtin_cpu_supports("avx2");
#endif

} // namespace

void PairKeys::Add(std::uint8_t b0, std::uint8_t b1)
{
    const unsigned pair = static_cast<unsigned>(b0) << 8 | b1;
    rowCounts_[b0] += Bit(pair) == 0 ? 1 : 0;
    pairs_[pair >> 6] |= std::uint64_t{1} << (pair & 63);
    any_ = true;
}

void PairKeys::Finish()
{
    wholeRows_ = {};
    partRows_ = {};
    for (int b0 = 0; b0 < 256; ++b0) {
        const int keys = rowCounts_[static_cast<std::size_t>(b0)];
        if (keys == 0)
            continue;
        ByteSet &set = keys == 256 ? wholeRows_ : partRows_;
        auto &row = b0 >> 4 < 8 ? set.low : set.high;
        row[static_cast<std::size_t>(b0 & 0xF)] |= static_cast<std::uint8_t>(1 << ((b0 >> 4) & 7));
    }
#if defined(__x86_64__) || defined(__i386__)
    useRows_ = kAvx2;
#endif
}

std::uint64_t PairKeys::BitsOf(const std::uint8_t *bytes, std::size_t count) const
{
    if (!any_)
        return 0;
    if (useRows_ && count == 64)
        return BitsByRows(bytes);
    return BitsOneByOne(bytes, count);
}

std::uint64_t PairKeys::BitsOneByOne(const std::uint8_t *bytes, std::size_t count) const
{
    // Taken from the last position down, so that each bit goes in with a fixed shift.
    std::uint64_t bits = 0;
    for (std::size_t i = count; i-- > 0;)
        bits = bits << 1 | Bit(static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1]);
    return bits;
}

// Most positions of a dump are settled by their first byte alone: it starts no two-byte key, or
// every byte after it makes one. Only first bytes of rows partly filled are looked up as pairs.
std::uint64_t PairKeys::BitsByRows(const std::uint8_t *bytes) const
{
#if defined(__x86_64__) || defined(__i386__)
    const std::array<const std::uint8_t *, 4> sets = {
        wholeRows_.low.data(), wholeRows_.high.data(), partRows_.low.data(), partRows_.high.data()};
    const TwoMasks first = RowMembersAvx2(bytes, sets);
    const TwoMasks second = RowMembersAvx2(bytes + 32, sets);
    std::uint64_t bits = first.whole | std::uint64_t{second.whole} << 32;
    std::uint64_t part = first.part | std::uint64_t{second.part} << 32;
    while (part != 0) {
        const auto i = static_cast<std::size_t>(std::countr_zero(part));
        part &= part - 1;
        bits |= Bit(static_cast<unsigned>(bytes[i]) << 8 | bytes[i + 1]) << i;
    }
    return bits;
#else
    return BitsOneByOne(bytes, 64);
#endif
}

} // namespace byteloom
