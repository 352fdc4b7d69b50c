#include "support/documents.h"
#include "tables/script_dump.h"
#include "tables/table_parser.h"
#include "view/code_page_list.h"
#include "view/row_layout.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

class RowLayoutTest : public testing::Test
{
protected:
    RowLayout Row(const std::vector<std::uint8_t> &bytes,
                  std::int64_t offset = 0,
                  int carry = 0,
                  TableFile *table = nullptr)
    {
        document = test::DocumentOf(bytes);
        RowSource source{*document, display, table, codePages, decoder, selection, differences};
        return BuildRow(source, offset, carry);
    }

    static std::vector<std::string> Texts(const RowLayout &row)
    {
        std::vector<std::string> texts;
        for (const TextCell &cell : row.text)
            texts.push_back(cell.marker == Marker::Newline     ? "{NL}"
                            : cell.marker == Marker::EndString ? "{END}"
                                                               : cell.text);
        return texts;
    }

    DisplaySettings display;
    TextDecoder decoder;
    CodePageList codePages = CodePageList::Enumerate(decoder);
    Selection selection;
    std::vector<DifferenceRun> differences;
    std::unique_ptr<Document> document;
};

using Strings = std::vector<std::string>;

// The view, a dump and Copy String read every offset through the same subtable, whatever rows
// were laid out before.
TEST_F(RowLayoutTest, TheViewADumpAndCopyStringAgreeOnSubtables)
{
    TableFile table = ParseTable("41=A\n42=B\n4142=[AB]\nsubtable=E0\nstart=13\nend=1C\n41=a\n"
                                 "42=b\nsubtableend=E1\n",
                                 "s")
                          .table;
    std::vector<std::uint8_t> bytes(0x30);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = (i * 7) % 3 == 0 ? 0x42 : 0x41;
    document = test::DocumentOf(bytes);
    RowSource source{*document, display, &table, codePages, decoder, selection};
    (void)BuildRow(source, 0x20, 1); // a row drawn first, as after a scroll
    std::string shown;
    int carry = 0;
    for (std::int64_t row = 0; row < 0x30; row += 16) {
        const RowLayout layout = BuildRow(source, row, carry);
        for (const TextCell &cell : layout.text)
            shown += cell.text;
        carry = layout.carryOut;
    }
    std::string dumped;
    ASSERT_TRUE(DumpScript(*document, &table, {0, 0x30}, true, [&](std::string_view piece) {
                    dumped += piece;
                    return Status::Ok();
                }).ok());
    EXPECT_EQ(dumped, shown);
    EXPECT_EQ(CopyStringText(*document, &table, 0, 0x30), shown);
    EXPECT_NE(shown.find("ab"), std::string::npos);
}

TEST_F(RowLayoutTest, HexColumnGroupsColoursAndShortRows)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 16; ++i)
        bytes.push_back(static_cast<std::uint8_t>(i * 0x11));
    display.grouping = 4;
    RowLayout row = Row(bytes);
    EXPECT_EQ(HexColumnText(row, 4), "00112233 44556677 8899aabb ccddeeff");
    EXPECT_FALSE(row.hex[3].evenGroup);
    EXPECT_TRUE(row.hex[4].evenGroup);
    EXPECT_EQ(row.hex[3].text, "33 ");
    EXPECT_EQ(row.hex[15].text, "ff");

    display.grouping = 3; // no such grouping: taken as 2
    row = Row({1, 2, 3, 4, 5});
    EXPECT_EQ(HexColumnText(row, EffectiveGrouping(display)),
              "0102 0304 05                           ");
    EXPECT_EQ(row.byteCount, 5);
    display.grouping = 1;
    EXPECT_EQ(HexColumnText(Row({0xAB}), 1).size(), 47u);
    EXPECT_TRUE(Row({1, 2}).hex[0].text.ends_with(' '));
}

TEST_F(RowLayoutTest, SelectionsCoverTheSmallerEndUpToTheLarger)
{
    selection = {5, 2, true}; // made backwards
    const RowLayout row = Row(std::vector<std::uint8_t>(16, 0x41));
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(row.hex[static_cast<std::size_t>(i)].selected, i >= 2 && i < 5) << i;
    selection = {3, 3, true};
    EXPECT_FALSE(Row({1, 2, 3, 4}).hex[3].selected);
}

// A compared file's differences colour both columns, runs that start in an earlier row included.
TEST_F(RowLayoutTest, DifferencesMarkTheirBytesInTheRowsTheyReach)
{
    differences = {{2, 1, 0}, {14, 4, 0}, {20, 1, 0}, {31, 9, 2}};
    const std::vector<std::uint8_t> bytes(40, 0x41);
    std::vector<int> marked;
    for (const std::int64_t offset : {0, 16, 32}) {
        const RowLayout row = Row(bytes, offset);
        for (int i = 0; i < row.byteCount; ++i) {
            const auto at = static_cast<std::size_t>(i);
            EXPECT_EQ(row.hex[at].differs, row.text[at].differs);
            if (row.hex[at].differs)
                marked.push_back(static_cast<int>(offset) + i);
        }
    }
    EXPECT_EQ(marked,
              (std::vector<int>{2, 14, 15, 16, 17, 20, 31, 32, 33, 34, 35, 36, 37, 38, 39}));
}

TEST_F(RowLayoutTest, DefaultCodePageShowsPrintableBytes)
{
    const RowLayout row = Row({0x41, 0x00, 0x7E, 0x2D, 0x20, 0xE9, 0x81, 0x0A});
    EXPECT_EQ(Texts(row), (Strings{"A", ".", "~", "-", " ", "é", ".", "."}));
    EXPECT_EQ(row.font, TextFont::Default);
}

TEST_F(RowLayoutTest, UnicodeInEitherByteOrder)
{
    display.unicodeText = true;
    RowLayout row = Row({0x41, 0x00, 0x42, 0x30, 0x43});
    EXPECT_EQ(Texts(row), (Strings{"", "A", "", "あ", ""}));
    EXPECT_TRUE(row.text[0].ZeroWidth());
    display.bigEndian = true;
    row = Row({0x00, 0x41});
    EXPECT_EQ(Texts(row), (Strings{"", "A"}));
}

TEST_F(RowLayoutTest, TablesDecodeLongestFirstWithMarkersAndCarry)
{
    TableFile table = ParseTable("41=A\n8140=wide\n/FF\n*FE\n818283=three\n", "t").table;
    RowLayout row = Row({0x81, 0x40, 0x41, 0xFF, 0xFE, 0x81, 0x41}, 0, 0, &table);
    EXPECT_EQ(Texts(row), (Strings{"", "wide", "A", "{END}", "{NL}", ".", "A"}));
    EXPECT_TRUE(row.text[0].ZeroWidth());
    EXPECT_EQ(row.font, TextFont::Table);

    // A three-byte entry from index 15 shows whole at the row's end; the next row, the last of
    // the document, starts after it.
    std::vector<std::uint8_t> bytes(15, 0x41);
    bytes.insert(bytes.end(), {0x81, 0x82, 0x83, 0x41});
    row = Row(bytes, 0, 0, &table);
    EXPECT_EQ(row.text[15].text, "three");
    EXPECT_EQ(row.carryOut, 2);
    RowSource source{*document, display, &table, codePages, decoder, selection};
    const RowLayout last = BuildRow(source, 16, row.carryOut);
    EXPECT_EQ(Texts(last), (Strings{"", "", "A"}));

    // Subtables follow the offsets they cover.
    TableFile ranged
        = ParseTable("41=A\nsubtable=80\nstart=2\nend=3\n41=a\nsubtableend=81\n", "s").table;
    EXPECT_EQ(Texts(Row({0x41, 0x41, 0x41, 0x41, 0x41}, 0, 0, &ranged)),
              (Strings{"A", "A", "a", "a", "A"}));

    // Texts of other code pages are converted.
    TableFile japanese = ParseTable(".codepage=932\n10=\x82\xa0\n", "j").table;
    EXPECT_EQ(Texts(Row({0x10}, 0, 0, &japanese)), (Strings{"あ"}));
}

TEST_F(RowLayoutTest, DoubleByteCodePagesJoinLeadBytes)
{
    display.defaultCodePage = false;
    display.codePageIndex = codePages.FindCodePageEntry(932);
    std::vector<std::uint8_t> bytes{0x82, 0xA0, 0x41};
    bytes.resize(15, 0x20);
    bytes.insert(bytes.end(), {0x82, 0xA2, 0x42});
    RowLayout row = Row(bytes);
    EXPECT_EQ(row.font, TextFont::CodePage);
    EXPECT_EQ(Texts(row)[0], "");
    EXPECT_EQ(Texts(row)[1], "あ");
    EXPECT_EQ(Texts(row)[2], "A");
    EXPECT_EQ(Texts(row)[15], "い"); // built with the next row's first byte...
    RowSource source{*document, display, nullptr, codePages, decoder, selection};
    EXPECT_EQ(Texts(BuildRow(source, 16, 0))[0], "."); // ...which shows again on its own

    // A stored index beyond the list shows the default code page.
    display.codePageIndex = 42;
    EXPECT_EQ(Row({0x82, 0xA0}).font, TextFont::Default);
}

} // namespace
} // namespace byteloom

#include "view/cell_edges.h"

namespace byteloom {
namespace {

// Every character is 10 pixels wide, whatever the font.
class FixedWidth : public TextMeasure
{
public:
    int HexWidth(std::string_view text) override { return 10 * static_cast<int>(text.size()); }
    int TextWidth(TextFont, std::string_view utf8) override
    {
        int characters = 0;
        for (const char c : utf8)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        return 10 * characters;
    }
};

TEST_F(RowLayoutTest, CellEdgesLetEveryByteBeReached)
{
    TableFile table = ParseTable("8140=wide\n41=A\n/FF\n", "t").table;
    FixedWidth measure;
    const RowLayout row = Row({0x81, 0x40, 0x41, 0xFF}, 0, 0, &table);
    const CellEdges cells = BuildCellEdges(row, 2, measure);
    EXPECT_EQ(cells.Left(0), 100);                     // "00000000  "
    EXPECT_EQ(cells.Right(0), 120);                    // "81"
    EXPECT_EQ(cells.Right(1), 150);                    // "40 "
    EXPECT_EQ(cells.hexRight, 100 + 16 * 20 + 7 * 10); // a short row keeps a full row's width
    EXPECT_EQ(cells.Left(16), cells.hexRight + 10);
    EXPECT_EQ(cells.Right(16), cells.Left(16));      // the entry's first byte: zero width
    EXPECT_EQ(cells.Right(17), cells.Left(17) + 40); // "wide"
    EXPECT_EQ(cells.Right(19) - cells.Left(19), kMarkerWidth);
    EXPECT_EQ(cells.Right(20), cells.Left(20)); // no byte there
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// A linked entry's cell shows its text and its parameter bytes, carried into the next row too.
TEST_F(RowLayoutTest, ALinkedEntryShowsItsParameterBytes)
{
    TableFile table = ParseTable("$0500=<Color>,1\n41=A\n", "l").table;
    std::vector<std::uint8_t> bytes(32, 0x41);
    bytes[0] = 0x05;
    bytes[1] = 0x00;
    bytes[2] = 0x03;
    bytes[15] = 0x05;
    bytes[16] = 0x00;
    bytes[17] = 0x1F;
    RowLayout row = Row(bytes, 0, 0, &table);
    EXPECT_EQ(row.text[2].text, "<Color><$03>");
    EXPECT_TRUE(row.text[0].ZeroWidth());
    EXPECT_EQ(row.text[15].text, "<Color><$1F>");
    EXPECT_EQ(row.carryOut, 2);
}

} // namespace
} // namespace byteloom
