#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace byteloom {

// Conversions between UTF-8, UTF-16 and code points, with no library behind them, so that they
// are the same wherever Byteloom runs. What is not well-formed becomes U+FFFD, one for each
// maximal ill-formed part (as Unicode recommends, and as ICU does): a lone surrogate, a stray
// continuation byte, a sequence cut short, an overlong form, a value past U+10FFFF.

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One code point as UTF-8; a surrogate or a value past U+10FFFF gives U+FFFD.
[[nodiscard]] std::string Utf8OfCodePoint(char32_t code);

[[nodiscard]] std::u32string CodePointsOfUtf8(std::string_view utf8);
[[nodiscard]] std::string Utf8OfUtf16(std::u16string_view units);
[[nodiscard]] std::u16string Utf16OfUtf8(std::string_view utf8);

// Nothing when the text is not well-formed UTF-8.
[[nodiscard]] std::optional<std::u16string> Utf16OfWellFormedUtf8(std::string_view utf8);

// A byte that goes on the character before it rather than starting one.
[[nodiscard]] constexpr bool IsUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The first count characters of UTF-8 text, never cut inside one.
[[nodiscard]] constexpr std::string_view FirstCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t characters = 0; end < utf8.size() && characters < count; ++characters) {
        ++end;
        while (end < utf8.size() && IsUtf8Continuation(utf8[end]))
            ++end;
    }
    return utf8.substr(0, end);
}

} // namespace byteloom
