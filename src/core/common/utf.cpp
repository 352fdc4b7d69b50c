#include "common/utf.h"

#include <cstdint>

namespace byteloom {

namespace {

bool IsSurrogate(char32_t code)
{
    return code >= 0xD800 && code <= 0xDFFF;
}

// The code point that starts at utf8[at], and how many bytes it takes; an ill-formed part
// gives U+FFFD over its maximal part: the longest start of a well-formed sequence, or one byte.
char32_t NextCodePoint(std::string_view utf8, std::size_t &at, bool &wellFormed)
{
    const auto byte = [&](std::size_t k) {
        return static_cast<std::uint8_t>(utf8[k]);
    };
    const std::uint8_t lead = byte(at++);
    if (lead < 0x80)
        return lead;
    int trail = 0;
    char32_t code = 0;
    // The second byte's range keeps out overlong forms, surrogates and values past U+10FFFF.
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trail = 1;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trail = 2;
        code = lead & 0x0Fu;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trail = 3;
        code = lead & 0x07u;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        wellFormed = false;
        return kReplacementCharacter;
    }
    for (int k = 0; k < trail; ++k) {
        if (at >= utf8.size() || byte(at) < low || byte(at) > high) {
            wellFormed = false;
            return kReplacementCharacter;
        }
        code = code << 6 | (byte(at++) & 0x3Fu);
        low = 0x80;
        high = 0xBF;
    }
    return code;
}

template<typename Add>
bool ForEachCodePoint(std::string_view utf8, Add add)
{
    bool wellFormed = true;
    for (std::size_t at = 0; at < utf8.size();)
        add(NextCodePoint(utf8, at, wellFormed));
    return wellFormed;
}

void AppendUtf16(std::u16string &units, char32_t code)
{
    if (code < 0x10000) {
        units += static_cast<char16_t>(code);
        return;
    }
    code -= 0x10000;
    units += static_cast<char16_t>(0xD800 + (code >> 10));
    units += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
}

} // namespace

std::string Utf8OfCodePoint(char32_t code)
{
    if (IsSurrogate(code) || code > 0x10FFFF)
        code = kReplacementCharacter;
    std::string utf8;
    if (code < 0x80) {
        utf8 += static_cast<char>(code);
    } else if (code < 0x800) {
        utf8 += static_cast<char>(0xC0 | code >> 6);
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        utf8 += static_cast<char>(0xE0 | code >> 12);
        utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | code >> 18);
        utf8 += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
    }
    return utf8;
}

std::u32string CodePointsOfUtf8(std::string_view utf8)
{
    std::u32string codes;
    ForEachCodePoint(utf8, [&](char32_t code) { codes += code; });
    return codes;
}

std::string Utf8OfUtf16(std::u16string_view units)
{
    std::string utf8;
    for (std::size_t k = 0; k < units.size(); ++k) {
        char32_t code = units[k];
        const bool high = code >= 0xD800 && code <= 0xDBFF;
        if (high && k + 1 < units.size() && units[k + 1] >= 0xDC00 && units[k + 1] <= 0xDFFF)
            code = 0x10000 + ((code - 0xD800) << 10) + (units[++k] - 0xDC00u);
        utf8 += Utf8OfCodePoint(code); // a lone surrogate gives U+FFFD
    }
    return utf8;
}

std::u16string Utf16OfUtf8(std::string_view utf8)
{
    std::u16string units;
    ForEachCodePoint(utf8, [&](char32_t code) { AppendUtf16(units, code); });
    return units;
}

std::optional<std::u16string> Utf16OfWellFormedUtf8(std::string_view utf8)
{
    std::u16string units;
    if (!ForEachCodePoint(utf8, [&](char32_t code) { AppendUtf16(units, code); }))
        return std::nullopt;
    return units;
}

} // namespace byteloom
