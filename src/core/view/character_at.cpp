#include "view/character_at.h"

#include "common/utf.h"
#include "document/document.h"
#include "platform/code_page.h"
#include "tables/table_codec.h"
#include "tables/table_file.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"
#include "view/text_mode.h"

#include <array>
#include <cstdio>

namespace byteloom {

namespace {

std::string CodePointText(std::int32_t code)
{
    if (code < 0)
        return "?";
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
    // Controls, surrogates and unassigned code points have no glyph to show.
    if (!IsGraphic(static_cast<char32_t>(code)) && code != 0x20)
        return hex;
    return "'" + Utf8OfCodePoint(static_cast<char32_t>(code)) + "' " + hex;
}

std::string EntryText(const TableFile &table, const DecodedEntry &decoded, TextDecoder &decoder)
{
    const TableEntry &entry = *decoded.entry;
    char key[16];
    std::snprintf(key, sizeof key, "%0*X", 2 * decoded.byteCount, static_cast<unsigned>(entry.key));
    std::string text = entry.label;
    if (text.empty() && entry.text == kNewlineMarker)
        text = "<line>";
    else if (text.empty() && entry.text == kEndStringMarker)
        text = "<end>";
    else if (text.empty())
        text = entry.text;
    return std::string(key) + " = "
           + decoder.ToUtf8(
               table.GetCodePage(),
               std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
}

} // namespace

CharacterRows CharactersAt(Document &document,
                           std::int64_t offset,
                           const DisplaySettings &display,
                           const CodePageList &codePages,
                           TextDecoder &decoder,
                           const TableFile *table)
{
    CharacterRows rows;
    std::array<std::uint8_t, 2> buffer{};
    // In the Unicode modes a byte belongs to the unit that starts at the even offset before it.
    const std::int64_t from = display.unicodeText ? offset - offset % 2 : offset;
    const std::int64_t read
        = document.IsOpen() && offset >= 0 ? document.ReadBlock(from, buffer) : 0;
    if (read <= 0)
        return rows;
    const auto bytes = std::span<const std::uint8_t>(buffer).first(static_cast<std::size_t>(read));
    if (display.unicodeText) {
        if (bytes.size() == 2)
            rows.codePage = CodePointText(display.bigEndian ? bytes[0] << 8 | bytes[1]
                                                            : bytes[1] << 8 | bytes[0]);
    } else if (const CodePageEntry *entry = CurrentCodePage(display, codePages)) {
        // A lead byte stands for nothing without the byte after it.
        rows.codePage = entry->leadBytes[bytes[0]] && bytes.size() < 2
                            ? CodePointText(-1)
                            : CodePointText(decoder.FirstCodePoint(
                                entry->number, bytes.first(entry->leadBytes[bytes[0]] ? 2 : 1)));
    } else {
        rows.codePage = CodePointText(decoder.FirstCodePoint(kDefaultCodePage, bytes.first(1)));
    }
    if (table) {
        const DecodedEntry decoded = DecodeAt(*table, document, offset);
        if (!decoded.IsFallback())
            rows.table = EntryText(*table, decoded, decoder);
    }
    return rows;
}

} // namespace byteloom
