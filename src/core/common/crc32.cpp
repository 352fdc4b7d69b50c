#include "common/crc32.h"

#include <array>

namespace byteloom {

namespace {

// Eight tables, so that eight bytes are taken a step ("slicing by 8"): table k gives the CRC of
// a byte followed by k zero bytes.
constexpr std::array<std::array<std::uint32_t, 256>, 8> MakeTables()
{
    std::array<std::array<std::uint32_t, 256>, 8> tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k) {
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = tables[0][tables[k - 1][n] & 0xFF] ^ (tables[k - 1][n] >> 8);
    }
    return tables;
}

constexpr auto kTables = MakeTables();

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> bytes, std::uint32_t crc)
{
    crc = ~crc;
    const std::uint8_t *p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 8; left -= 8, p += 8) {
        const std::uint32_t low = crc ^ (std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8
                                         | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF]
              ^ kTables[5][(low >> 16) & 0xFF] ^ kTables[4][low >> 24] ^ kTables[3][p[4]]
              ^ kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]];
    }
    for (; left > 0; --left, ++p)
        crc = kTables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

} // namespace byteloom
