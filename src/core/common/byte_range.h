#pragma once

#include <cstdint>

namespace byteloom {

// A run of a document's bytes: length bytes from offset (a selection, what an edit touched,
// what a dump reads).
struct ByteRange
{
    std::int64_t offset = 0;
    std::int64_t length = 0;

    [[nodiscard]] std::int64_t End() const { return offset + length; }
    bool operator==(const ByteRange &) const = default;
};

} // namespace byteloom
