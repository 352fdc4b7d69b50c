// The value and relative search engines against a plain scan of every candidate, over whole
// documents and over paged ones whose small pages put patterns across page boundaries.
#include "document/document.h"
#include "search/search_engines.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace byteloom;

std::optional<std::int64_t>
PlainValue(const std::vector<std::uint8_t> &bytes, const SearchPattern &pattern, std::int64_t first)
{
    const std::vector<bool> wildcard = pattern.WildcardPositions();
    const auto size = static_cast<std::int64_t>(bytes.size());
    const auto length = static_cast<std::int64_t>(pattern.length());
    if (length == 0)
        return first < size ? std::optional(first) : std::nullopt;
    for (std::int64_t p = first; p + length <= size; ++p) {
        bool match = true;
        for (std::int64_t i = 0; i < length && match; ++i) {
            const auto at = static_cast<std::size_t>(i);
            match = wildcard[at] || bytes[static_cast<std::size_t>(p + i)] == pattern.bytes[at];
        }
        if (match)
            return p;
    }
    return std::nullopt;
}

std::optional<std::int64_t> PlainRelative(const std::vector<std::uint8_t> &bytes,
                                          const SearchPattern &pattern,
                                          std::int64_t first)
{
    const std::vector<bool> wildcard = pattern.WildcardPositions();
    const auto size = static_cast<std::int64_t>(bytes.size());
    const auto length = static_cast<std::int64_t>(pattern.length());
    if (length == 0)
        return std::nullopt;
    for (std::int64_t p = first; p + length <= size; ++p) {
        bool match = true;
        for (std::int64_t i = 0; i + 1 < length && match; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (wildcard[at] || wildcard[at + 1])
                continue;
            const auto here = static_cast<std::size_t>(p + i);
            match = bytes[here] - bytes[here + 1] == pattern.bytes[at] - pattern.bytes[at + 1];
        }
        if (match)
            return p;
    }
    return std::nullopt;
}

// The relative search over 16-bit values, one candidate at a time: the pattern's bytes are the
// places, read at every byte offset in the byte order given.
std::optional<std::int64_t> PlainWideRelative(const std::vector<std::uint8_t> &bytes,
                                              const SearchPattern &pattern,
                                              std::int64_t first,
                                              bool big)
{
    const std::vector<bool> wildcard = pattern.WildcardPositions();
    const auto size = static_cast<std::int64_t>(bytes.size());
    const auto length = static_cast<std::int64_t>(pattern.length());
    if (length == 0)
        return std::nullopt;
    const auto unit = [&](std::int64_t at) {
        const auto a = bytes[static_cast<std::size_t>(at)];
        const auto b = bytes[static_cast<std::size_t>(at + 1)];
        return big ? a << 8 | b : b << 8 | a;
    };
    for (std::int64_t p = first; p + 2 * length <= size; ++p) {
        bool match = true;
        for (std::int64_t i = 0; i + 1 < length && match; ++i) {
            const auto at = static_cast<std::size_t>(i);
            if (wildcard[at] || wildcard[at + 1])
                continue;
            match = unit(p + 2 * i) - unit(p + 2 * i + 2)
                    == pattern.bytes[at] - pattern.bytes[at + 1];
        }
        if (match)
            return p;
    }
    return std::nullopt;
}

// A paged document of the bytes, read from a memory file with 64-byte pages.
bool LoadPaged(Document &document, const std::vector<std::uint8_t> &bytes)
{
    const int fd = memfd_create("search-fuzz", 0);
    if (fd < 0)
        return false;
    const bool written
        = write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    const bool loaded = written
                        && document.Load("/proc/self/fd/" + std::to_string(fd), true).status
                               == LoadStatus::Loaded;
    close(fd);
    return loaded;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 3)
        return 0;
    const std::size_t length = data[0] % 12;
    const std::int64_t first = data[1] % 64;
    const bool paged = (data[2] & 1) != 0;
    if (size < 3 + length + 2)
        return 0;
    SearchPattern pattern;
    const std::uint16_t wildcards
        = static_cast<std::uint16_t>(data[3 + length] << 8 | data[4 + length]);
    for (std::size_t i = 0; i < length; ++i) {
        pattern.Append(data[3 + i],
                       (wildcards >> i & 1) ? AsteriskKind::Wildcard : AsteriskKind::Literal);
    }
    const std::vector<std::uint8_t> bytes(data + 5 + length, data + size);

    Document document(64, RealFileSystem());
    if (paged && bytes.size() > 64) {
        if (!LoadPaged(document, bytes))
            return 0;
        if (!document.IsPaged())
            __builtin_trap();
    } else {
        document.New();
        if (!document.ReplaceContents(bytes).ok())
            __builtin_trap();
    }
    if (ValueSearch(document, pattern, first) != PlainValue(bytes, pattern, first))
        __builtin_trap();
    if (RelativeSearch(document, pattern, first) != PlainRelative(bytes, pattern, first))
        __builtin_trap();
    RelativeQuery wide = RelativeQueryOf(pattern);
    wide.width = 2;
    wide.bigEndian = (data[2] & 2) != 0;
    if (RelativeSearch(document, wide, first)
        != PlainWideRelative(bytes, pattern, first, wide.bigEndian))
        __builtin_trap();
    return 0;
}
