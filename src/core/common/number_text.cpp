#include "common/number_text.h"

#include <cstdint>

namespace byteloom {

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

std::uint32_t ReadLeadingNumber(std::string_view text, int base)
{
    std::uint32_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            break;
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    }
    return value;
}

namespace {

// Text that is wholly a number of base no larger than most.
std::optional<std::uint64_t> ParseWhole(std::string_view text, int base, std::uint64_t most)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        const auto next = static_cast<std::uint64_t>(digit);
        if (value > (most - next) / static_cast<std::uint64_t>(base))
            return std::nullopt;
        value = value * static_cast<std::uint64_t>(base) + next;
    }
    return value;
}

constexpr auto kLargestOffset = static_cast<std::uint64_t>(INT64_MAX);

} // namespace

std::optional<std::uint32_t> ParseWholeNumber(std::string_view text, int base)
{
    const auto value = ParseWhole(text, base, 0xFFFFFFFFu);
    return value ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*value)) : std::nullopt;
}

std::optional<std::int64_t> ParseWholeOffset(std::string_view text, int base)
{
    const auto value = ParseWhole(text, base, kLargestOffset);
    return value ? std::optional<std::int64_t>(static_cast<std::int64_t>(*value)) : std::nullopt;
}

std::int64_t ReadLeadingOffset(std::string_view text, int base)
{
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = DigitValue(c, base);
        if (digit < 0)
            break;
        const auto next = static_cast<std::uint64_t>(digit);
        if (value > (kLargestOffset - next) / static_cast<std::uint64_t>(base))
            return INT64_MAX;
        value = value * static_cast<std::uint64_t>(base) + next;
    }
    return static_cast<std::int64_t>(value);
}

std::string HexOfBytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes)
        text += {kDigits[byte >> 4], kDigits[byte & 0x0F]};
    return text;
}

} // namespace byteloom
