#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace byteloom {

// The text services the core takes from the system: conversions between a Windows code page and
// UTF-16, and the character classes the text column asks about. ICU's tables stand behind them
// on Linux (code_page_icu.cpp), Windows' own on Windows (code_page_windows.cpp).
class CodePage
{
public:
    // Nothing when this system cannot convert the code page.
    [[nodiscard]] static std::unique_ptr<CodePage> Open(int number);

    virtual ~CodePage() = default;
    // The bytes as UTF-16; bytes the code page does not map come out as its substitute.
    [[nodiscard]] virtual std::u16string Decode(std::span<const std::uint8_t> bytes) = 0;
    // UTF-16 text in the code page; nothing when a character has no place in it.
    [[nodiscard]] virtual std::optional<std::string> Encode(std::u16string_view units) = 0;
    // The bytes that start a two-byte character: none in a single-byte code page (nor in UTF-8,
    // whose characters are told by their own bit patterns).
    [[nodiscard]] virtual std::array<bool, 256> LeadBytes() = 0;
};

// The lead bytes of the code page (none where the system cannot convert it).
[[nodiscard]] std::array<bool, 256> LeadBytesOf(int codePage);
// Whether this system can convert text of the code page.
[[nodiscard]] bool CodePageAvailable(int codePage);

// Whether the character has a glyph to show (not a control, surrogate or unassigned code point).
[[nodiscard]] bool IsGraphic(char32_t code);
[[nodiscard]] bool IsLetterOrDigit(char32_t code);

} // namespace byteloom
