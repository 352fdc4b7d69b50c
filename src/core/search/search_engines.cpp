#include "search/search_engines.h"

#include "document/document.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <span>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace byteloom {

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// A matcher finds, in a run of bytes, the first start i >= from whose whole match lies in the
// run; the scan below feeds it the pages of the document.
using FindInRun = std::function<std::size_t(std::span<const std::uint8_t> run, std::size_t from)>;

const std::uint8_t *FindBytes(const std::uint8_t *haystack,
                              std::size_t haystackLength,
                              const std::uint8_t *needle,
                              std::size_t needleLength)
{
#if defined(__GLIBC__) || defined(__APPLE__) || defined(__FreeBSD__)
    return static_cast<const std::uint8_t *>(
        memmem(haystack, haystackLength, needle, needleLength));
#else
    const auto *end = haystack + haystackLength;
    const auto *found = std::search(
        haystack, end, std::boyer_moore_horspool_searcher(needle, needle + needleLength));
    return found == end ? nullptr : found;
#endif
}

// Tries every candidate from first on: each page through the matcher, and the candidates whose
// match would cross into the next page through a copy of the bytes around the seam, so that
// every page is read once.
std::optional<std::int64_t> ScanDocument(Document &document,
                                         std::size_t length,
                                         std::int64_t first,
                                         const FindInRun &find,
                                         const ProgressCallback &progress)
{
    const std::int64_t size = document.Size();
    const auto span = static_cast<std::int64_t>(length);
    std::vector<std::uint8_t> seam;
    for (std::int64_t p = std::max<std::int64_t>(first, 0); p + span <= size;) {
        const std::span<const std::uint8_t> page = document.SpanAt(p);
        if (page.empty())
            return std::nullopt; // the store failed; it keeps the reason
        const std::int64_t pageEnd = p + static_cast<std::int64_t>(page.size());
        if (page.size() >= length) {
            const std::size_t found = find(page, 0);
            if (found != kNotFound)
                return p + static_cast<std::int64_t>(found);
        }
        const std::int64_t seamStart = std::max(p, pageEnd - span + 1);
        if (pageEnd < size && seamStart < pageEnd) {
            seam.assign(page.begin() + (seamStart - p), page.end());
            const std::int64_t headLength = std::min(span - 1, size - pageEnd);
            const std::span<const std::uint8_t> next = document.SpanAt(pageEnd);
            if (next.size() < static_cast<std::size_t>(headLength))
                return std::nullopt;
            seam.insert(seam.end(), next.begin(), next.begin() + headLength);
            const std::size_t found = find(seam, 0);
            if (found != kNotFound)
                return seamStart + static_cast<std::int64_t>(found);
        }
        p = pageEnd;
        if (progress && !progress(p, size))
            return std::nullopt;
    }
    return std::nullopt;
}

// The longest run of pattern positions that are not wildcards: the part searched for first.
std::pair<std::size_t, std::size_t> LongestLiteralRun(const std::vector<bool> &wildcard)
{
    std::size_t bestStart = 0;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < wildcard.size();) {
        if (wildcard[i]) {
            ++i;
            continue;
        }
        std::size_t end = i;
        while (end < wildcard.size() && !wildcard[end])
            ++end;
        if (end - i > bestLength) {
            bestStart = i;
            bestLength = end - i;
        }
        i = end;
    }
    return {bestStart, bestLength};
}

// A pair of the relative search: the pattern's bytes at offset and offset + 1 must differ by
// difference as plain integers.
struct DifferencePair
{
    std::size_t offset;
    int difference;
};

// The test of a pair over a vector of candidates at once: the bytes' difference must equal the
// pair's modulo 256, and the two bytes must be ordered as its sign says (b <= a for a difference
// of 0 or more, a <= b below 0; a saturating subtraction is zero exactly where the first is not
// above the second), which is what makes the modular difference the plain one.
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx2"))) inline __m256i PairMatchesAvx2(const std::uint8_t *at,
                                                               int difference)
{
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 1));
    const __m256i equal
        = _mm256_cmpeq_epi8(_mm256_sub_epi8(a, b), _mm256_set1_epi8(static_cast<char>(difference)));
    const __m256i ordered = _mm256_cmpeq_epi8(
        difference < 0 ? _mm256_subs_epu8(a, b) : _mm256_subs_epu8(b, a), _mm256_setzero_si256());
    return _mm256_and_si256(equal, ordered);
}

// The first candidate c in [q, end) that both pairs may match, 32 candidates a step; end when
// fewer than 32 are left to test (the caller tests them one by one).
__attribute__((target("avx2"))) std::size_t FindPairCandidateAvx2(const std::uint8_t *s,
                                                                  std::size_t q,
                                                                  std::size_t end,
                                                                  DifferencePair first,
                                                                  DifferencePair second)
{
    for (; q + 32 <= end; q += 32) {
        const auto mask = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_and_si256(PairMatchesAvx2(s + q + first.offset, first.difference),
                             PairMatchesAvx2(s + q + second.offset, second.difference))));
        if (mask != 0)
            return q + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return q;
}
#endif

#if defined(__SSE2__)
inline __m128i PairMatchesSse2(const std::uint8_t *at, int difference)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at + 1));
    const __m128i equal
        = _mm_cmpeq_epi8(_mm_sub_epi8(a, b), _mm_set1_epi8(static_cast<char>(difference)));
    const __m128i ordered = _mm_cmpeq_epi8(
        difference < 0 ? _mm_subs_epu8(a, b) : _mm_subs_epu8(b, a), _mm_setzero_si128());
    return _mm_and_si128(equal, ordered);
}

std::size_t FindPairCandidateSse2(const std::uint8_t *s,
                                  std::size_t q,
                                  std::size_t end,
                                  DifferencePair first,
                                  DifferencePair second)
{
    for (; q + 16 <= end; q += 16) {
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(PairMatchesSse2(s + q + first.offset, first.difference),
                          PairMatchesSse2(s + q + second.offset, second.difference))));
        if (mask != 0)
            return q + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return q;
}
#endif

bool PairMatches(const std::uint8_t *s, std::size_t candidate, DifferencePair pair)
{
    return static_cast<int>(s[candidate + pair.offset]) - s[candidate + pair.offset + 1]
           == pair.difference;
}

// The first candidate c in [begin, end) at which both pairs match; every byte they read must be
// readable. Candidates are tested 32 or 16 at a time with the widest vectors the processor has,
// then one by one.
std::size_t FindPairCandidate(const std::uint8_t *s,
                              std::size_t begin,
                              std::size_t end,
                              DifferencePair first,
                              DifferencePair second)
{
    std::size_t q = begin;
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        q = FindPairCandidateAvx2(s, q, end, first, second);
        if (q + 32 <= end)
            return q;
    }
#endif
#if defined(__SSE2__)
    q = FindPairCandidateSse2(s, q, end, first, second);
    if (q + 16 <= end)
        return q;
#endif
    for (; q < end; ++q) {
        if (PairMatches(s, q, first) && PairMatches(s, q, second))
            return q;
    }
    return kNotFound;
}

// The 16-bit value whose bytes begin at at, in the byte order given.
std::uint32_t UnitAt(const std::uint8_t *at, bool bigEndian)
{
    return bigEndian ? std::uint32_t{at[0]} << 8 | at[1] : std::uint32_t{at[1]} << 8 | at[0];
}

// A pair of 16-bit values: the units at unit index offset and offset + 1 of the candidate must
// differ by the pair's difference as plain integers.
bool WidePairMatches(const std::uint8_t *s, std::size_t candidate, DifferencePair pair, bool big)
{
    const std::uint8_t *at = s + candidate + 2 * pair.offset;
    return static_cast<int>(UnitAt(at, big)) - static_cast<int>(UnitAt(at + 2, big))
           == pair.difference;
}

#if defined(__x86_64__) || defined(__i386__)
// Sixteen candidates two bytes apart: each lane holds the unit of one.
__attribute__((target("avx2"))) inline __m256i
WidePairMatchesAvx2(const std::uint8_t *at, int difference, bool big)
{
    __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at));
    __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + 2));
    if (big) {
        // Each unit's two bytes trade places: byte 1 then byte 0, 3 then 2, and so on.
        const __m256i swap = _mm256_set_epi64x(
            0x0E0F0C0D0A0B0809, 0x0607040502030001, 0x0E0F0C0D0A0B0809, 0x0607040502030001);
        a = _mm256_shuffle_epi8(a, swap);
        b = _mm256_shuffle_epi8(b, swap);
    }
    const __m256i equal = _mm256_cmpeq_epi16(_mm256_sub_epi16(a, b),
                                             _mm256_set1_epi16(static_cast<short>(difference)));
    const __m256i ordered = _mm256_cmpeq_epi16(
        difference < 0 ? _mm256_subs_epu16(a, b) : _mm256_subs_epu16(b, a), _mm256_setzero_si256());
    return _mm256_and_si256(equal, ordered);
}

// The first candidate in [q, end) the pair may match, 32 a step (the even ones in one pass, the
// odd ones in another); end when fewer than 32 are left. One pair of 16-bit values is rare enough
// in any data to be the whole filter.
__attribute__((target("avx2"))) std::size_t FindWidePairCandidateAvx2(
    const std::uint8_t *s, std::size_t q, std::size_t end, DifferencePair pair, bool big)
{
    const std::size_t at = 2 * pair.offset;
    for (; q + 32 <= end; q += 32) {
        const auto even = static_cast<unsigned>(
            _mm256_movemask_epi8(WidePairMatchesAvx2(s + q + at, pair.difference, big)));
        const auto odd = static_cast<unsigned>(
            _mm256_movemask_epi8(WidePairMatchesAvx2(s + q + 1 + at, pair.difference, big)));
        const unsigned mask = (even & 0x55555555u) | (odd & 0x55555555u) << 1;
        if (mask != 0)
            return q + static_cast<std::size_t>(__builtin_ctz(mask));
    }
    return q;
}
#endif

std::size_t FindWidePairCandidate(
    const std::uint8_t *s, std::size_t begin, std::size_t end, DifferencePair pair, bool big)
{
    std::size_t q = begin;
#if defined(__x86_64__) || defined(__i386__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        q = FindWidePairCandidateAvx2(s, q, end, pair, big);
        if (q + 32 <= end)
            return q;
    }
#endif
    for (; q < end; ++q) {
        if (WidePairMatches(s, q, pair, big))
            return q;
    }
    return kNotFound;
}

} // namespace

std::optional<std::int64_t> ValueSearch(Document &document,
                                        const SearchPattern &pattern,
                                        std::int64_t firstCandidate,
                                        const ProgressCallback &progress)
{
    const std::size_t length = pattern.length();
    const std::int64_t first = std::max<std::int64_t>(firstCandidate, 0);
    if (length == 0)
        return first < document.Size() ? std::optional(first) : std::nullopt;

    const std::vector<bool> wildcard = pattern.WildcardPositions();
    // Plain names, not a structured binding: the lambda below captures them.
    const auto longest = LongestLiteralRun(wildcard);
    const std::size_t anchor = longest.first;
    const std::size_t anchorLength = longest.second;
    const std::uint8_t *bytes = pattern.bytes.data();
    const auto matchesAt = [&](const std::uint8_t *at) {
        for (std::size_t i = 0; i < length; ++i) {
            if (!wildcard[i] && at[i] != bytes[i])
                return false;
        }
        return true;
    };
    const FindInRun find = [&](std::span<const std::uint8_t> run, std::size_t from) {
        if (run.size() < length || from > run.size() - length)
            return kNotFound;
        if (anchorLength == 0)
            return from; // nothing but wildcards
        const std::uint8_t *data = run.data();
        const std::size_t lastStart = run.size() - length;
        for (std::size_t start = from; start <= lastStart;) {
            // Where the anchor may stand for a start in [start, lastStart].
            const std::uint8_t *found = FindBytes(data + start + anchor,
                                                  lastStart - start + anchorLength,
                                                  bytes + anchor,
                                                  anchorLength);
            if (!found)
                return kNotFound;
            const auto candidate = static_cast<std::size_t>(found - data) - anchor;
            if (matchesAt(data + candidate))
                return candidate;
            start = candidate + 1;
        }
        return kNotFound;
    };
    return ScanDocument(document, length, first, find, progress);
}

RelativeQuery RelativeQueryOf(const SearchPattern &pattern)
{
    RelativeQuery query;
    const std::vector<bool> wildcard = pattern.WildcardPositions();
    for (std::size_t i = 0; i < pattern.length(); ++i)
        query.places.push_back(wildcard[i] ? std::nullopt
                                           : std::optional<std::int32_t>(pattern.bytes[i]));
    return query;
}

std::optional<std::int64_t> RelativeSearch(Document &document,
                                           const SearchPattern &pattern,
                                           std::int64_t firstCandidate,
                                           const ProgressCallback &progress)
{
    return RelativeSearch(document, RelativeQueryOf(pattern), firstCandidate, progress);
}

std::optional<std::int64_t> RelativeSearch(Document &document,
                                           const RelativeQuery &query,
                                           std::int64_t firstCandidate,
                                           const ProgressCallback &progress)
{
    const std::size_t count = query.places.size();
    if (count == 0)
        return std::nullopt;
    const bool wide = query.width == 2;
    const bool big = query.bigEndian;
    const std::int64_t largest = wide ? 0xFFFF : 0xFF;
    // The pairs that are compared, with the difference each must show.
    std::vector<DifferencePair> pairs;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const auto &place = query.places[i];
        const auto &next = query.places[i + 1];
        if (!place || !next)
            continue;
        const std::int64_t difference = std::int64_t{*place} - *next;
        // No two values of the width lie further apart.
        if (difference > largest || difference < -largest)
            return std::nullopt;
        pairs.push_back({i, static_cast<int>(difference)});
    }
    const std::size_t length = query.ByteLength();
    const FindInRun find = [&](std::span<const std::uint8_t> run, std::size_t from) {
        if (run.size() < length || from > run.size() - length)
            return kNotFound;
        if (pairs.empty())
            return from;
        const std::uint8_t *data = run.data();
        const std::size_t lastStart = run.size() - length;
        const auto matches = [&](std::size_t candidate, const DifferencePair &pair) {
            return wide ? WidePairMatches(data, candidate, pair, big)
                        : PairMatches(data, candidate, pair);
        };
        // Bytes are filtered by two pairs together, 16-bit values by one: a candidate that
        // passes is rare in any data. Runs of equal values are common, so a pair that differs
        // filters 16-bit values when there is one.
        const DifferencePair first = pairs.front();
        const DifferencePair second = pairs.size() > 1 ? pairs[1] : pairs.front();
        const auto differing = std::find_if(
            pairs.begin(), pairs.end(), [](const DifferencePair &pair) { return pair.difference; });
        const DifferencePair filter = differing != pairs.end() ? *differing : first;
        for (std::size_t start = from; start <= lastStart;) {
            const std::size_t candidate
                = wide ? FindWidePairCandidate(data, start, lastStart + 1, filter, big)
                       : FindPairCandidate(data, start, lastStart + 1, first, second);
            if (candidate == kNotFound)
                return kNotFound;
            if (std::all_of(pairs.begin(), pairs.end(), [&](const DifferencePair &pair) {
                    return matches(candidate, pair);
                }))
                return candidate;
            start = candidate + 1;
        }
        return kNotFound;
    };
    return ScanDocument(
        document, length, std::max<std::int64_t>(firstCandidate, 0), find, progress);
}

} // namespace byteloom
