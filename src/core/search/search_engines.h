#pragma once

#include "common/progress.h"
#include "search/search_pattern.h"

#include <cstdint>
#include <optional>

namespace byteloom {

class Document;

// The first offset p >= firstCandidate at which the pattern's bytes stand in the document,
// wildcard positions matching any byte. A hit lies wholly inside the document; an empty
// pattern hits firstCandidate itself when it is inside. Every candidate is tried. Reads through
// the document's pages and holds no buffer of its own beyond the pattern's length; a store
// failure ends the search without a hit and stays in the document's TakeIoError(). progress
// hears of each page; stopping it ends the search without a hit.
[[nodiscard]] std::optional<std::int64_t> ValueSearch(Document &document,
                                                      const SearchPattern &pattern,
                                                      std::int64_t firstCandidate,
                                                      const ProgressCallback &progress = {});

// The first offset p >= firstCandidate at which the differences between successive bytes equal
// those of the pattern (plain integer differences, no wrap-around), so that text is found
// whatever encoding spaces its characters alike. A pair that has a wildcard on either side
// passes. A one-byte pattern hits firstCandidate; an empty one never hits.
[[nodiscard]] std::optional<std::int64_t> RelativeSearch(Document &document,
                                                         const SearchPattern &pattern,
                                                         std::int64_t firstCandidate,
                                                         const ProgressCallback &progress = {});

// The same over values of the query's width (16-bit ones in its byte order, at any byte offset):
// the first offset p >= firstCandidate from which value i - value i + 1 equals place i -
// place i + 1 for every pair without a wildcard. A pattern's bytes are places of width 1.
[[nodiscard]] std::optional<std::int64_t> RelativeSearch(Document &document,
                                                         const RelativeQuery &query,
                                                         std::int64_t firstCandidate,
                                                         const ProgressCallback &progress = {});
[[nodiscard]] RelativeQuery RelativeQueryOf(const SearchPattern &pattern);

} // namespace byteloom
