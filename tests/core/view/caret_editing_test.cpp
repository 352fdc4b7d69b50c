#include "document/undo_journal.h"
#include "session/editing.h"
#include "support/documents.h"
#include "tables/table_parser.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

class CaretEditingTest : public testing::Test
{
protected:
    void Open(std::int64_t size)
    {
        document = test::DocumentOf(std::vector<std::uint8_t>(static_cast<std::size_t>(size), 0));
        view.size = size;
    }

    std::unique_ptr<Document> document;
    UndoJournal journal;
    CaretState caret;
    CaretView view{0, 4, {}};
};

TEST_F(CaretEditingTest, ArrowsMoveScrollAndExtendTheSelection)
{
    Open(0x100);
    ClickCaret(caret, 0, 10);
    // Shift+Right makes a selection, so the commands that need one follow it.
    EXPECT_EQ(MoveCaret(caret, view, CaretKey::Right, true, false), SelectionEffect::Made);
    EXPECT_EQ(caret.selection.anchor, 10);
    EXPECT_EQ(caret.selection.end, 11);
    EXPECT_TRUE(caret.selection.active);
    EXPECT_EQ(MoveCaret(caret, view, CaretKey::Left, false, false), SelectionEffect::Dropped);
    EXPECT_EQ(caret.Offset(), 10);
    EXPECT_FALSE(caret.selection.active);

    // Past the window's last row the view scrolls; at the first byte nothing moves.
    PlaceCaret(caret, view, 0x3F, false);
    MoveCaret(caret, view, CaretKey::Right, false, false);
    EXPECT_EQ(caret.Offset(), 0x40);
    EXPECT_EQ(caret.topRow, 1);
    EXPECT_EQ(caret.row, 3);
    PlaceCaret(caret, view, 0, true);
    MoveCaret(caret, view, CaretKey::Left, false, false);
    MoveCaret(caret, view, CaretKey::Up, false, false);
    EXPECT_EQ(caret.Offset(), 0);
    EXPECT_EQ(caret.column, 16);

    // Down stays inside the file.
    Open(0x18);
    PlaceCaret(caret, view, 0x0A, false);
    MoveCaret(caret, view, CaretKey::Down, false, false);
    EXPECT_EQ(caret.Offset(), 0x0A);
    PlaceCaret(caret, view, 0x05, false);
    MoveCaret(caret, view, CaretKey::Down, false, false);
    EXPECT_EQ(caret.Offset(), 0x15);
}

// Every way of selecting starts from the caret's byte, whatever an earlier selection left, and
// Go To drops the selection.
TEST_F(CaretEditingTest, SelectionsStartAtTheCaretAndFollowEveryShiftMove)
{
    Open(0x1000);
    SelectAll(caret, 0x1000);
    GoTo(caret, view, 0x200);
    EXPECT_FALSE(caret.selection.active);
    MoveCaret(caret, view, CaretKey::Right, true, false);
    EXPECT_EQ(SelectedSpan(caret.selection), (ByteRange{0x200, 1}));

    PlaceCaret(caret, view, 0x300, false); // a jump that leaves no selection behind
    caret.selection.active = false;
    EXPECT_EQ(MoveCaret(caret, view, CaretKey::PageDown, true, false), SelectionEffect::Made);
    EXPECT_EQ(caret.selection.anchor, 0x300);
    EXPECT_EQ(caret.selection.end, 0x340);
    EXPECT_EQ(MoveCaret(caret, view, CaretKey::End, true, false), SelectionEffect::Made);
    EXPECT_EQ(caret.selection.anchor, 0x300);
    EXPECT_EQ(caret.selection.end, 0x34F);

    ClickCaret(caret, 0, 2);
    EXPECT_EQ(ClickCaret(caret, 2, 5, true), SelectionEffect::Made);
    EXPECT_EQ(SelectedSpan(caret.selection).length, 0x23);

    // A drag held below the window scrolls a row a tick and selects on.
    const std::int64_t top = caret.topRow;
    DragPastEdge(caret, view, true, 7);
    DragPastEdge(caret, view, true, 7);
    EXPECT_EQ(caret.topRow, top + 2);
    EXPECT_EQ(caret.selection.end, (top + 2 + 3) * 16 + 7);
    PlaceCaret(caret, view, 0, false);
    EXPECT_EQ(DragPastEdge(caret, view, false, 0), SelectionEffect::Made);
    EXPECT_EQ(caret.topRow, 0);

    // A UTF-16 caret in the text column stands on a unit's first byte.
    PlaceCaret(caret, view, 0x25, true);
    AlignTextCaretToUnit(caret, 2);
    EXPECT_EQ(caret.Offset(), 0x24);
    PlaceCaret(caret, view, 0x25, false);
    AlignTextCaretToUnit(caret, 2);
    EXPECT_EQ(caret.Offset(), 0x25); // the hex column has no units
}

TEST_F(CaretEditingTest, TwoByteCharactersAreOneStep)
{
    Open(0x40);
    view.startsPair = [](std::int64_t offset) {
        return offset % 2 == 0;
    };
    PlaceCaret(caret, view, 4, true);
    MoveCaret(caret, view, CaretKey::Right, false, false);
    EXPECT_EQ(caret.Offset(), 6);
    MoveCaret(caret, view, CaretKey::Left, false, false);
    EXPECT_EQ(caret.Offset(), 4);
    view.startsPair = [](std::int64_t offset) {
        return offset == 0x14;
    };
    PlaceCaret(caret, view, 0x05, true);
    MoveCaret(caret, view, CaretKey::Down, false, false);
    EXPECT_EQ(caret.Offset(), 0x14); // not onto the character's second byte
    PlaceCaret(caret, view, 0x25, true);
    MoveCaret(caret, view, CaretKey::Up, false, false);
    EXPECT_EQ(caret.Offset(), 0x16);
}

TEST_F(CaretEditingTest, HomeEndAndPages)
{
    Open(0x1000);
    PlaceCaret(caret, view, 0x125, true);
    EXPECT_EQ(MoveCaret(caret, view, CaretKey::Home, true, false), SelectionEffect::Made);
    EXPECT_EQ(caret.column, 16);
    EXPECT_EQ(caret.selection.end, 0x120);
    MoveCaret(caret, view, CaretKey::End, false, true);
    EXPECT_EQ(caret.topRow, 0xFF);
    EXPECT_EQ(caret.selection.anchor, 0x1000);
    MoveCaret(caret, view, CaretKey::Home, true, true);
    EXPECT_EQ(caret.topRow, 0);
    EXPECT_EQ(caret.selection.end, 0);
    EXPECT_TRUE(caret.selection.active);
    MoveCaret(caret, view, CaretKey::PageDown, false, false);
    EXPECT_EQ(caret.topRow, 4);
    MoveCaret(caret, view, CaretKey::PageUp, false, false);
    MoveCaret(caret, view, CaretKey::PageUp, false, false);
    EXPECT_EQ(caret.topRow, 0);
}

TEST_F(CaretEditingTest, HexDigitsTypeNibblesAndRecordEachDigit)
{
    Open(0x20);
    PlaceCaret(caret, view, 0, false);
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, '4'));
    EXPECT_EQ(document->ReadByte(0), 0x40);
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, '1'));
    EXPECT_EQ(document->ReadByte(0), 0x41);
    EXPECT_EQ(caret.Offset(), 1);
    EXPECT_EQ(journal.UndoCount(), 2u);
    EXPECT_EQ(journal.Newest().oldBytes, std::vector<std::uint8_t>{0x40});

    // A stray character resets the nibble: the next digit is a high nibble again.
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, 'f'));
    EXPECT_FALSE(TypeHexDigit(caret, view, *document, journal, 'x'));
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, 'A'));
    EXPECT_EQ(document->ReadByte(1), 0xA0);

    // The last byte's second digit moves the caret past it; nothing is typed there.
    PlaceCaret(caret, view, 0x1F, false);
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, '7'));
    EXPECT_TRUE(TypeHexDigit(caret, view, *document, journal, '8'));
    EXPECT_EQ(caret.Offset(), 0x20);
    EXPECT_FALSE(TypeHexDigit(caret, view, *document, journal, '9'));
    EXPECT_EQ(document->ReadByte(0x1F), 0x78);
    EXPECT_EQ(document->Size(), 0x20);

    // Typing on the window's last row scrolls the view: screens of digits land in order.
    Open(0x400);
    PlaceCaret(caret, view, 0, false);
    for (int i = 0; i < 0x100; ++i) {
        const char digits[] = "0123456789abcdef";
        ASSERT_TRUE(TypeHexDigit(caret, view, *document, journal, digits[i / 16]));
        ASSERT_TRUE(TypeHexDigit(caret, view, *document, journal, digits[i % 16]));
    }
    for (int i = 0; i < 0x100; ++i)
        ASSERT_EQ(document->ReadByte(i), i);
    EXPECT_EQ(caret.Offset(), 0x100);
    EXPECT_EQ(caret.row, view.visibleRows - 1);
}

TEST_F(CaretEditingTest, TextAndTableEntryWriteInsideTheDocument)
{
    Open(0x20);
    PlaceCaret(caret, view, 0x0F, true);
    const std::uint8_t letter[] = {'Z'};
    EXPECT_TRUE(TypeTextBytes(caret, view, *document, journal, letter));
    EXPECT_EQ(document->ReadByte(0x0F), 'Z');
    EXPECT_EQ(caret.Offset(), 0x10);
    EXPECT_EQ(caret.column, 16);

    const TableFile table = ParseTable("41=A\n8140=ab\n2A=*\n", "t").table;
    PlaceCaret(caret, view, 0x1C, true);
    int unencoded = 0;
    EXPECT_TRUE(TypeTableText(caret, view, *document, journal, table, "ab\r\n?AA!AA", &unencoded));
    EXPECT_EQ(unencoded, 2); // said in the status bar
    EXPECT_EQ(document->ReadByte(0x1C), 0x81);
    EXPECT_EQ(document->ReadByte(0x1D), 0x40);
    EXPECT_EQ(document->ReadByte(0x1E), 0x2A);
    EXPECT_EQ(document->ReadByte(0x1F), 0x41);
    EXPECT_EQ(caret.Offset(), 0x20); // past the last byte: the next entry writes nothing
    EXPECT_FALSE(TypeTableText(caret, view, *document, journal, table, "A"));
    EXPECT_EQ(document->Size(), 0x20);
    ASSERT_TRUE(journal.Undo(*document));
    EXPECT_EQ(document->ReadByte(0x1C), 0);
}

// Plain text from other programs: hex pairs into the hex column, table text through the
// subtable where it lands, otherwise the characters in the text mode.
TEST_F(CaretEditingTest, PlainTextPastesAsHexPairsTableTextOrCharacters)
{
    DisplaySettings display;
    TextDecoder decoder;
    const CodePageList codePages = CodePageList::Enumerate(decoder);
    const TextEncoding encoding{display, codePages, decoder};
    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(HexPairBytes("41 42\r\n4344"), (Bytes{0x41, 0x42, 0x43, 0x44}));
    EXPECT_FALSE(HexPairBytes("4 142"));
    EXPECT_FALSE(HexPairBytes("414"));
    EXPECT_FALSE(HexPairBytes("Hi"));

    int leftOut = 0;
    const auto paste = [&](std::string_view text, const TableFile *table) {
        return PlainTextPasteBytes(text, caret, table, encoding, leftOut);
    };
    Open(0x40);
    PlaceCaret(caret, view, 0x10, false);
    EXPECT_EQ(paste("00ff", nullptr), (Bytes{0x00, 0xFF}));
    EXPECT_EQ(paste("Hi", nullptr), (Bytes{'H', 'i'}));
    const TableFile table
        = ParseTable("01=a\nsubtable=80\nstart=10\nend=1F\n02=a\nsubtableend=81\n", "t").table;
    PlaceCaret(caret, view, 0x10, true);
    EXPECT_EQ(paste("aa", &table), (Bytes{0x02, 0x02}));
    PlaceCaret(caret, view, 0x20, true);
    EXPECT_EQ(paste("aa", &table), (Bytes{0x01, 0x01}));
    // A character the table's code page cannot hold is left out, and counted.
    EXPECT_EQ(paste("a\xE2\x9C\x93"
                    "a",
                    &table),
              (Bytes{0x01, 0x01}));
    EXPECT_EQ(leftOut, 1);
    EXPECT_EQ(paste("00", nullptr), (Bytes{'0', '0'}));
    // In the Unicode modes the column is UTF-16, table or not.
    display.unicodeText = true;
    EXPECT_EQ(paste("A", nullptr), (Bytes{'A', 0}));
    EXPECT_EQ(paste("a", &table), (Bytes{'a', 0}));

    // A UTF-16 character typed on a unit's second byte fills that whole unit.
    PlaceCaret(caret, view, 0x21, true);
    const std::uint8_t unit[] = {'Z', 0};
    EXPECT_TRUE(TypeTextBytes(caret, view, *document, journal, unit, 2));
    EXPECT_EQ(document->ReadByte(0x20), 'Z');
    EXPECT_EQ(caret.Offset(), 0x22);
}

TEST_F(CaretEditingTest, PasteInsertsOrOverwritesAndCutShrinksEachAsOneUndoStep)
{
    Open(10);
    PlaceCaret(caret, view, 2, false);
    caret.overwrite = false;
    const std::uint8_t data[] = {1, 2, 3, 4};
    EXPECT_TRUE(PasteBytes(caret, *document, journal, data));
    EXPECT_EQ(document->Size(), 14);
    EXPECT_EQ(document->ReadByte(2), 1);
    EXPECT_EQ(document->ReadByte(5), 4);

    caret.overwrite = true;
    PlaceCaret(caret, view, 12, false);
    EXPECT_TRUE(PasteBytes(caret, *document, journal, data));
    EXPECT_EQ(document->Size(), 14);
    EXPECT_EQ(document->ReadByte(13), 2);

    caret.selection = {3, 0, true};
    const auto cut = CutSelection(caret, *document, journal);
    EXPECT_EQ(cut, (std::vector<std::uint8_t>{0, 0, 1}));
    EXPECT_EQ(document->Size(), 11);
    EXPECT_FALSE(caret.selection.active);
    EXPECT_EQ(caret.Offset(), 0); // where the bytes were, for what is typed next

    // Three steps back give the ten zero bytes again.
    ASSERT_EQ(journal.UndoCount(), 3u);
    while (journal.Undo(*document)) {
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document->Size()));
    (void)document->ReadBlock(0, bytes);
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(10, 0));
}

TEST_F(CaretEditingTest, SelectLineGoToAndHitTesting)
{
    // After Undo the caret stands on the restored bytes, or on the last byte when they went.
    EXPECT_EQ(CaretAfterRestore({0x20, 4}, 0x100), 0x20);
    EXPECT_EQ(CaretAfterRestore({0x100, 0x80}, 0x100), 0xFF);

    Open(0x300);
    ClickCaret(caret, 1, 3);
    EXPECT_EQ(DragCaret(caret, 2, 20), SelectionEffect::Made);
    EXPECT_EQ(caret.selection.anchor, 0x13);
    EXPECT_EQ(caret.selection.end, 0x24);
    GoTo(caret, view, 0x1A2);
    EXPECT_EQ(caret.topRow, 0x1A);
    EXPECT_EQ(caret.column, 2);
    EXPECT_EQ(caret.Offset(), 0x1A2);
    SelectLine(caret);
    EXPECT_EQ(caret.selection.anchor, 0x1A0);
    EXPECT_EQ(caret.selection.end, 0x1B0);
    SelectAll(caret, 0x300);
    EXPECT_EQ(SelectedSpan(caret.selection).End(), 0x300);

    CellEdges cells;
    for (int i = 0; i <= 32; ++i)
        cells.edges[static_cast<std::size_t>(i)] = 100 + 10 * i;
    cells.edges[17] = cells.edges[16];            // text cell 0 has zero width
    EXPECT_EQ(HitTestColumn(cells, 5, 10, 0), 0); // the offset column
    EXPECT_EQ(HitTestColumn(cells, 125, 10, 0), 2);
    EXPECT_EQ(HitTestColumn(cells, 275, 10, 0), 16); // the glyph of a pair: its first byte
    EXPECT_EQ(HitTestColumn(cells, 5000, 10, 0), 31);
    EXPECT_EQ(HitTestColumn(cells, 105, 10, 2), 2); // scrolled two characters
}

} // namespace
} // namespace byteloom
