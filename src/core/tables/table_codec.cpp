#include "tables/table_codec.h"

#include "common/number_text.h"
#include "common/utf.h"
#include "document/document.h"
#include "tables/table_parser.h"

#include <algorithm>
#include <array>

namespace byteloom {

DecodedEntry DecodeBytesByWidth(const TableFile &table,
                                const Subtable &subtable,
                                std::span<const std::uint8_t> bytes)
{
    const int width = std::min(table.GetMaxKeyBytes(), static_cast<int>(bytes.size()));
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | bytes[static_cast<std::size_t>(i)];
    for (int k = width; k >= 1; --k, value >>= 8) {
        if (const TableEntry *entry = subtable.FindByKey(k, value)) {
            // A switching entry takes the entries it reads through its table, as many as it
            // says (or as match) and as the bytes given hold.
            if (entry->switchTo >= 0) {
                std::size_t at = static_cast<std::size_t>(k);
                for (int read = 0;
                     at < bytes.size() && (entry->switchCount == 0 || read < entry->switchCount);
                     ++read) {
                    const DecodedEntry inner = DecodeBytesByWidth(
                        table, table.GetSubtable(entry->switchTo), bytes.subspan(at));
                    if (inner.IsFallback() && entry->switchCount == 0)
                        break;
                    at += static_cast<std::size_t>(inner.byteCount);
                }
                return {entry, static_cast<int>(at), false};
            }
            // A linked entry takes its parameter bytes too, as many as there are.
            const int parameters = std::min(entry->parameters, static_cast<int>(bytes.size()) - k);
            return {entry, k + parameters, false};
        }
    }
    return {&FallbackEntry(), 1, true};
}

std::string EntrySuffix(const TableFile &table,
                        const DecodedEntry &decoded,
                        std::span<const std::uint8_t> bytes)
{
    if (!decoded.Compound())
        return {};
    const TableEntry &entry = *decoded.entry;
    const auto after = bytes.subspan(static_cast<std::size_t>(KeyWidth(entry.key)));
    std::string suffix;
    if (entry.switchTo < 0)
        return RawByteCodes(after);
    // The same entries DecodeBytesByWidth counted, with their texts.
    for (std::size_t at = 0; at < after.size();) {
        const DecodedEntry inner
            = DecodeBytesByWidth(table, table.GetSubtable(entry.switchTo), after.subspan(at));
        const auto length = static_cast<std::size_t>(inner.byteCount);
        // A line-break or string-end key there stands as its label.
        const std::string &text = inner.entry->text;
        const bool marker = text == kNewlineMarker || text == kEndStringMarker;
        suffix += marker ? inner.entry->label : text.empty() ? FallbackEntry().text : text;
        suffix += EntrySuffix(table, inner, after.subspan(at, length));
        at += length;
    }
    return suffix;
}

DecodedEntry DecodeAt(const TableFile &table, Document &document, std::int64_t offset)
{
    std::array<std::uint8_t, kMaxEntryBytes> bytes{};
    const auto wanted = static_cast<std::size_t>(std::max(table.GetMaxEntryBytes(), 1));
    const std::span<const std::uint8_t> page = document.SpanAt(offset);
    std::int64_t available = static_cast<std::int64_t>(std::min(page.size(), wanted));
    if (available == static_cast<std::int64_t>(wanted)) {
        std::copy_n(page.begin(), wanted, bytes.begin());
    } else {
        // The key crosses a page boundary, or the document ends first.
        available = document.ReadBlock(offset, std::span(bytes).first(wanted));
    }
    return DecodeBytes(table,
                       table.SubtableAt(offset),
                       std::span(bytes).first(static_cast<std::size_t>(available)));
}

void AppendKeyBytes(std::uint32_t key, std::vector<std::uint8_t> &bytes)
{
    for (int shift = 8 * (KeyWidth(key) - 1); shift >= 0; shift -= 8)
        bytes.push_back(static_cast<std::uint8_t>(key >> shift));
}

std::size_t CharacterLength(const TableFile &table, std::string_view text, std::size_t position)
{
    if (table.GetCodePage() == kUtf8CodePage) {
        // A UTF-8 character is skipped whole: its lead byte and the continuation bytes after it.
        std::size_t end = position + 1;
        while (end < text.size() && IsUtf8Continuation(text[end]) && end - position < 4)
            ++end;
        return end - position;
    }
    return table.IsLeadByte(text[position]) && position + 1 < text.size() ? 2 : 1;
}

EncodedEntry EncodeLongest(const TableFile &table, const Subtable &subtable, std::string_view text)
{
    if (text.empty())
        return {};
    // No entry text is longer than the longest one that starts with this character.
    const auto longest = static_cast<std::size_t>(std::max(table.GetMaxTextLen(), 1));
    const std::size_t limit = std::min({longest, text.size(), subtable.LongestTextFrom(text[0])});
    // No entry text longer than the first n characters can match where they begin none.
    std::size_t first = 1;
    while (first < limit && subtable.BeginsLongerText(text.substr(0, first)))
        ++first;
    for (std::size_t n = first; n >= 1; --n) {
        if (const TableEntry *entry = subtable.FindByText(text.substr(0, n)))
            return {entry, n};
    }
    return {};
}

std::string RawByteCodes(std::span<const std::uint8_t> bytes)
{
    std::string codes;
    for (const std::uint8_t byte : bytes)
        codes += "<$" + HexOfBytes(std::span(&byte, 1)) + ">";
    return codes;
}

std::optional<std::uint8_t> ParameterCodeAt(std::string_view text, std::size_t pos)
{
    if (pos + 5 > text.size() || text[pos] != '<' || text[pos + 1] != '$' || text[pos + 4] != '>')
        return std::nullopt;
    const int high = DigitValue(text[pos + 2], 16);
    const int low = DigitValue(text[pos + 3], 16);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

std::size_t EncodeWhatFollows(const TableFile &table,
                              const TableEntry &entry,
                              std::string_view text,
                              std::size_t pos,
                              std::vector<std::uint8_t> &bytes)
{
    if (entry.switchTo >= 0) {
        const Subtable &target = table.GetSubtable(entry.switchTo);
        // No further than one entry's bytes reach, as the view and a dump read it.
        auto room = static_cast<std::size_t>(kMaxEntryBytes - KeyWidth(entry.key));
        for (int read = 0;
             pos < text.size() && (entry.switchCount == 0 || read < entry.switchCount);
             ++read) {
            const EncodedEntry inner = EncodeLongest(table, target, text.substr(pos));
            if (!inner.entry)
                break;
            // The inner entry with what goes with it in turn (a nested switch, parameters).
            std::vector<std::uint8_t> innerBytes;
            AppendKeyBytes(inner.entry->key, innerBytes);
            const std::size_t next
                = EncodeWhatFollows(table, *inner.entry, text, pos + inner.length, innerBytes);
            if (innerBytes.size() > room)
                break;
            bytes.insert(bytes.end(), innerBytes.begin(), innerBytes.end());
            room -= innerBytes.size();
            pos = next;
        }
    }
    for (int k = 0; k < entry.parameters; ++k) {
        const auto parameter = ParameterCodeAt(text, pos);
        if (!parameter)
            break;
        bytes.push_back(*parameter);
        pos += 5;
    }
    return pos;
}

namespace {

// Encodes text from offset on; returns how many characters were skipped.
int Encode(const TableFile &table,
           std::string_view text,
           std::int64_t offset,
           std::vector<std::uint8_t> &bytes)
{
    int skipped = 0;
    TableFile::SubtableRun run = table.SubtableRunAt(offset);
    std::size_t position = 0;
    while (position < text.size()) {
        const std::int64_t at = offset + static_cast<std::int64_t>(bytes.size());
        if (at >= run.until)
            run = table.SubtableRunAt(at);
        const EncodedEntry encoded
            = EncodeLongest(table, table.GetSubtable(run.number), text.substr(position));
        if (encoded.entry) {
            AppendKeyBytes(encoded.entry->key, bytes);
            position
                = EncodeWhatFollows(table, *encoded.entry, text, position + encoded.length, bytes);
        } else {
            ++skipped;
            position += CharacterLength(table, text, position);
        }
    }
    return skipped;
}

} // namespace

std::vector<std::uint8_t>
EncodeText(const TableFile &table, std::string_view text, std::int64_t offset, int *skipped)
{
    std::vector<std::uint8_t> bytes;
    const int count = Encode(table, text, offset, bytes);
    if (skipped)
        *skipped = count;
    return bytes;
}

std::optional<std::vector<std::uint8_t>>
EncodeTextExactly(const TableFile &table, std::string_view text, std::int64_t offset)
{
    std::vector<std::uint8_t> bytes;
    if (Encode(table, text, offset, bytes) > 0)
        return std::nullopt;
    return bytes;
}

} // namespace byteloom
