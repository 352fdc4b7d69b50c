#pragma once

#include "search/search_pattern.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class Document;

// The table a relative hit gives.
struct HitTable
{
    std::string text; // the table file's lines ("2000=a"), UTF-8
    int entries = 0;
    std::vector<std::string> leftOut; // a line for each character that has no entry, and why
};

// Where the hit's first placed value lies fixes the value of every character of the order: A to
// Z and a to z by their codes when sequence is empty, else each character of the custom sequence
// by its place. Each becomes an entry keyed by its value's bytes as they stand in the file (the
// hit's width and byte order). A value outside the width, or a two-byte key whose first byte is
// 00 (a table reads it as a one-byte key), is left out and said.
[[nodiscard]] HitTable MakeTableFromHit(Document &document,
                                        const RelativeQuery &query,
                                        std::string_view sequence,
                                        std::int64_t hit);

} // namespace byteloom
