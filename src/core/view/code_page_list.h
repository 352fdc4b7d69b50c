#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class CodePage;

// The code page of table texts and of the text column's default mode.
inline constexpr int kDefaultCodePage = 1252;

// Converts 8-bit text of a Windows code page to and from UTF-8 through the system's converters;
// one converter per code page, made on first use.
class TextDecoder
{
public:
    TextDecoder();
    ~TextDecoder();
    TextDecoder(const TextDecoder &) = delete;
    TextDecoder &operator=(const TextDecoder &) = delete;

    // Whether the system has a converter for the code page.
    [[nodiscard]] bool Supports(int codePage);
    // The bytes as UTF-8; bytes the code page does not map come out as its substitute.
    [[nodiscard]] std::string ToUtf8(int codePage, std::span<const std::uint8_t> bytes);
    // UTF-8 text in the code page; nothing when a character has no place in it.
    [[nodiscard]] std::vector<std::uint8_t> FromUtf8(int codePage, std::string_view utf8);
    // The same as 8-bit text, for the table functions that take text.
    [[nodiscard]] std::string FromUtf8String(int codePage, std::string_view utf8);
    // UTF-8 text in the code page, character by character: a character without a place in it
    // is left out and counted in leftOut.
    [[nodiscard]] std::string FromUtf8Lossy(int codePage, std::string_view utf8, int &leftOut);
    // The first code point of the bytes, or -1.
    [[nodiscard]] std::int32_t FirstCodePoint(int codePage, std::span<const std::uint8_t> bytes);
    // The bytes that start a two-byte character in the code page.
    [[nodiscard]] std::array<bool, 256> LeadBytes(int codePage);

private:
    CodePage *ConverterFor(int codePage);
    std::map<int, std::unique_ptr<CodePage>> converters_;
};

struct CodePageEntry
{
    std::string name; // "932 ( Japanese )": menu text, preferences list, window title
    int number = 0;
    std::string defaultFace;
    std::string configuredFace;
    std::array<bool, 256> leadBytes{};
};

// The East Asian and Thai code pages the text column offers: those of 874, 932, 936, 949 and
// 950 that the system can convert, in that order.
class CodePageList
{
public:
    // The list of what decoder can convert.
    [[nodiscard]] static CodePageList Enumerate(TextDecoder &decoder);

    [[nodiscard]] const std::vector<CodePageEntry> &Entries() const { return entries_; }
    [[nodiscard]] std::vector<CodePageEntry> &Entries() { return entries_; }
    // The index of the entry for the code page, or -1.
    [[nodiscard]] int FindCodePageEntry(int number) const;
    // The entry at index, or nullptr outside the list.
    [[nodiscard]] const CodePageEntry *At(int index) const;

private:
    std::vector<CodePageEntry> entries_;
};

} // namespace byteloom
