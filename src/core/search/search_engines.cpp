#include "search/search_engines.h"

#include "document/document.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <span>
#include <vector>

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

// The first q in [begin, end) with s[q] - s[q + 1] == difference as plain integers; s[end] must
// be readable. Blocks of 64 are first tested all at once, which compilers vectorize.
std::size_t
FindDifference(const std::uint8_t *s, std::size_t begin, std::size_t end, int difference)
{
    const auto target = static_cast<std::uint8_t>(difference);
    const bool rising = difference < 0;
    std::size_t q = begin;
    for (; q + 64 <= end; q += 64) {
        unsigned any = 0;
        for (std::size_t j = 0; j < 64; ++j) {
            const std::uint8_t a = s[q + j];
            const std::uint8_t b = s[q + j + 1];
            any |= static_cast<unsigned>(static_cast<std::uint8_t>(a - b) == target)
                   & static_cast<unsigned>((a < b) == rising);
        }
        if (any != 0)
            break;
    }
    for (; q < end; ++q) {
        if (static_cast<int>(s[q]) - static_cast<int>(s[q + 1]) == difference)
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

std::optional<std::int64_t> RelativeSearch(Document &document,
                                           const SearchPattern &pattern,
                                           std::int64_t firstCandidate,
                                           const ProgressCallback &progress)
{
    const std::size_t length = pattern.length();
    if (length == 0)
        return std::nullopt;
    const std::vector<bool> wildcard = pattern.WildcardPositions();
    // The pairs that are compared, with the difference each must show.
    std::vector<std::pair<std::size_t, int>> pairs;
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (!wildcard[i] && !wildcard[i + 1])
            pairs.emplace_back(i, static_cast<int>(pattern.bytes[i]) - pattern.bytes[i + 1]);
    }
    const FindInRun find = [&](std::span<const std::uint8_t> run, std::size_t from) {
        if (run.size() < length || from > run.size() - length)
            return kNotFound;
        if (pairs.empty())
            return from;
        const std::uint8_t *data = run.data();
        const std::size_t lastStart = run.size() - length;
        const auto [anchor, anchorDifference] = pairs.front();
        for (std::size_t start = from; start <= lastStart;) {
            const std::size_t found
                = FindDifference(data, start + anchor, lastStart + anchor + 1, anchorDifference);
            if (found == kNotFound)
                return kNotFound;
            const std::size_t candidate = found - anchor;
            const bool all = std::all_of(pairs.begin() + 1, pairs.end(), [&](const auto &pair) {
                return static_cast<int>(data[candidate + pair.first])
                           - data[candidate + pair.first + 1]
                       == pair.second;
            });
            if (all)
                return candidate;
            start = candidate + 1;
        }
        return kNotFound;
    };
    return ScanDocument(
        document, length, std::max<std::int64_t>(firstCandidate, 0), find, progress);
}

} // namespace byteloom
