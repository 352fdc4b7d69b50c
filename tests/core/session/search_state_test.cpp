#include "document/document.h"
#include "session/editing.h"
#include "session/search_state.h"
#include "support/documents.h"
#include "tables/loaded_tables.h"
#include "tables/table_parser.h"
#include "view/caret_state.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

class SearchStateTest : public testing::Test
{
protected:
    PreparedFind Confirm(std::string_view typed, const TableFile *table = nullptr)
    {
        return ConfirmFind(state, typed, table, 0, {display, codePages, decoder});
    }

    SearchState state;
    DisplaySettings display;
    TextDecoder decoder;
    CodePageList codePages = CodePageList::Enumerate(decoder);
};

TEST_F(SearchStateTest, TheOptionListFollowsTheModesAndKeepsTheChoices)
{
    OpenFindDialog(state);
    OptionList list = OptionListFor(state);
    EXPECT_EQ(list.label, "Character Set:");
    EXPECT_EQ(list.items, (std::vector<std::string>{"EBCDIC", "Unicode", "ASCII(7-bit)"}));
    EXPECT_EQ(list.preselected, 2); // "ASCII" begins "ASCII(7-bit)"

    ChooseSearchType(state, SearchType::Relative, "unicode");
    list = OptionListFor(state);
    EXPECT_EQ(list.label, "Font Table Layout:");
    EXPECT_EQ(list.items.front(), "Low-Num-Caps");
    EXPECT_EQ(list.items[static_cast<std::size_t>(list.preselected)], "Caps-Low-Num");
    ChooseInputType(state, InputType::Hex, "num-caps");
    EXPECT_FALSE(OptionListFor(state).shown);
    EXPECT_TRUE(state.optionsHidden);
    ChooseSearchType(state, SearchType::Value, "ignored in hex mode");
    EXPECT_FALSE(OptionListFor(state).shown);
    ChooseInputType(state, InputType::Text, "");
    EXPECT_EQ(
        OptionListFor(state).items[static_cast<std::size_t>(OptionListFor(state).preselected)],
        "Unicode");
    ChooseSearchType(state, SearchType::Relative, "Unicode");
    EXPECT_EQ(
        OptionListFor(state).items[static_cast<std::size_t>(OptionListFor(state).preselected)],
        "Num-Caps-Low");

    // Hex + Relative is forgotten when the dialog opens again.
    ChooseInputType(state, InputType::Hex, "");
    OpenFindDialog(state);
    EXPECT_EQ(OptionListFor(state).label, "Character Set:");
}

TEST_F(SearchStateTest, ConfirmsPreparePatternsAndKeepTenHistoryEntries)
{
    // A refused hex text keeps the history and the last pattern; an accepted one is kept
    // without its spaces, and never twice in a row.
    state.inputType = InputType::Hex;
    EXPECT_EQ(Confirm("41 42").pattern->bytes, (Bytes{0x41, 0x42}));
    EXPECT_TRUE(Confirm("4142").pattern);
    EXPECT_EQ(state.history, std::vector<std::string>{"4142"});
    EXPECT_EQ(Confirm("414").message, "Please input a hex string with complete bytes");
    EXPECT_EQ(Confirm(" ").message, "Please input something to find"); // it would match anywhere
    EXPECT_EQ(state.lastPattern.bytes, (Bytes{0x41, 0x42}));

    state.inputType = InputType::Text;
    for (int i = 0; i < 12; ++i)
        (void)Confirm("word" + std::to_string(i));
    ASSERT_EQ(state.history.size(), 10u);
    EXPECT_EQ(state.history.front(), "word2");
    EXPECT_EQ(state.history.back(), "word11");

    // Text: wildcards, literal asterisks, and the text mode's bytes.
    EXPECT_EQ(Confirm("a\\\\*b*c").pattern->WildcardPositions(),
              (std::vector<bool>{false, false, false, false, true, false}));
    display.unicodeText = true;
    const SearchPattern units = *Confirm("A*").pattern;
    EXPECT_EQ(units.bytes, (Bytes{'A', 0, '*', '*'}));
    EXPECT_EQ(units.WildcardPositions(), (std::vector<bool>{false, false, true, true}));
    display.unicodeText = false;
    display.defaultCodePage = false;
    display.codePageIndex = codePages.FindCodePageEntry(932);
    EXPECT_EQ(Confirm("\xE3\x81\x82").pattern->bytes, (Bytes{0x82, 0xA0})); // hiragana a
    display.defaultCodePage = true;
    EXPECT_FALSE(Confirm("\xE3\x81\x82").pattern); // not in 1252
    EXPECT_NE(Confirm("\xE3\x81\x82").message.find("cannot be searched for in ASCII"),
              std::string::npos);

    // Through the table; Relative compares the characters' own codes.
    const TableFile table = ParseTable("80=A\n81=B\n2A=*\n", "t").table;
    EXPECT_EQ(Confirm("AB", &table).pattern->bytes, (Bytes{0x80, 0x81}));
    EXPECT_EQ(Confirm("A\\*", &table).pattern->WildcardPositions(),
              (std::vector<bool>{false, false}));
    EXPECT_FALSE(Confirm("AC", &table).pattern);
    state.searchType = SearchType::Relative;
    EXPECT_EQ(Confirm("AC", &table).relative->places,
              (std::vector<std::optional<std::int32_t>>{'A', 'C'}));
}

// Text typed into Find goes through a UTF-8 table as the characters they are.
TEST_F(SearchStateTest, TextIsFoundThroughAUtf8Table)
{
    LoadedTables tables;
    ASSERT_TRUE(
        LoadTableFile(RealFileSystem(),
                      std::filesystem::path(BYTELOOM_EXAMPLES_DIR) / "sample-japanese-utf8.tbl",
                      tables)
            .status.ok());
    const PreparedFind found
        = Confirm("\xE5\x9F\x8E\xE3\x81\xA7\xE5\xAE\x9D", tables.Current()); // 城で宝
    ASSERT_TRUE(found.pattern) << found.message;
    EXPECT_EQ(found.pattern->bytes, (Bytes{0x80, 0x01, 0x49, 0x80, 0x00}));
    Document document(kPageSize, RealFileSystem());
    ASSERT_EQ(
        document.Load(std::filesystem::path(BYTELOOM_EXAMPLES_DIR) / "sample.sfc", true).status,
        LoadStatus::Loaded);
    EXPECT_EQ(FindFromCaret(document, state, CaretState{}), 0x3009);
}

// Relative searches over 16-bit values in either byte order, and in an order of the user's own.
TEST_F(SearchStateTest, RelativeSearchesOfWideValuesAndCustomSequences)
{
    state.searchType = SearchType::Relative;
    state.relativeWidth = 2;
    const auto find = [&](Bytes bytes, std::string_view typed) {
        if (!Confirm(typed).Ready())
            return std::optional<std::int64_t>(-1);
        return FindFromCaret(*test::DocumentOf(std::move(bytes)), state, CaretState{});
    };
    EXPECT_EQ(find({0x20, 0x00, 0x21, 0x00, 0x22, 0x00}, "abc"), 0);
    EXPECT_EQ(LastMatchLength(state), 6);
    EXPECT_EQ(find({0x00, 0x20, 0x00, 0x21, 0x00, 0x22}, "abc"), std::nullopt);
    state.relativeBigEndian = true;
    EXPECT_EQ(find({0x00, 0x20, 0x00, 0x21, 0x00, 0x22}, "abc"), 0);
    EXPECT_EQ(find({0x07, 0x00, 0x20, 0x00, 0x21, 0x00, 0x22}, "ab*"), 1);

    // A kana row in its game order: "うえ" is the third and fourth of it.
    state.relativeWidth = 1;
    state.relativeSequence = CleanSequence("\xEF\xBB\xBF\xE3\x81\x82\xE3\x81\x84\r\n\xE3\x81\x86"
                                           "\xE3\x81\x88\xE3\x81\x8A");
    EXPECT_EQ(state.relativeSequence.size(), 15u);
    EXPECT_EQ(find({0x10, 0x12, 0x12, 0x13, 0x14}, "\xE3\x81\x86\xE3\x81\x88"), 2);
    EXPECT_EQ(find({0x00, 0x10, 0x11, 0x12, 0x13, 0x14},
                   "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A"),
              1);
    EXPECT_EQ(find({0x10, 0x11, 0x12, 0x13, 0x14}, "\xE3\x81\x8A\xE3\x81\x82"), std::nullopt);
    EXPECT_EQ(Confirm("\xE3\x81\x86x").message, "\"x\" is not in the sequence");
    // A sequence longer than 256 characters has places no byte can span.
    state.relativeSequence = std::string(300, '.') + "ab";
    EXPECT_EQ(find({0x00, 0x01}, "b."), std::nullopt);
}

TEST_F(SearchStateTest, FindAndFindNextSelectTheHitFromTheCaret)
{
    std::vector<std::uint8_t> bytes(0x400, 0);
    for (const std::size_t at : {std::size_t{0}, std::size_t{0x123}, std::size_t{0x300}}) {
        bytes[at] = 'a';
        bytes[at + 1] = 'b';
    }
    auto document = test::DocumentOf(bytes);
    const CaretView view{0x400, 8, {}};
    CaretState caret;
    ASSERT_TRUE(Confirm("ab").pattern);
    // A first search from offset 0 with nothing selected finds offset 0 itself.
    auto hit = FindFromCaret(*document, state, caret);
    ASSERT_EQ(hit, 0);
    ShowHit(caret, view, *hit, 2, HitInTextColumn(state, false, true));
    hit = FindFromCaret(*document, state, caret);
    ASSERT_EQ(hit, 0x123);
    ShowHit(caret, view, *hit, 2, HitInTextColumn(state, false, true));
    EXPECT_EQ(caret.topRow, 0x12);
    EXPECT_EQ(caret.row, 0);
    EXPECT_EQ(caret.column, 16 + 3);
    EXPECT_EQ(SelectedSpan(caret.selection), (ByteRange{0x123, 2}));
    // Hex input or a table puts the caret in the hex column; Find Next follows the table only.
    state.inputType = InputType::Hex;
    EXPECT_FALSE(HitInTextColumn(state, false, true));
    EXPECT_TRUE(HitInTextColumn(state, false, false));
    EXPECT_FALSE(HitInTextColumn(state, true, false));
    EXPECT_EQ(FindFromCaret(*document, state, caret), 0x300);
    caret.selection = {0x301, 0x301, false};
    PlaceCaret(caret, view, 0x301, false);
    EXPECT_FALSE(FindFromCaret(*document, state, caret));

    // A caret before its selection (a UTF-16 caret on a unit's first byte) does not find the
    // same hit again.
    PlaceCaret(caret, view, 0x122, true);
    caret.selection = {0x123, 0x125, true};
    EXPECT_EQ(FindFromCaret(*document, state, caret), 0x300);

    // Find Next keeps the engine of the last confirmed search: "BC" spaced as "ab", relative.
    state.searchType = SearchType::Relative;
    ASSERT_TRUE(Confirm("BC").relative);
    OpenFindDialog(state); // opened again and cancelled: it shows Value
    caret = CaretState();
    EXPECT_EQ(FindFromCaret(*document, state, caret), 0);
}

} // namespace
} // namespace byteloom
