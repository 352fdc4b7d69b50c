#pragma once

#include "tables/table_file.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class Document;

struct DecodedEntry
{
    const TableEntry *entry = nullptr;
    int byteCount = 1;     // the key's, and a linked entry's parameter bytes that follow it
    bool fallback = false; // no entry matched: entry is the fallback entry

    [[nodiscard]] bool IsFallback() const { return fallback; }
    // Whether bytes after the key go with it: a linked entry's parameters, or what a switching
    // entry reads through another table.
    [[nodiscard]] bool Compound() const
    {
        return entry && !fallback && byteCount > KeyWidth(entry->key);
    }
};

// What an entry's text is followed by where it is shown, dumped or copied, given its bytes: a
// linked entry's parameter bytes as codes ("<$03><$1F>"), or the texts of the entries a
// switching entry reads through its table ("[Potion]"); empty for a plain entry.
[[nodiscard]] std::string EntrySuffix(const TableFile &table,
                                      const DecodedEntry &decoded,
                                      std::span<const std::uint8_t> bytes);

// The longest key of the subtable that the bytes begin with: widths are tried from the table's
// widest key down to 1. No match gives the fallback entry and one byte. bytes holds the bytes
// from the position on, as many as there are up to the widest key; fewer at the end of the
// document, so that nothing past the end is read.
[[nodiscard]] DecodedEntry DecodeBytesByWidth(const TableFile &table,
                                              const Subtable &subtable,
                                              std::span<const std::uint8_t> bytes);
[[nodiscard]] inline DecodedEntry
DecodeBytes(const TableFile &table, const Subtable &subtable, std::span<const std::uint8_t> bytes)
{
    // The common table of one- and two-byte keys decodes in one lookup.
    if (table.GetMaxKeyBytes() == 2 && bytes.size() >= 2 && subtable.HasPairIndex()
        && !table.HasLinkedEntries()) {
        const auto pair = static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
        const Subtable::PairMatch match = subtable.DecodePair(pair);
        if (match.entry)
            return {match.entry, match.width, false};
        return {&FallbackEntry(), 1, true};
    }
    return DecodeBytesByWidth(table, subtable, bytes);
}

// DecodeBytes on the document's bytes at offset, through the subtable for that offset.
[[nodiscard]] DecodedEntry
DecodeAt(const TableFile &table, Document &document, std::int64_t offset);

// The entry of the subtable whose text is the longest one that text begins with (up to the
// table's longest text), or nothing when no entry's text begins it.
struct EncodedEntry
{
    const TableEntry *entry = nullptr;
    std::size_t length = 0; // characters of text it stands for
};
[[nodiscard]] EncodedEntry
EncodeLongest(const TableFile &table, const Subtable &subtable, std::string_view text);

// How many bytes of text the character at position takes: two for a lead byte of the table's
// code page and its trail byte, else one.
[[nodiscard]] std::size_t
CharacterLength(const TableFile &table, std::string_view text, std::size_t position);

// Text encoded as it is written from offset on: each position through the subtable for the
// offset its key lands on, the longest entry text first; a character (one or two bytes) that
// starts no entry's text is skipped. Each key gives its width in bytes, most significant first.
// skipped, when given, gets the number of characters skipped.
[[nodiscard]] std::vector<std::uint8_t> EncodeText(const TableFile &table,
                                                   std::string_view text,
                                                   std::int64_t offset,
                                                   int *skipped = nullptr);
// The same, but nothing at all when a character matches no entry.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
EncodeTextExactly(const TableFile &table, std::string_view text, std::int64_t offset);

// Bytes written as codes "<$XX>" each: a linked entry's parameters, a pointer dump's raw bytes.
[[nodiscard]] std::string RawByteCodes(std::span<const std::uint8_t> bytes);

// A linked entry's parameter byte written "<$XX>" at pos of text, or nothing.
[[nodiscard]] std::optional<std::uint8_t> ParameterCodeAt(std::string_view text, std::size_t pos);

// After the text of entry, encoded from text at pos, what goes with it: a switching entry's
// entries through its table (as many as it reads and one entry's bytes hold), a linked entry's
// "<$XX>" parameter bytes. Appends their bytes and returns where its text ends.
std::size_t EncodeWhatFollows(const TableFile &table,
                              const TableEntry &entry,
                              std::string_view text,
                              std::size_t pos,
                              std::vector<std::uint8_t> &bytes);

// Appends a key's bytes, most significant first.
void AppendKeyBytes(std::uint32_t key, std::vector<std::uint8_t> &bytes);

} // namespace byteloom
