#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::vector<std::pair<std::uint32_t, std::string>> EntriesOf(const Subtable &subtable)
{
    std::vector<std::pair<std::uint32_t, std::string>> entries;
    for (const TableEntry &entry : subtable.Entries())
        entries.emplace_back(entry.key, entry.text);
    return entries;
}

using Entries = std::vector<std::pair<std::uint32_t, std::string>>;

TEST(TableParser, PlainEntriesTakeTheirWidthFromTheKeyValue)
{
    const ParsedTable parsed = ParseTable("41=A\n0041=B\n8140=y\n3D==\n42=\n 43=x\n"
                                          "12345=five\n0123456=seven\n81 40=gap\n123456789=nine\n"
                                          "4142\n; comment\n[section]\n$ignored\n#x\n",
                                          "t.tbl");
    const Subtable &main = parsed.table.GetSubtable(0);
    EXPECT_EQ(EntriesOf(main),
              (Entries{{0x123456, "seven"},
                       {0x12345, "five"},
                       {0x8140, "y"},
                       {0x42, ""},
                       {0x41, "A"},
                       {0x41, "B"},
                       {0x3D, "="}}));
    EXPECT_EQ(main.CountOfWidth(1), 4);
    EXPECT_EQ(main.CountOfWidth(2), 1);
    EXPECT_EQ(main.CountOfWidth(3), 2);
    EXPECT_EQ(parsed.table.GetMaxKeyBytes(), 3);
    EXPECT_EQ(parsed.table.GetMaxTextLen(), 5);
    // Of two entries with one key, the first in the file is found.
    EXPECT_EQ(parsed.table.FindEntryByKey(0, 1, 0x41)->text, "A");
}

TEST(TableParser, MarkerEntriesAcceptAnyWidthWithOrWithoutEquals)
{
    const ParsedTable parsed
        = ParseTable("/FF\n/=FE\n*FD\n*=01020304\n/\n*=\n/123456789\n", "m.tbl");
    EXPECT_EQ(EntriesOf(parsed.table.GetSubtable(0)),
              (Entries{{0x01020304, "BYTELOOM_NEWLINE"},
                       {0xFF, "BYTELOOM_ENDSTRING"},
                       {0xFE, "BYTELOOM_ENDSTRING"},
                       {0xFD, "BYTELOOM_NEWLINE"}}));
    EXPECT_EQ(parsed.table.GetMaxKeyBytes(), 4);
    EXPECT_EQ(parsed.table.GetMaxTextLen(), 18);

    // A marker key may carry a text of its own; it is kept and written back.
    const TableFile labelled = ParseTable("/FF=<end>\n*FE=[BR]\n/FD\n", "l.tbl").table;
    EXPECT_EQ(labelled.FindEntryByKey(0, 1, 0xFF)->label, "<end>");
    EXPECT_EQ(labelled.FindEntryByKey(0, 1, 0xFE)->label, "[BR]");
    EXPECT_EQ(labelled.FindEntryByKey(0, 1, 0xFE)->text, kNewlineMarker);
    EXPECT_NE(FormatTableFile(labelled).find("/FF=<end>\r\n*FE=[BR]\r\n/FD\r\n"),
              std::string::npos);

    // An end token that writes no byte is known by its text alone, and kept.
    const ParsedTable byteless = ParseTable("/<END>\n/=<X>\n41=A\n", "b.tbl");
    EXPECT_EQ(byteless.table.EndTokensWithoutBytes(), (std::vector<std::string>{"<END>", "<X>"}));
    EXPECT_EQ(byteless.notes.Of(TableNote::Unknown), 0);
    EXPECT_NE(FormatTableFile(byteless.table).find("41=A\r\n/<END>\r\n/<X>\r\n"),
              std::string::npos);
}

TEST(TableParser, TitlesCarryTheirCodePageWhicheverComesFirst)
{
    EXPECT_EQ(ParseTable(".title=Menus\n.codepage=932\n", "a.tbl").table.GetTitle(), "Menus (932)");
    EXPECT_EQ(ParseTable(".CodePage=932\n.TITLE=Menus\n", "a.tbl").table.GetTitle(), "Menus (932)");
    EXPECT_EQ(ParseTable(".codepage=932\n", "font.tbl").table.GetTitle(), "font.tbl");
    EXPECT_EQ(ParseTable(".codepage=932\n", "font.tbl").table.GetCodePage(), 932);
    EXPECT_EQ(ParseTable(".codepage=\n.other=1\n.title\n", "b.tbl").table.GetCodePage(), 1252);
    const std::string longTitle(60, 'x');
    EXPECT_EQ(ParseTable(".title=" + longTitle + "\n", "c.tbl").table.GetTitle().size(), 49u);
}

TEST(TableParser, SubtablesRangesAndBookmarks)
{
    const ParsedTable parsed = ParseTable("41=A\n"
                                          "subtable=80\n"
                                          "start=1000\n"
                                          "end=1FFF\n"
                                          "41=a\n"
                                          "subtableend=81\n"
                                          "42=B\n"
                                          "subtable=E0\n"
                                          "start=100000000\n"
                                          "end=1000000ff\n"
                                          "43=c\n"
                                          "subtableend\n"
                                          "sample text\n"
                                          "(0001F2A0h)Intro text!ignored\n"
                                          "(00000010)Menu 2\n"
                                          "(123456780h)Disc two\n"
                                          "(20 no close\n"
                                          "(300)\xE3\x83\x9E\xE3\x83\x83\xE3\x83\x97 2!\n"
                                          "(301)Caf\xE9;\n",
                                          "s.tbl");
    const TableFile &table = parsed.table;
    ASSERT_EQ(table.SubtableCount(), 2);
    EXPECT_EQ(EntriesOf(table.GetSubtable(0)), (Entries{{0x42, "B"}, {0x41, "A"}}));
    const Subtable &first = table.GetSubtable(1);
    EXPECT_EQ(first.startTrigger, 0x80u);
    EXPECT_EQ(first.endTrigger, 0x81u);
    ASSERT_EQ(first.ranges.size(), 1u);
    EXPECT_EQ(first.ranges[0].low, 0x1000u);
    EXPECT_EQ(first.ranges[0].high, 0x1FFFu);
    EXPECT_EQ(EntriesOf(first), (Entries{{0x41, "a"}}));
    EXPECT_EQ(table.GetSubtable(2).startTrigger, 0xE0u);
    EXPECT_EQ(table.GetSubtable(2).endTrigger, 0u);

    EXPECT_EQ(table.FindSubtableForOffset(0x1000), 1);
    EXPECT_EQ(table.FindSubtableForOffset(0x1FFF), 1);
    EXPECT_EQ(table.FindSubtableForOffset(0x0FFF), 0);
    // A range past 4 GiB, exactly: no offset wraps onto it.
    EXPECT_EQ(table.FindSubtableForOffset(0x1000000FF), 2);
    EXPECT_EQ(table.FindSubtableForOffset(0x100000100), 0);
    EXPECT_EQ(table.FindSubtableForOffset(0x00000010), 0);
    EXPECT_EQ(table.SubtableRunAt(0x100000000).until, 0x100000100);

    ASSERT_EQ(parsed.bookmarks.size(), 5u);
    EXPECT_EQ(parsed.bookmarks[0].offset, 0x1F2A0);
    EXPECT_EQ(parsed.bookmarks[0].name, "Intro text");
    EXPECT_EQ(parsed.bookmarks[1].name, "Menu 2");
    EXPECT_EQ(parsed.bookmarks[2].offset, 0x123456780); // past 4 GiB, on a disc image
    // Names in other scripts, in UTF-8 or a code page of their own, are kept whole.
    EXPECT_EQ(parsed.bookmarks[3].name, "\xE3\x83\x9E\xE3\x83\x83\xE3\x83\x97 2");
    EXPECT_EQ(parsed.bookmarks[4].name, "Caf\xE9");
    // In a double-byte code page, a second byte that reads as ASCII belongs to its character.
    const ParsedTable japanese = ParseTable("(100)\x83\x7D\x83\x4E\xB1}\n.codepage=932\n", "j.tbl");
    ASSERT_EQ(japanese.bookmarks.size(), 1u);
    EXPECT_EQ(japanese.bookmarks[0].name, "\x83\x7D\x83\x4E\xB1");
}

TEST(TableParser, TextIsReadLineByLineAsTheFileStoresIt)
{
    test::TempFolder folder;
    // CR LF ends a line; a byte 1A ends the data; a line past 254 characters goes on as another.
    const std::string longLine = std::string(254, ';') + "41=A";
    const std::string stored = "42=B\r\n" + longLine
                               + "\r\n43=C\x1A"
                                 "44=D\n";
    test::WriteBytes(folder / "game.tbl", std::vector<std::uint8_t>(stored.begin(), stored.end()));

    LoadedTables tables;
    const TableLoadResult loaded = LoadTableFile(RealFileSystem(), folder / "game.tbl", tables);
    ASSERT_TRUE(loaded.status.ok());
    EXPECT_EQ(loaded.slot, 0);
    const TableFile &table = *tables.Current();
    EXPECT_EQ(EntriesOf(table.GetSubtable(0)), (Entries{{0x43, "C"}, {0x42, "B"}, {0x41, "A"}}));
    EXPECT_EQ(table.GetPath(), (folder / "game.tbl").string());
    EXPECT_EQ(table.GetTitle(), "game.tbl");

    EXPECT_FALSE(LoadTableFile(RealFileSystem(), folder / "missing.tbl", tables).status.ok());
    EXPECT_EQ(tables.Count(), 1);
}

// Tables as translators publish them today: UTF-8 with or without its mark, or UTF-16; the
// entries are read from the first line, kept as UTF-8, written back as they came, and a
// character no entry encodes is skipped whole.
TEST(TableParser, Utf8AndUtf16TablesAreReadAndWrittenAsTheyCame)
{
    const std::string a = "\xE3\x81\x82"; // あ
    const std::string i = "\xE3\x81\x84"; // い
    const std::string lines = ".title=Kana\n10=" + a + "\n8140=" + i + "\n/FF\n";
    struct Case
    {
        const char *name;
        std::string stored;
    };
    std::u16string utf16 = u".title=Kana\n10=\u3042\n8140=\u3044\n/FF\n";
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (const char16_t unit : utf16) {
        little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
        big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
    }
    const Case cases[] = {
        {"mark", "\xEF\xBB\xBF" + lines},
        {"no mark", lines},
        {"code page line", ".codepage=65001\n" + lines},
        {"utf-16 little", little},
        {"utf-16 big", big},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.name);
        const ParsedTable parsed = ParseStoredTable(each.stored, "k.tbl");
        const TableFile &table = parsed.table;
        EXPECT_EQ(table.GetCodePage(), 65001);
        EXPECT_EQ(table.GetTitle(), "Kana (65001)");
        EXPECT_EQ(EntriesOf(table.GetSubtable(0)),
                  (std::vector<std::pair<std::uint32_t, std::string>>{
                      {0x8140, i}, {0xFF, std::string(kEndStringMarker)}, {0x10, a}}));
        // Saved unchanged, it is the file it was, byte for byte.
        EXPECT_EQ(TableFileBytes(table), each.stored);
        // "う" has no entry: it is left out whole, not byte by byte.
        EXPECT_EQ(EncodeText(table, a + "\xE3\x81\x86" + i, 0),
                  (std::vector<std::uint8_t>{0x10, 0x81, 0x40}));
    }

    // A 1252 table with accented letters is not UTF-8; nor is one whose code page line says
    // otherwise.
    EXPECT_EQ(ParseStoredTable("41=\xE9t\xE9\n", "e.tbl").table.GetCodePage(), 1252);
    EXPECT_EQ(ParseStoredTable(".codepage=932\n41=" + a + "\n", "j.tbl").table.GetCodePage(), 932);
    EXPECT_TRUE(LooksLikeUtf8(a + "x"));
    EXPECT_FALSE(LooksLikeUtf8("plain"));
    EXPECT_FALSE(LooksLikeUtf8("\xC0\x80"));     // an overlong form
    EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80")); // a surrogate
    EXPECT_FALSE(LooksLikeUtf8("\xE3\x81"));     // cut short
}

// The loader says what it passed over or took doubtfully, by kind and first line; a file with
// no table line at all (a ROM opened as a table) is told apart.
TEST(TableParser, TheLoaderCountsWhatItDidNotTake)
{
    const ParsedTable parsed
        = ParseStoredTable("# for another tool\n; a comment\n!switch\n@other\n"
                           "41=A\n41=B\n8G=H\n123456789=x\nhello\n"
                           ".codepage=7777\n42="
                               + std::string(300, 'x') + "\nFFF2**=<w>\n4142\n",
                           "n.tbl");
    const TableNotes &notes = parsed.notes;
    EXPECT_EQ(notes.Of(TableNote::Comment), 2);
    EXPECT_EQ(notes.FirstLineOf(TableNote::Comment), 1);
    EXPECT_EQ(notes.Of(TableNote::OtherTool), 1); // "!switch"; "@other" names Main
    EXPECT_EQ(notes.FirstLineOf(TableNote::OtherTool), 3);
    EXPECT_EQ(parsed.table.GetSubtable(0).id, "other");
    EXPECT_EQ(notes.Of(TableNote::RepeatedKey), 1);
    EXPECT_EQ(notes.FirstLineOf(TableNote::RepeatedKey), 6);
    EXPECT_EQ(notes.Of(TableNote::NonHexKey), 1);
    EXPECT_EQ(notes.Of(TableNote::LongKey), 1);
    EXPECT_EQ(notes.Of(TableNote::Unknown), 2); // "hello" and the cut line's rest
    EXPECT_EQ(notes.Of(TableNote::CodePage), 1);
    EXPECT_EQ(notes.Of(TableNote::CutLine), 1);
    EXPECT_EQ(notes.FirstLineOf(TableNote::WildcardKey), 12);
    EXPECT_EQ(notes.FirstLineOf(TableNote::BareKey), 13);
    EXPECT_FALSE(notes.noTableLine);
    EXPECT_EQ(parsed.table.GetSubtable(0).FindByKey(1, 0x08)->text, "H");
    EXPECT_EQ(
        TableNotesSummary(notes),
        "Table loaded: 8 lines skipped (2 comments from line 1, 1 line of another tool at "
        "line 3, 1 key of more than 8 digits at line 8, 1 bare key without \"=\" at line 13, 1 "
        "key with wildcard characters at line 12, 2 lines that fit no form from line 9); 1 key "
        "with characters that are not hex digits at line 7, 1 repeated key at line 6 (the first "
        "entry of a key is the one used), 1 code page not available at line 10, 1 line cut at "
        "254 bytes at line 11");

    EXPECT_EQ(TableNotesSummary(ParseStoredTable("; notes\n41=A\n", "c.tbl").notes),
              "Table loaded: 1 line skipped (1 comment at line 1)");
    EXPECT_EQ(TableNotesSummary(ParseStoredTable("41=A\n", "c.tbl").notes), "");
    // A long line of a UTF-8 table is cut between characters, never inside one.
    std::string kana = "\xEF\xBB\xBF"
                       "41=";
    for (int i = 0; i < 100; ++i)
        kana += "\xE3\x81\x82";
    const ParsedTable cut = ParseStoredTable(kana + "\n", "u.tbl");
    EXPECT_TRUE(LooksLikeUtf8(cut.table.GetSubtable(0).FindByKey(1, 0x41)->text));
    EXPECT_EQ(cut.notes.Of(TableNote::CutLine), 1);
    // A code page beyond 16 bits names none (it once became a negative number, written back as a
    // line the loader could not read).
    const ParsedTable huge = ParseStoredTable(".codepage=180346417015\n41=A\n", "h.tbl");
    EXPECT_EQ(huge.table.GetCodePage(), 1252);
    EXPECT_EQ(huge.notes.Of(TableNote::CodePage), 1);
    EXPECT_TRUE(
        ParseStoredTable(std::string("\x12\x90\xFFzz\0\x01", 7), "rom.tbl").notes.noTableLine);
}

TEST(LoadedTables, HoldsAnyNumberOfTablesAndKeepsBookmarksWhenTheyGo)
{
    LoadedTables tables;
    for (int i = 0; i < 6; ++i) {
        ParsedTable parsed = ParseTable("(" + std::to_string(i) + ")b\n", "t" + std::to_string(i));
        tables.Bookmarks().insert(
            tables.Bookmarks().end(), parsed.bookmarks.begin(), parsed.bookmarks.end());
        EXPECT_EQ(tables.Add(std::move(parsed.table)), i);
    }
    EXPECT_EQ(tables.CurrentTableIndex(), 5);
    EXPECT_EQ(tables.FindByTitle("t4"), &tables.At(4));
    EXPECT_EQ(tables.FindByTitle("t9"), nullptr);
    EXPECT_EQ(tables.Bookmarks().size(), 6u);
    tables.DropAll();
    EXPECT_EQ(tables.Current(), nullptr);
    EXPECT_EQ(tables.Bookmarks().size(), 6u);

    EXPECT_EQ(CompanionTablePath("/roms/game.smc"), std::filesystem::path("/roms/game.tbl"));
    EXPECT_EQ(CompanionTablePath("/roms/game"), std::filesystem::path("/roms/game.tbl"));
    EXPECT_TRUE(CompanionTablePath("/roms/font.tbl").empty());
    EXPECT_EQ(CompanionTablePath("/roms/FONT.TBL"), std::filesystem::path("/roms/FONT.tbl"));
}

} // namespace
} // namespace byteloom
