#include "support/documents.h"
#include "tables/table_parser.h"
#include "view/character_at.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

// The inspector's character rows read the bytes as the text column does: its code page (lead
// bytes with their partner), UTF-16 in the Unicode modes, and the table's longest key.
TEST(CharacterAt, EveryTextModeAndTheTableEntry)
{
    TextDecoder decoder;
    const CodePageList codePages = CodePageList::Enumerate(decoder);
    DisplaySettings display;
    const auto document = test::DocumentOf({'A', 0x0A, 0x82, 0xA0, 0xFF, 0x82});
    const auto at = [&](std::int64_t offset, const TableFile *table = nullptr) {
        return CharactersAt(*document, offset, display, codePages, decoder, table);
    };
    EXPECT_EQ(at(0).codePage, "'A' U+0041");
    EXPECT_EQ(at(1).codePage, "U+000A");
    EXPECT_EQ(at(6).codePage, "");
    EXPECT_EQ(at(0).table, "");

    display.defaultCodePage = false;
    display.codePageIndex = codePages.FindCodePageEntry(932);
    ASSERT_GE(display.codePageIndex, 0);
    EXPECT_EQ(at(2).codePage, "'\xE3\x81\x82' U+3042"); // hiragana a
    EXPECT_EQ(at(5).codePage, "?");                     // a lead byte with nothing after it

    display.unicodeText = true;
    EXPECT_EQ(at(0).codePage, "'\xE0\xA9\x81' U+0A41");
    EXPECT_EQ(at(1).codePage, at(0).codePage); // the second byte of the same unit
    display.bigEndian = true;
    EXPECT_EQ(at(0).codePage, "'\xE4\x84\x8A' U+410A");
    EXPECT_EQ(at(5).codePage, "'\xEF\xBE\x82' U+FF82"); // the unit FF 82 it ends
    EXPECT_EQ(at(6).codePage, "");

    const TableFile table = ParseTable("41=A\n410A=[A]\n82A0=wide\n/FF=<end>\n", "t").table;
    EXPECT_EQ(at(0, &table).table, "410A = [A]");
    EXPECT_EQ(at(2, &table).table, "82A0 = wide");
    EXPECT_EQ(at(4, &table).table, "FF = <end>");
    EXPECT_EQ(at(1, &table).table, "");
}

} // namespace
} // namespace byteloom
