#include "view/row_layout.h"

#include "common/utf.h"
#include "document/document.h"
#include "platform/code_page.h"
#include "tables/table_codec.h"
#include "tables/table_file.h"
#include "view/code_page_list.h"
#include "view/offset_label.h"
#include "view/text_mode.h"

#include <algorithm>
#include <array>

namespace byteloom {

namespace {

// A table entry (a key and a linked entry's parameters) or a two-byte character may reach this
// far past the row.
constexpr int kLookahead = kMaxEntryBytes - 1;
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsPunctuationInC(std::uint8_t b)
{
    return (b >= 0x21 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60)
           || (b >= 0x7B && b <= 0x7E);
}

// One byte as a character of the code page, or "." when it is neither a letter or digit of the
// code page, a blank, nor punctuation.
std::string SingleByteText(TextDecoder &decoder, int codePage, std::uint8_t b)
{
    const std::array<std::uint8_t, 1> bytes{b};
    const std::int32_t code = decoder.FirstCodePoint(codePage, bytes);
    if (code >= 0
        && (IsLetterOrDigit(static_cast<char32_t>(code)) || b == 0x20 || IsPunctuationInC(b)))
        return decoder.ToUtf8(codePage, bytes);
    return ".";
}

std::string UnitText(std::uint16_t unit)
{
    return Utf8OfCodePoint(unit); // a lone surrogate has no character of its own: U+FFFD
}

void BuildUnicodeText(const RowSource &source, RowLayout &row, std::span<const std::uint8_t> bytes)
{
    row.font = TextFont::Unicode;
    for (int k = 0; 2 * k + 1 < row.byteCount; ++k) {
        const auto first = static_cast<std::size_t>(2 * k);
        auto unit = static_cast<std::uint16_t>(bytes[first] | (bytes[first + 1] << 8));
        if (source.display.bigEndian)
            unit = SwapUnitBytes(unit);
        TextCell &glyph = row.text[first + 1];
        glyph.text = UnitText(unit);
        glyph.selected = source.selection.Contains(row.offset + 2 * k);
    }
}

void BuildTableText(RowSource &source,
                    RowLayout &row,
                    std::span<const std::uint8_t> bytes,
                    int carryIn)
{
    row.font = TextFont::Table;
    const TableFile &table = *source.table;
    int i = std::min(carryIn, row.byteCount);
    while (i < row.byteCount) {
        const auto available
            = std::min<std::size_t>(static_cast<std::size_t>(std::max(table.GetMaxEntryBytes(), 1)),
                                    bytes.size() - static_cast<std::size_t>(i));
        const DecodedEntry decoded
            = DecodeBytes(table,
                          table.SubtableAt(row.offset + i),
                          bytes.subspan(static_cast<std::size_t>(i), available));
        const int last = i + decoded.byteCount - 1;
        // An entry that runs into the next row is shown whole in this row's last cell.
        TextCell &cell = row.text[static_cast<std::size_t>(std::min(last, row.byteCount - 1))];
        const std::string &text = decoded.entry->text;
        if (text == kNewlineMarker) {
            cell.marker = Marker::Newline;
        } else if (text == kEndStringMarker) {
            cell.marker = Marker::EndString;
        } else {
            // A linked entry shows its parameter bytes after its text, a switching entry what
            // it reads through its table.
            const std::string shown
                = (text.empty() ? FallbackEntry().text : text)
                  + EntrySuffix(table,
                                decoded,
                                bytes.subspan(static_cast<std::size_t>(i),
                                              static_cast<std::size_t>(decoded.byteCount)));
            cell.text = source.decoder.ToUtf8(
                table.GetCodePage(),
                std::span(reinterpret_cast<const std::uint8_t *>(shown.data()), shown.size()));
        }
        cell.selected = source.selection.Contains(row.offset + last);
        i = last + 1;
    }
    row.carryOut = std::max(i - row.byteCount, 0);
}

void BuildCodePageText(RowSource &source,
                       RowLayout &row,
                       std::span<const std::uint8_t> bytes,
                       const CodePageEntry &entry)
{
    row.font = TextFont::CodePage;
    for (int i = 0; i < row.byteCount;) {
        const auto at = static_cast<std::size_t>(i);
        TextCell &cell = row.text[at];
        // A lead byte joins the next byte, even one in the next row; the document's last byte
        // has no partner.
        if (entry.leadBytes[bytes[at]] && at + 1 < bytes.size()) {
            const std::string glyph = source.decoder.ToUtf8(entry.number, bytes.subspan(at, 2));
            if (i + 1 < row.byteCount) {
                TextCell &trail = row.text[at + 1];
                trail.text = glyph;
                trail.selected = source.selection.Contains(row.offset + i + 1);
                i += 2;
            } else {
                cell.text = glyph;
                i += 1;
            }
            continue;
        }
        cell.text = SingleByteText(source.decoder, entry.number, bytes[at]);
        ++i;
    }
}

} // namespace

int EffectiveGrouping(const DisplaySettings &display)
{
    const int grouping = display.grouping;
    return grouping == 1 || grouping == 2 || grouping == 4 || grouping == 8 ? grouping : 2;
}

RowLayout BuildRow(RowSource &source, std::int64_t rowOffset, int carryIn)
{
    Document &document = source.document;
    RowLayout row;
    row.offset = rowOffset;
    row.offsetLabel = OffsetLabel(rowOffset, source.display, document.Size());
    row.offsetChars = OffsetColumnChars(source.display, document.Size());
    row.byteCount
        = static_cast<int>(std::clamp<std::int64_t>(document.Size() - rowOffset, 0, kBytesPerRow));
    std::array<std::uint8_t, kBytesPerRow + kLookahead> buffer{};
    const std::int64_t read = document.ReadBlock(
        rowOffset, std::span(buffer).first(static_cast<std::size_t>(row.byteCount + kLookahead)));
    const auto bytes = std::span<const std::uint8_t>(buffer).first(
        static_cast<std::size_t>(std::max<std::int64_t>(read, 0)));
    // A short read (the file shrank or failed) shows only the bytes that arrived.
    row.byteCount = std::min(row.byteCount, static_cast<int>(bytes.size()));

    const int grouping = EffectiveGrouping(source.display);
    row.hex.resize(static_cast<std::size_t>(row.byteCount));
    row.text.resize(static_cast<std::size_t>(row.byteCount));
    for (int i = 0; i < row.byteCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        HexCell &cell = row.hex[at];
        cell.text = {kHexDigits[bytes[at] >> 4], kHexDigits[bytes[at] & 0x0F]};
        if ((i + 1) % grouping == 0 && i + 1 < row.byteCount)
            cell.text += ' ';
        cell.evenGroup = (i / grouping) % 2 == 1;
        cell.selected = source.selection.Contains(rowOffset + i);
        row.text[at].selected = cell.selected;
    }
    // The runs that reach into the row, found by halving: a comparison may hold millions.
    const auto &runs = source.differences;
    for (auto run = std::partition_point(
             runs.begin(),
             runs.end(),
             [&](const DifferenceRun &r) { return r.offset + r.length <= rowOffset; });
         run != runs.end() && run->offset < rowOffset + row.byteCount;
         ++run) {
        const std::int64_t from = std::max(run->offset, rowOffset) - rowOffset;
        const std::int64_t to = std::min(run->offset + run->length - rowOffset,
                                         static_cast<std::int64_t>(row.byteCount));
        for (auto at = static_cast<std::size_t>(from); at < static_cast<std::size_t>(to); ++at)
            row.hex[at].differs = row.text[at].differs = true;
    }

    if (source.display.unicodeText) {
        BuildUnicodeText(source, row, bytes);
    } else if (source.table) {
        BuildTableText(source, row, bytes, carryIn);
    } else if (const CodePageEntry *entry = CurrentCodePage(source.display, source.codePages)) {
        BuildCodePageText(source, row, bytes, *entry);
    } else {
        for (int i = 0; i < row.byteCount; ++i)
            row.text[static_cast<std::size_t>(i)].text = SingleByteText(
                source.decoder, kDefaultCodePage, bytes[static_cast<std::size_t>(i)]);
    }
    return row;
}

std::string HexColumnText(const RowLayout &row, int grouping)
{
    std::string text;
    for (const HexCell &cell : row.hex)
        text += cell.text;
    const std::size_t full
        = 2 * kBytesPerRow + kBytesPerRow / static_cast<std::size_t>(grouping) - 1;
    if (text.size() < full)
        text.append(full - text.size(), ' ');
    return text;
}

} // namespace byteloom
