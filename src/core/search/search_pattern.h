#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// What an asterisk byte (0x2A) of a pattern stands for.
enum class AsteriskKind { Wildcard, Literal };

// The most bytes a pattern holds, and the most characters read from the Find dialog's field.
inline constexpr std::size_t kMaxPatternLength = 99;

inline constexpr std::string_view kIncompleteHexMessage
    = "Please input a hex string with complete bytes";

// A prepared pattern: its bytes and the kind of each of its asterisk bytes, in order.
struct SearchPattern
{
    std::vector<std::uint8_t> bytes;
    std::vector<AsteriskKind> asteriskKinds;

    [[nodiscard]] std::size_t length() const { return bytes.size(); }
    // Appends a byte; an asterisk byte (0x2A) is of the kind given, any other byte ignores it.
    void Append(std::uint8_t byte, AsteriskKind kind = AsteriskKind::Literal);
    // For each byte, whether it matches any byte (a wildcard asterisk).
    [[nodiscard]] std::vector<bool> WildcardPositions() const;
};

// What a relative search looks for: each character's place in the order the game's encoding
// keeps (its code in code page 1252 for the alphabet, its index in a custom sequence), nothing
// for a wildcard; read as values of width bytes (1 or 2), 16-bit ones in the byte order given.
struct RelativeQuery
{
    std::vector<std::optional<std::int32_t>> places;
    int width = 1;
    bool bigEndian = false;

    [[nodiscard]] std::size_t ByteLength() const
    {
        return places.size() * static_cast<std::size_t>(width);
    }
    bool operator==(const RelativeQuery &) const = default;
};

// The typed text's places in a custom sequence (UTF-8; each character's first index), "*" a
// wildcard and "\*" an asterisk of the sequence; the first 99 characters are read. Nothing when
// a character is not in the sequence: message says which.
[[nodiscard]] std::optional<RelativeQuery>
PrepareSequencePattern(std::string_view typed, std::string_view sequence, std::string &message);

// A sequence as typed or read from a file: a byte-order mark and line breaks are not part of it.
[[nodiscard]] std::string CleanSequence(std::string_view text);

// One byte per typed character (the first 99). "\*" is a literal asterisk, every other "*" a
// wildcard; any other backslash is an ordinary character.
[[nodiscard]] SearchPattern PrepareTextPattern(std::string_view text);

// Pairs of hex digits and single "*" wildcards, spaces ignored (the first 99 characters are
// read). Nothing when a byte is incomplete or a character is neither a hex digit, "*" nor a
// space: the caller shows kIncompleteHexMessage.
[[nodiscard]] std::optional<SearchPattern> ParseHexPattern(std::string_view text);

// The typed hex text as the Find history keeps it: without its spaces.
[[nodiscard]] std::string HexHistoryText(std::string_view text);

// The first offset a search tries from the caret: the byte after it, or offset 0 itself when
// the caret is there and nothing is selected, so that data at the very start can be found.
[[nodiscard]] std::int64_t FirstCandidate(std::int64_t caretOffset, bool selectionActive);

} // namespace byteloom
