#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

namespace byteloom {

// An offset or length already known to lie inside a buffer, as the buffer's index type.
[[nodiscard]] inline std::size_t ToSize(std::int64_t value)
{
    return static_cast<std::size_t>(value);
}

// Sizes a byte buffer whose length comes from a file or the user; false, with the buffer as it
// was, when there is no memory for it, so that a large file is refused rather than ended.
template<class Bytes>
[[nodiscard]] bool TryResize(Bytes &bytes, std::size_t size, typename Bytes::value_type fill = {})
{
    try {
        bytes.resize(size, fill);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

} // namespace byteloom
