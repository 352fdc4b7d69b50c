#include "search/relative_table.h"

#include "common/number_text.h"
#include "common/utf.h"
#include "document/document.h"

#include <array>
#include <cstdio>

namespace byteloom {

namespace {

// The characters of the order with their places.
std::vector<std::pair<std::string, std::int64_t>> OrderOf(std::string_view sequence)
{
    std::vector<std::pair<std::string, std::int64_t>> order;
    if (sequence.empty()) {
        for (const char first : {'A', 'a'})
            for (char c = first; c < first + 26; ++c)
                order.emplace_back(std::string(1, c), c);
        return order;
    }
    std::int64_t place = 0;
    for (const char32_t code : CodePointsOfUtf8(sequence))
        order.emplace_back(Utf8OfCodePoint(code), place++);
    return order;
}

} // namespace

HitTable MakeTableFromHit(Document &document,
                          const RelativeQuery &query,
                          std::string_view sequence,
                          std::int64_t hit)
{
    HitTable table;
    const int width = query.width == 2 ? 2 : 1;
    // The first placed value of the hit fixes where the whole order lies.
    std::int64_t base = 0;
    bool placed = false;
    for (std::size_t i = 0; i < query.places.size() && !placed; ++i) {
        if (!query.places[i])
            continue;
        std::array<std::uint8_t, 2> bytes{};
        const auto at = hit + static_cast<std::int64_t>(i) * width;
        if (document.ReadBlock(at, std::span(bytes).first(static_cast<std::size_t>(width)))
            != width)
            break;
        const std::int64_t value
            = width == 1 ? bytes[0]
                         : (query.bigEndian ? bytes[0] << 8 | bytes[1] : bytes[1] << 8 | bytes[0]);
        base = value - *query.places[i];
        placed = true;
    }
    if (!placed) {
        table.leftOut.emplace_back("The hit holds no character to place the others by");
        return table;
    }
    const std::int64_t largest = width == 1 ? 0xFF : 0xFFFF;
    for (const auto &[character, place] : OrderOf(sequence)) {
        const std::int64_t value = base + place;
        if (value < 0 || value > largest) {
            table.leftOut.push_back(character + ": its value would be " + std::to_string(value)
                                    + ", outside " + std::to_string(8 * width) + " bits");
            continue;
        }
        std::vector<std::uint8_t> bytes;
        if (width == 1)
            bytes = {static_cast<std::uint8_t>(value)};
        else if (query.bigEndian)
            bytes = {static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
        else
            bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
        const std::string key = HexOfBytes(bytes);
        if (width == 2 && bytes[0] == 0) {
            table.leftOut.push_back(character + ": its key " + key
                                    + " begins with 00, which a table reads as a one-byte key");
            continue;
        }
        table.text += key + "=" + character + "\n";
        ++table.entries;
    }
    return table;
}

} // namespace byteloom
