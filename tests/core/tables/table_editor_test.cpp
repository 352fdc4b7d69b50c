#include "tables/table_codec.h"
#include "tables/table_editor.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"
#include "tables/text_file.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using Column = TableEditor::Column;
using Outcome = TableEditor::Outcome;

std::string Decoded(const TableFile &table, std::vector<std::uint8_t> bytes, int subtable = 0)
{
    return DecodeBytes(table, table.GetSubtable(subtable), bytes).entry->text;
}

// The Title field and the writer cut only the suffix loading added for the table's code page;
// OK with the field as shown changes nothing, and edits saved again and again keep the title.
TEST(TableEditor, TitlesKeepTheirTextThroughEditsAndSaves)
{
    EXPECT_EQ(BareTitle("Menus (932)", 932), "Menus");
    EXPECT_EQ(BareTitle("game (J).tbl", 1252), "game (J).tbl");
    EXPECT_EQ(BareTitle("Game (1996)", 1252), "Game (1996)");
    EXPECT_EQ(BareTitle("odd (932", 932), "odd (932");

    TableFile table = ParseTable("41=A\n", "game (J).tbl").table;
    EXPECT_NE(FormatTableFile(table).find(".title=game (J).tbl\r\n"), std::string::npos);
    table = ParseTable(".title=Menus\n.codepage=932\n41=A\n", "m.tbl").table;
    EXPECT_NE(FormatTableFile(table).find(".title=Menus\r\n"), std::string::npos);

    // OK with nothing changed: the same table, not offered for saving.
    const TableFile same = TableEditor(table).Result(BareTitle(table.GetTitle(), 932), 932);
    EXPECT_EQ(same.GetTitle(), "Menus (932)");
    EXPECT_FALSE(same.IsModified());
    // Another code page renames the suffix, as a later code page line would.
    EXPECT_EQ(TableEditor(table).Result("Menus", 936).GetTitle(), "Menus (936)");
    EXPECT_TRUE(TableEditor(table).Result("Menus", 936).IsModified());

    // A typed title that itself ends in "(digits)" survives three rounds of saving and loading.
    TableFile round = TableEditor(table).Result("Game (1996)", 932);
    for (int i = 0; i < 3; ++i) {
        const std::string text = FormatTableFile(round);
        EXPECT_NE(text.find(".title=Game (1996)\r\n"), std::string::npos) << text;
        const TableFile loaded = ParseTable(TextFromStoredBytes(text), "m.tbl").table;
        EXPECT_EQ(loaded.GetTitle(), round.GetTitle());
        round = TableEditor(loaded).Result(BareTitle(loaded.GetTitle(), 932), 932);
    }

    EXPECT_EQ(CodePageChoices(1252, {874, 932, 936}), (std::vector<int>{874, 932, 936, 1252}));
    EXPECT_EQ(CodePageChoices(932, {932, 874}), (std::vector<int>{874, 932}));
    int codePage = 0;
    const auto available = [](int number) {
        return number != 7777;
    };
    EXPECT_FALSE(ReadCodePageField("932", available, codePage));
    EXPECT_EQ(codePage, 932);
    EXPECT_TRUE(ReadCodePageField("", available, codePage));
    EXPECT_TRUE(ReadCodePageField("93x", available, codePage));
    EXPECT_EQ(ReadCodePageField("7777", available, codePage),
              "Code page 7777 is not available on this system");
    EXPECT_EQ(codePage, 932);
}

TEST(TableEditor, EachCellCommitFollowsItsRule)
{
    const TableFile table = ParseTable("61=a\n8140=wide\n/FF\n", "t.tbl").table;
    TableEditor editor(table);
    ASSERT_EQ(editor.RowCount(), 4); // three entries, keys ascending, then the empty row
    EXPECT_EQ(KeyCellText(editor.KeyAt(2)), "8140");
    EXPECT_EQ(editor.TextAt(0), "a");
    EXPECT_TRUE(editor.IsEmptyRow(3));

    // The empty row: a key adds an entry with an empty text as the last row.
    EXPECT_EQ(editor.Commit(3, Column::Key, "41").kind, Outcome::Changed);
    ASSERT_EQ(editor.RowCount(), 5);
    EXPECT_EQ(editor.KeyAt(3), 0x41u);
    EXPECT_EQ(editor.TextAt(3), "");
    // A text adds one with the key 0; a second one would repeat that key.
    EXPECT_EQ(editor.Commit(4, Column::Text, "zero\rignored").kind, Outcome::Changed);
    EXPECT_EQ(editor.TextAt(4), "zero");
    const Outcome repeated = editor.Commit(5, Column::Text, "again");
    EXPECT_EQ(repeated.kind, Outcome::Refused);
    EXPECT_EQ(repeated.message, "The key 00 is already in this subtable");

    // Keys that are not hexadecimal are refused with the reason; empty input and unchanged
    // values change nothing.
    for (const char *input : {"G1", "41 ", "-1"}) {
        const Outcome refused = editor.Commit(0, Column::Key, input);
        EXPECT_EQ(refused.kind, Outcome::Refused) << input;
        EXPECT_EQ(refused.message, "A key is written in hexadecimal digits (0-9, A-F)");
    }
    EXPECT_EQ(editor.Commit(0, Column::Key, "").kind, Outcome::Unchanged);
    EXPECT_EQ(editor.Commit(0, Column::Text, "").kind, Outcome::Unchanged);
    EXPECT_EQ(editor.Commit(0, Column::Text, "a").kind, Outcome::Unchanged);
    EXPECT_EQ(editor.Commit(0, Column::Key, "0061").kind, Outcome::Unchanged);
    EXPECT_EQ(editor.Commit(0, Column::Key, "100000000").kind, Outcome::Refused);
    EXPECT_EQ(editor.Commit(0, Column::Key, "8140").kind, Outcome::Refused);
    EXPECT_EQ(editor.KeyAt(0), 0x61u);

    // A key or text changes in place: the row stays where it is.
    EXPECT_EQ(editor.Commit(0, Column::Key, "62").kind, Outcome::Changed);
    EXPECT_EQ(editor.Commit(0, Column::Text, "b").kind, Outcome::Changed);
    EXPECT_EQ(editor.KeyAt(0), 0x62u);
    EXPECT_FALSE(editor.RemoveRow(editor.RowCount() - 1));
    EXPECT_TRUE(editor.RemoveRow(2)); // 8140
    EXPECT_EQ(editor.RowCount(), 5);

    // Until OK the table is as it was: nothing of the above is in it.
    EXPECT_FALSE(table.IsModified());
    EXPECT_EQ(Decoded(table, {0x61}), "a");
    EXPECT_EQ(Decoded(table, {0x81, 0x40}), "wide");

    // OK: every lookup sees the edits at once, and the table is marked changed.
    const TableFile result = editor.Result("", table.GetCodePage());
    EXPECT_TRUE(result.IsModified());
    EXPECT_EQ(result.GetTitle(), "t.tbl");
    EXPECT_EQ(Decoded(result, {0x62}), "b");
    EXPECT_EQ(Decoded(result, {0x41}), "");
    EXPECT_EQ(Decoded(result, {0x00}), "zero");
    EXPECT_EQ(Decoded(result, {0x81, 0x40}), ".");
    EXPECT_EQ(Decoded(result, {0x61}), ".");
    EXPECT_EQ(result.GetMaxKeyBytes(), 1);
    EXPECT_EQ(EncodeText(result, "bzero", 0), (std::vector<std::uint8_t>{0x62, 0x00}));
}

TEST(TableEditor, ANewSubtableDecodesItsRanges)
{
    NewSubtableFields fields;
    EXPECT_EQ(AddRangeFromFields(fields), "Please input a start range");
    fields.rangeStart = "100";
    EXPECT_EQ(AddRangeFromFields(fields), "Please input an end range");
    fields.rangeEnd = "xyz";
    EXPECT_TRUE(AddRangeFromFields(fields));
    fields.rangeEnd = "ff";
    EXPECT_EQ(AddRangeFromFields(fields), "The range's end comes before its start");
    fields.rangeEnd = "1ff";
    EXPECT_FALSE(AddRangeFromFields(fields));
    EXPECT_TRUE(fields.rangeStart.empty() && fields.rangeEnd.empty());
    fields.rangeStart = "400";
    fields.rangeEnd = "4FF";
    EXPECT_FALSE(AddRangeFromFields(fields));
    ASSERT_EQ(fields.ranges.size(), 2u);
    EXPECT_EQ(RangeBoundText(fields.ranges[1].high), "000004ff");
    // Ranges past 4 GiB, in the images of disc-based games.
    fields.rangeStart = "123456780";
    fields.rangeEnd = "12345FFFF";
    EXPECT_FALSE(AddRangeFromFields(fields));
    ASSERT_EQ(fields.ranges.size(), 3u);
    EXPECT_EQ(fields.ranges[2].low, 0x123456780);
    EXPECT_EQ(RangeBoundText(fields.ranges[2].high), "12345ffff");
    fields.rangeStart = "10000000000000000";
    fields.rangeEnd = "10000000000000001";
    EXPECT_EQ(AddRangeFromFields(fields),
              "The range's start must be a hexadecimal number of at most 16 digits");
    fields.ranges.pop_back();

    NewSubtable triggers;
    EXPECT_EQ(ReadNewSubtable(fields, triggers), "Please input a start trigger");
    fields.startTrigger = "E0";
    EXPECT_EQ(ReadNewSubtable(fields, triggers), "Please input an end trigger");
    fields.endTrigger = "E1";
    ASSERT_FALSE(ReadNewSubtable(fields, triggers));

    const TableFile table = ParseTable("41=A\nsubtable=c0\nsubtableend=c1\n", "t.tbl").table;
    TableEditor editor(table);
    EXPECT_EQ(editor.SubtableNames(), (std::vector<std::string>{"Main", "C0"}));
    EXPECT_EQ(editor.AddSubtable(0xC0, 0xC1, {}),
              "A subtable with the start trigger C0 is already in this table");
    EXPECT_FALSE(editor.AddSubtable(triggers.startTrigger, triggers.endTrigger, fields.ranges));
    EXPECT_EQ(editor.SubtableNames().back(), "E0");
    EXPECT_EQ(editor.ShownSubtable(), 2);
    ASSERT_EQ(editor.RowCount(), 1);
    ASSERT_EQ(editor.Commit(0, Column::Key, "41").kind,
              Outcome::Changed); // Main's key is free here
    ASSERT_EQ(editor.Commit(0, Column::Text, "sub").kind, Outcome::Changed);

    const TableFile result = editor.Result("", 1252);
    ASSERT_EQ(result.SubtableCount(), 2);
    EXPECT_EQ(result.GetSubtable(2).startTrigger, 0xE0u);
    EXPECT_EQ(result.GetSubtable(2).endTrigger, 0xE1u);
    for (const std::int64_t offset : {0x100, 0x1FF, 0x400, 0x4FF})
        EXPECT_EQ(result.FindSubtableForOffset(offset), 2) << offset;
    for (const std::int64_t offset : {0xFF, 0x200, 0x3FF, 0x500})
        EXPECT_EQ(result.FindSubtableForOffset(offset), 0) << offset;
    EXPECT_EQ(Decoded(result, {0x41}, 2), "sub");
    EXPECT_EQ(Decoded(result, {0x41}, 0), "A");
}

// OK without a change gives back the very table: the same file text and the same answer to
// every lookup, repeated keys and texts included (the first of them still wins).
TEST(TableEditor, OkWithoutChangesKeepsEveryLookupOfRandomTables)
{
    std::mt19937 random(13);
    for (int round = 0; round < 300; ++round) {
        std::string text = ".codepage=932\n.title=R\n";
        const int entries = 1 + static_cast<int>(random() % 60);
        const auto addEntries = [&](int count) {
            for (int i = 0; i < count; ++i) {
                const int width = 1 + static_cast<int>(random() % 2);
                const auto key = static_cast<unsigned>(random() % (width == 1 ? 0x20 : 0x10));
                char line[32];
                std::snprintf(line,
                              sizeof line,
                              width == 1 ? "%02X=%c\n" : "81%02X=%c\n",
                              key,
                              static_cast<char>('a' + random() % 6));
                text += line;
            }
        };
        addEntries(entries);
        text += "subtable=e0\nstart=10\nend=2f\n";
        addEntries(entries / 2);
        text += "subtableend=e1\n";
        const TableFile table = ParseTable(text, "r.tbl").table;
        const TableFile result = TableEditor(table).Result("", table.GetCodePage());
        ASSERT_EQ(FormatTableFile(result), FormatTableFile(table)) << text;
        for (int number = 0; number <= 1; ++number) {
            for (unsigned key = 0; key < 0x20; ++key) {
                for (const std::uint32_t value : {key, 0x8100 + key}) {
                    const TableEntry *before = table.FindEntryByKey(number, KeyWidth(value), value);
                    const TableEntry *after = result.FindEntryByKey(number, KeyWidth(value), value);
                    ASSERT_EQ(before == nullptr, after == nullptr);
                    if (before) {
                        ASSERT_EQ(before->text, after->text) << text;
                    }
                }
            }
            for (const char c : std::string("abcdef")) {
                const TableEntry *before = table.FindEntryByText(number, std::string(1, c));
                const TableEntry *after = result.FindEntryByText(number, std::string(1, c));
                ASSERT_EQ(before == nullptr, after == nullptr);
                if (before) {
                    ASSERT_EQ(before->key, after->key) << text;
                }
            }
        }
    }
}

} // namespace
} // namespace byteloom
