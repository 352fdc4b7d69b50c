#include "support/faulty_file_system.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/table_codec.h"
#include "tables/table_editor.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"
#include "tables/text_file.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(TableWriter, ASavedTableLoadsBackWhole)
{
    test::TempFolder folder;
    TableFile table = ParseTable(".codepage=932\n.title=Round\n41=A\n/FF\n*FE\n", "r.tbl").table;
    table.AddEntry(0, 0x123456, "three");
    table.AddEntry(0, 0x89ABCDEF, "four");
    table.AddEntry(0, 0x42, "");
    const int sub = table.AddSubtable(0, 0x81);
    table.AddRange(sub, 0, 0xFFFFFFFF);
    table.AddEntry(sub, 0x8140, "sub");
    table.SetBookmarks({{5, "Mark"}, {0x123456780, "Disc two"}});
    // A table read from no file is written in the canonical form: entries in the order they
    // were added (of equal texts the first encodes), keys with two to eight digits, subtables
    // in lower-case hex, CR LF line ends, its own bookmarks.
    EXPECT_EQ(FormatTableFile(table),
              ".codepage=932\r\n.title=Round\r\n41=A\r\n/FF\r\n*FE\r\n123456=three\r\n"
              "89ABCDEF=four\r\n42=\r\nsubtable=0\r\nstart=0\r\nend=ffffffff\r\n8140=sub\r\n"
              "subtableend=81\r\n(00000005)Mark\r\n(123456780)Disc two\r\n");
    ASSERT_TRUE(SaveTableFile(table, folder / "r.tbl", RealFileSystem()).ok());

    LoadedTables tables;
    ASSERT_TRUE(LoadTableFile(RealFileSystem(), folder / "r.tbl", tables).status.ok());
    const TableFile &back = *tables.Current();
    EXPECT_EQ(back.GetTitle(), "Round (932)");
    EXPECT_EQ(back.GetCodePage(), 932);
    EXPECT_EQ(back.GetMaxKeyBytes(), 4);
    ASSERT_EQ(back.GetSubtable(0).Entries().size(), 6u);
    EXPECT_EQ(back.GetSubtable(0).FindByKey(4, 0x89ABCDEF)->text, "four");
    EXPECT_EQ(back.GetSubtable(0).FindByKey(3, 0x123456)->text, "three");
    // An empty text is written as the bare key and reads back empty (shown as ".").
    EXPECT_EQ(back.GetSubtable(0).FindByKey(1, 0x42)->text, "");
    ASSERT_EQ(back.SubtableCount(), 1);
    EXPECT_EQ(back.GetSubtable(1).endTrigger, 0x81u);
    EXPECT_EQ(back.GetSubtable(1).ranges[0].high, 0xFFFFFFFFu);
    EXPECT_EQ(back.GetSubtable(1).FindByKey(2, 0x8140)->text, "sub");
    ASSERT_EQ(tables.Bookmarks().size(), 2u);
    EXPECT_EQ(tables.Bookmarks()[1].offset, 0x123456780);

    EXPECT_FALSE(SaveTableFile(table, folder / "no-folder" / "x.tbl", RealFileSystem()).ok());
}

// The lines of text a table file holds, from its stored bytes.
std::vector<std::string> LinesOf(const std::string &stored)
{
    std::vector<std::string> lines;
    const std::string text
        = stored.starts_with("\xFF\xFE") ? Utf16ToUtf8(stored.substr(2), false) : stored;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}

// A table as published tables are: comments, lines of other tools, a wildcard entry, UTF-16 with
// its mark and LF ends. Edited (one entry changed, one removed, one added) and saved, it differs
// from the file in exactly those lines; saved unchanged, it is the file byte for byte and is not
// written at all.
TEST(TableWriter, SavingChangesOnlyTheLinesOfWhatChanged)
{
    const std::vector<std::string> original{"; Translation table v2",
                                            "",
                                            ".title=Game",
                                            "@ctrl",
                                            "!7F=<Switch>,2",
                                            "41=A",
                                            "42=B",
                                            "FFF2**=<wild>",
                                            "$0500=<Color>,1",
                                            "43=C",
                                            "/FF=<end>",
                                            "(00001000)Intro",
                                            ""};
    std::string utf8;
    for (std::size_t i = 0; i < original.size(); ++i)
        utf8 += original[i] + (i + 1 < original.size() ? "\n" : "");
    const std::string stored = "\xFF\xFE" + Utf8ToUtf16(utf8, false);
    test::TempFolder folder;
    test::WriteBytes(folder / "game.tbl", {stored.begin(), stored.end()});
    LoadedTables tables;
    ASSERT_TRUE(LoadTableFile(RealFileSystem(), folder / "game.tbl", tables).status.ok());
    const TableFile &loaded = *tables.Current();
    EXPECT_EQ(TableFileBytes(loaded), stored);

    // Nothing changed: the file is read, and nothing is written.
    test::FaultyFileSystem reading;
    ASSERT_TRUE(ReadBinaryFile(folder / "game.tbl", reading).status.ok());
    test::FaultyFileSystem saving;
    EXPECT_TRUE(SaveTableFile(loaded, folder / "game.tbl", saving).ok());
    EXPECT_EQ(saving.calls, reading.calls);

    TableEditor editor(loaded);
    const auto rowOf = [&](std::uint32_t key) {
        for (int row = 0; row + 1 < editor.RowCount(); ++row) {
            if (editor.KeyAt(row) == key)
                return row;
        }
        return -1;
    };
    ASSERT_EQ(editor.Commit(rowOf(0x42), TableEditor::Column::Text, "b").kind,
              TableEditor::Outcome::Changed);
    ASSERT_TRUE(editor.RemoveRow(rowOf(0x43)));
    ASSERT_EQ(editor.Commit(editor.RowCount() - 1, TableEditor::Column::Key, "44").kind,
              TableEditor::Outcome::Changed);
    ASSERT_EQ(editor.Commit(rowOf(0x44), TableEditor::Column::Text, "D").kind,
              TableEditor::Outcome::Changed);
    const TableFile edited = editor.Result("Game", loaded.GetCodePage());
    ASSERT_TRUE(SaveTableFile(edited, folder / "game.tbl", RealFileSystem()).ok());
    const auto saved = test::ReadBytes(folder / "game.tbl");
    const std::string savedText(saved.begin(), saved.end());
    ASSERT_TRUE(savedText.starts_with("\xFF\xFE"));
    std::vector<std::string> expected = original;
    expected[6] = "42=b";
    expected.erase(expected.begin() + 9);
    expected.insert(expected.begin() + 10, "44=D");
    EXPECT_EQ(LinesOf(savedText), expected);

    // Unedited, a UTF-8 table without a code page line and one that writes its code page with
    // a leading zero are written back as they are; a changed key keeps its line; a file without
    // a last line end stays so; a string end given a plain text loses its label.
    for (const std::string_view text : {"41=\xC3\xA9\n42=B\n", ".codepage=0932\n41=A\n"}) {
        const ParsedTable plain = ParseStoredTable(text, "p.tbl");
        EXPECT_EQ(TableFileBytes(plain.table), text);
    }
    const ParsedTable ends = ParseStoredTable("41=A\n42=B\n/FF=<end>", "e.tbl");
    TableEditor keys(ends.table); // rows by key, ascending: 41, 42, FF
    ASSERT_EQ(keys.Commit(0, TableEditor::Column::Key, "44").kind, TableEditor::Outcome::Changed);
    ASSERT_EQ(keys.Commit(2, TableEditor::Column::Text, "x").kind, TableEditor::Outcome::Changed);
    // New entries follow in the order they were made, whatever their keys.
    for (const char *key : {"43", "4F"}) {
        ASSERT_EQ(keys.Commit(keys.RowCount() - 1, TableEditor::Column::Key, key).kind,
                  TableEditor::Outcome::Changed);
    }
    EXPECT_EQ(TableFileBytes(keys.Result("e.tbl", 1252)), "44=A\n42=B\nFF=x\n43=\n4F=");

    // The bookmarks of another table stay in their own file.
    TableFile other = ParseTable(".title=Other\n41=A\n", "o.tbl").table;
    other.SetModified(true);
    EXPECT_EQ(TableFileBytes(other).find("Intro"), std::string::npos);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// Tables of their own ("@") and their switching and linked entries come back from an edit and a
// save as the file had them, and the canonical form reads back as the same tables.
TEST(TableWriter, TablesOfTheirOwnSurviveEditsSavesAndTheCanonicalForm)
{
    const std::string text = "@Main\n41=A\n42=B\n!AB=<[Item]>,<@Items>:1\n$0500=<C>,1\n"
                             "@Items\nstart=4\nend=7\n01=[Potion]\n";
    const ParsedTable parsed = ParseStoredTable(text, "s.tbl");
    TableEditor editor(parsed.table);
    EXPECT_EQ(editor.SubtableNames(), (std::vector<std::string>{"Main", "@Items"}));
    const int row = [&] {
        for (int k = 0; k < editor.RowCount(); ++k)
            if (editor.TextAt(k) == "B")
                return k;
        return -1;
    }();
    ASSERT_EQ(editor.Commit(row, TableEditor::Column::Text, "Bz").kind,
              TableEditor::Outcome::Changed);
    EXPECT_EQ(TableFileBytes(editor.Result("s.tbl", 1252)),
              "@Main\n41=A\n42=Bz\n!AB=<[Item]>,<@Items>:1\n$0500=<C>,1\n"
              "@Items\nstart=4\nend=7\n01=[Potion]\n");

    // An "@" after a subtable of ranges opens a table of its own even when Main is empty.
    for (const std::string &source :
         {text, std::string("subtable=E0\nstart=0\nend=3\n41=a\nsubtableend=E1\n@T1\n01=[P]\n")}) {
        const TableFile table = ParseStoredTable(source, "t.tbl").table;
        const TableFile again = ParseStoredTable(FormatTableFile(table), "again.tbl").table;
        ASSERT_EQ(again.SubtableCount(), table.SubtableCount());
        for (int number = 0; number <= table.SubtableCount(); ++number) {
            EXPECT_EQ(again.GetSubtable(number).id, table.GetSubtable(number).id);
            EXPECT_EQ(again.GetSubtable(number).ranges.size(),
                      table.GetSubtable(number).ranges.size());
            EXPECT_EQ(again.GetSubtable(number).Entries().size(),
                      table.GetSubtable(number).Entries().size());
        }
    }
}

} // namespace
} // namespace byteloom
