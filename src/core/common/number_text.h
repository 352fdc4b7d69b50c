#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace byteloom {

// The value of the digits of base (16 or 10) at the start of text, read the way the dialogs
// read their fields: reading stops at the first other character, and no digits give 0.
// Values beyond 32 bits keep their low 32 bits.
[[nodiscard]] std::uint32_t ReadLeadingNumber(std::string_view text, int base);

// Text that is wholly a number of base (16 or 10) fitting in 32 bits; anything else is
// nothing. For the command line, where a typing slip must not pass silently.
[[nodiscard]] std::optional<std::uint32_t> ParseWholeNumber(std::string_view text, int base);

// The same for offsets, which are 64-bit: the documents may be larger than 4 GiB. A value
// beyond the largest offset reads as the largest offset.
[[nodiscard]] std::int64_t ReadLeadingOffset(std::string_view text, int base);
[[nodiscard]] std::optional<std::int64_t> ParseWholeOffset(std::string_view text, int base);

// Bytes as upper-case hex digit pairs, "0503FF".
[[nodiscard]] std::string HexOfBytes(std::span<const std::uint8_t> bytes);

// The value of one digit of base 16 or 10, or -1.
[[nodiscard]] int DigitValue(char c, int base);

} // namespace byteloom
