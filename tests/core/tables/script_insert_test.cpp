#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::string Rewritten(std::string text)
{
    RewriteLineBreaks(text);
    return text;
}

class ScriptInsert : public testing::Test
{
protected:
    ScriptInsert()
    {
        document.New();
        tables.Add(ParseTable(".title=Game\n8140=ab\n41=a\n42=b\n2A=*\n/FF\n", "g").table);
    }

    std::filesystem::path Script(const std::string &text)
    {
        const auto path = folder / "script.txt";
        test::WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
        return path;
    }

    std::vector<std::uint8_t> Bytes(std::int64_t offset, std::int64_t count)
    {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        (void)document.ReadBlock(offset, bytes);
        return bytes;
    }

    test::TempFolder folder;
    Document document{kPageSize, RealFileSystem()};
    UndoJournal journal;
    LoadedTables tables;
};

TEST(RewriteLineBreaks, EveryKindOfLineBreakBecomesOneStarAndNothingIsLost)
{
    EXPECT_EQ(Rewritten("a\r\nb"), "a*b");
    EXPECT_EQ(Rewritten("a\r\n\r\nb"), "a**b");
    EXPECT_EQ(Rewritten("a\nb\rc\r"), "a*b*c*");
    EXPECT_EQ(Rewritten("\nx"), "*x");
    EXPECT_EQ(Rewritten(""), "");
}

TEST_F(ScriptInsert, EncodesThroughTheNamedTableAsOneUndoRecord)
{
    const InsertResult result = InsertScript(
        RealFileSystem(), document, journal, tables, Script("ab\r\nb?a"), 0x10, "Game (1252)");
    ASSERT_TRUE(result.status.ok()) << result.status.message();
    EXPECT_EQ(result.bytesWritten, 5);
    EXPECT_EQ(Bytes(0x10, 6), (std::vector<std::uint8_t>{0x81, 0x40, 0x2A, 0x42, 0x41, 0x00}));
    ASSERT_EQ(journal.UndoCount(), 1u);
    ASSERT_TRUE(journal.Undo(document));
    EXPECT_EQ(Bytes(0x10, 5), std::vector<std::uint8_t>(5, 0));
}

TEST_F(ScriptInsert, RawCopyReadsTheFileAsText)
{
    const InsertResult result = InsertScript(RealFileSystem(),
                                             document,
                                             journal,
                                             tables,
                                             Script("\r\nxyz\x1A"
                                                    "after"),
                                             100,
                                             "none");
    ASSERT_TRUE(result.status.ok());
    EXPECT_EQ(result.bytesWritten, 4);
    EXPECT_EQ(Bytes(100, 5), (std::vector<std::uint8_t>{'\n', 'x', 'y', 'z', 0}));
}

TEST_F(ScriptInsert, NothingIsWrittenBeyondTheDocumentOrOnBadInput)
{
    const InsertResult clipped = InsertScript(
        RealFileSystem(), document, journal, tables, Script("aaaa"), 2046, "Game (1252)");
    ASSERT_TRUE(clipped.status.ok());
    EXPECT_EQ(clipped.bytesWritten, 2);
    EXPECT_EQ(clipped.bytesBeyondEnd, 2);
    EXPECT_EQ(InsertReport(clipped),
              "2 bytes did not fit before the end of the file and were not written.\n");
    EXPECT_EQ(document.Size(), 2048);

    // An address at or past the end is refused before anything is read or written.
    for (const std::int64_t address : {std::int64_t{2048}, std::int64_t{0x7FFFFFFF}}) {
        const InsertResult outside = InsertScript(
            RealFileSystem(), document, journal, tables, Script("a"), address, "Game (1252)");
        EXPECT_FALSE(outside.status.ok());
        EXPECT_NE(outside.status.message().find("not inside the file"), std::string::npos);
    }

    const InsertResult unknown
        = InsertScript(RealFileSystem(), document, journal, tables, Script("a"), 0, "Nope");
    EXPECT_FALSE(unknown.status.ok());
    EXPECT_NE(unknown.status.message().find("Nope"), std::string::npos);
    const InsertResult missing
        = InsertScript(RealFileSystem(), document, journal, tables, folder / "gone.txt", 0, "none");
    EXPECT_FALSE(missing.status.ok());
    // A folder is no script: refused with its name, not read as an endless file.
    const InsertResult folderScript
        = InsertScript(RealFileSystem(), document, journal, tables, folder.path(), 0, "none");
    EXPECT_NE(folderScript.status.message().find("it is a directory, not a file"),
              std::string::npos);
    EXPECT_EQ(document.ReadByte(0), 0);
    EXPECT_EQ(journal.UndoCount(), 1u);

    // A cancel while encoding writes nothing.
    const std::string large(3 << 20, 'a');
    const InsertResult cancelled = InsertScriptText(
        document, journal, tables.Current(), large, 0, [](std::int64_t, std::int64_t) {
            return false;
        });
    EXPECT_TRUE(cancelled.status.cancelled());
    EXPECT_EQ(document.ReadByte(0), 0);
    EXPECT_EQ(journal.UndoCount(), 1u);
}

std::vector<std::uint8_t> Inserted(const std::string &table, const std::string &text)
{
    const TableFile parsed = ParseTable(table, "t").table;
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    const InsertResult result = InsertScriptText(document, journal, &parsed, text, 0x100);
    EXPECT_TRUE(result.status.ok());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(result.bytesWritten));
    (void)document.ReadBlock(0x100, bytes);
    return bytes;
}

using Bytes = std::vector<std::uint8_t>;

TEST(ScriptInsertLineBreaks, RunsOfLineBreaksBecomeTheTablesMarkerKeys)
{
    const std::string both = "41=A\n42=B\n/FF\n*FE\n";
    EXPECT_EQ(Inserted(both, "A\nB"), (Bytes{0x41, 0xFE, 0x42}));
    EXPECT_EQ(Inserted(both, "A\n\nB"), (Bytes{0x41, 0xFF, 0x42}));
    EXPECT_EQ(Inserted(both, "A\n\n\nB"), (Bytes{0x41, 0xFE, 0xFF, 0x42}));
    EXPECT_EQ(Inserted(both, "A\n\n\n\nB"), (Bytes{0x41, 0xFF, 0xFF, 0x42}));
    EXPECT_EQ(Inserted("41=A\n42=B\n/FF\n", "A\n\n\nB"), (Bytes{0x41, 0xFF, 0x42}));
    EXPECT_EQ(Inserted("41=A\n42=B\n*FE\n", "A\n\nB"), (Bytes{0x41, 0xFE, 0xFE, 0x42}));
    // An entry "*" takes every "*", and a byte code is text where there are no headers.
    EXPECT_EQ(Inserted(both + "2A=*\n", "A\n\nB*"), (Bytes{0x41, 0x2A, 0x2A, 0x42, 0x2A}));
    EXPECT_EQ(Inserted(both + "3C=<\n3E=>\n35=5\n", "<5>"), (Bytes{0x3C, 0x35, 0x3E}));
}

TEST(ScriptInsertHeaders, HeadersPlaceStringsCodesAreBytesAndOverflowsAreReported)
{
    const std::string table = "41=A\n42=B\n/FF\n*FE\n";
    const TableFile parsed = ParseTable(table, "t").table;
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    const InsertResult placed = InsertScriptText(
        document, journal, &parsed, "<00000100>\nA\nA\n\n<00000105>\nB<9c><0>", 0x100);
    ASSERT_TRUE(placed.status.ok());
    EXPECT_EQ(placed.bytesWritten, 7);
    Bytes bytes(8);
    (void)document.ReadBlock(0x100, bytes);
    EXPECT_EQ(bytes, (Bytes{0x41, 0xFE, 0x41, 0xFF, 0x00, 0x42, 0x9C, 0x00}));
    EXPECT_TRUE(placed.overflows.empty());

    // A string longer than its room is cut where the next string begins (more such cases:
    // ScriptInsertRooms); the typed address does not move a script with headers.
    const InsertResult over
        = InsertScriptText(document, journal, &parsed, "<00000100>\nAAAA\n\n<00000102>\nB", 0x500);
    EXPECT_EQ(InsertReport(over),
              "The string at 00000100 is 3 bytes longer than its room, which ends at 00000102; "
              "they were not written.\n");
    EXPECT_EQ(document.ReadByte(0x500), 0);
    // Both insertions are undone, each as one step.
    ASSERT_EQ(journal.UndoCount(), 2u);
    ASSERT_TRUE(journal.Undo(document));
    ASSERT_TRUE(journal.Undo(document));
    (void)document.ReadBlock(0x100, bytes);
    EXPECT_EQ(bytes, Bytes(8, 0));
}

// The end of the room: a dump's end mark, an end the user gives, whichever comes first; the last
// line break before the end mark is the mark's own.
TEST(ScriptInsertHeaders, NothingIsWrittenAtOrPastTheEndOfTheRoom)
{
    const TableFile parsed = ParseTable("41=A\n42=B\n*FE\n", "t").table;
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    const InsertResult marked
        = InsertScriptText(document, journal, &parsed, "<00000100>\nAB\n\n<end:00000103>\n", 0);
    EXPECT_EQ(marked.bytesWritten, 3);
    EXPECT_FALSE(marked.Lost());
    EXPECT_EQ(document.ReadByte(0x102), 0xFE);
    const InsertResult cut
        = InsertScriptText(document, journal, &parsed, "<00000100>\nABBA\n<end:00000103>\n", 0);
    EXPECT_EQ(cut.bytesWritten, 3);
    ASSERT_EQ(cut.overflows.size(), 1u);
    EXPECT_EQ(cut.overflows[0].excess, 1);
    EXPECT_EQ(document.ReadByte(0x103), 0);
    for (const std::string script : {"AAAA", "<00000200>\nAAAA"}) {
        const InsertResult ended
            = InsertScriptText(document, journal, &parsed, script, {0x200, 0x202});
        EXPECT_EQ(ended.bytesWritten, 2);
        ASSERT_EQ(ended.overflows.size(), 1u);
        EXPECT_EQ(ended.overflows[0].limit, 0x202);
        EXPECT_EQ(document.ReadByte(0x202), 0);
    }
}

TEST(ScriptInsertSkipped, CharactersWithoutAnEntryAreCountedWithTheirLines)
{
    const TableFile parsed = ParseTable("41=A\n", "t").table;
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    const InsertResult result
        = InsertScriptText(document, journal, &parsed, "A?\r\nA!A\r\n\x80", 0);
    EXPECT_EQ(result.bytesWritten, 3);
    EXPECT_EQ(result.skippedCount, 5);
    EXPECT_EQ(InsertReport(result),
              "5 characters match no table entry and were skipped: line 1 \"?\", line 1 \"*\", "
              "line 2 \"!\", line 2 \"*\", line 3 <80>.\n");

    // A double-byte character is skipped whole: its second byte is no character of its own.
    const TableFile japanese = ParseTable(".codepage=932\n10=\x82\xA0\n41=A\n", "j").table;
    const InsertResult skipped
        = InsertScriptText(document, journal, &japanese, "\x83\x41\x82\xA0\x88\x9F\x82\xA0", 0x100);
    EXPECT_EQ(skipped.bytesWritten, 2);
    EXPECT_EQ(document.ReadByte(0x100), 0x10);
    EXPECT_EQ(document.ReadByte(0x101), 0x10);
    EXPECT_EQ(skipped.skippedCount, 2);
    EXPECT_EQ(skipped.firstSkipped[0].character, "\x83\x41");

    // A NUL ends the text, and the report says so.
    const InsertResult cut
        = InsertScriptText(document, journal, &parsed, std::string("A\nA\0A", 5), 0);
    EXPECT_EQ(cut.bytesWritten, 2);
    EXPECT_EQ(InsertReport(cut),
              "1 characters match no table entry and were skipped: line 1 \"*\".\n"
              "The script's text ends at a NUL byte on line 2; what follows it was not "
              "inserted.\n");
}

// Two loaded tables may share a title: the current one is the one an insert uses.
TEST(ScriptInsertTables, TheCurrentTableWinsOverAnotherOfTheSameTitle)
{
    LoadedTables tables;
    tables.Add(ParseTable(".title=T\n01=A\n", "a").table);
    tables.Add(ParseTable(".title=T\n02=A\n", "b").table);
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    test::TempFolder folder;
    test::WriteBytes(folder / "s.txt", {'A'});
    ASSERT_TRUE(
        InsertScript(RealFileSystem(), document, journal, tables, folder / "s.txt", 0, "T (1252)")
            .status.ok());
    EXPECT_EQ(document.ReadByte(0), 0x02);
    tables.SetCurrentTableIndex(0);
    ASSERT_TRUE(
        InsertScript(RealFileSystem(), document, journal, tables, folder / "s.txt", 0, "T (1252)")
            .status.ok());
    EXPECT_EQ(document.ReadByte(0), 0x01);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// Every kind of dump, one string longer than it was dumped, writes nothing outside the dumped
// range and says exactly how much was left out: a header per string, or one string through a
// table without string ends (a hand-written script given an end: NothingIsWrittenAtOrPast…).
TEST(ScriptInsertRooms, ALongerStringNeverWritesPastTheDumpedRange)
{
    const std::vector<std::uint8_t> image{0x41, 0x42, 0xFF, 0x42, 0x41, 0xFF, 0x41, 0x41};
    for (const char *lines : {"41=A\n42=B\n/FF\n", "41=A\n42=B\nFF=!\n"}) {
        const TableFile table = ParseTable(lines, "t").table;
        Document document(kPageSize, RealFileSystem());
        document.New();
        ASSERT_TRUE(document.ReplaceContents(std::vector<std::uint8_t>(0x20, 0xEE)).ok());
        ASSERT_EQ(document.WriteBlock(0x10, image), 8);
        std::string stored;
        ASSERT_TRUE(DumpScript(document, &table, {0x10, 6}, false, [&](std::string_view piece) {
                        stored += piece;
                        return Status::Ok();
                    }).ok());
        std::string script = TextFromStoredBytes(stored);
        script.insert(script.find('B'), "AB"); // the first string grows by two bytes
        const std::vector<std::uint8_t> before = test::ContentsOf(document);
        UndoJournal journal;
        const InsertResult result = InsertScriptText(document, journal, &table, script, {});
        ASSERT_EQ(result.overflows.size(), 1u) << script;
        EXPECT_EQ(result.overflows[0].excess, 2);
        const std::vector<std::uint8_t> after = test::ContentsOf(document);
        EXPECT_TRUE(std::equal(after.begin(), after.begin() + 0x10, before.begin()));
        EXPECT_TRUE(std::equal(after.begin() + 0x16, after.end(), before.begin() + 0x16));
    }
    // A UTF-16 script is read in the table's code page; one with a character the code page has
    // not is refused.
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    test::TempFolder folder;
    test::WriteBytes(folder / "utf16.txt", {0xFF, 0xFE, 'A', 0, 'A', 0});
    test::WriteBytes(folder / "kana.txt", {0xFF, 0xFE, 0x42, 0x30});
    LoadedTables tables;
    tables.Add(ParseTable(".title=T\n41=A\n", "t").table);
    const InsertResult wide = InsertScript(
        RealFileSystem(), document, journal, tables, folder / "utf16.txt", 0x18, "T (1252)");
    EXPECT_EQ(wide.bytesWritten, 2);
    EXPECT_FALSE(wide.Lost());
    EXPECT_EQ(document.ReadByte(0x19), 0x41);
    const InsertResult kana = InsertScript(
        RealFileSystem(), document, journal, tables, folder / "kana.txt", 0x18, "T (1252)");
    EXPECT_NE(kana.status.message().find("cannot hold"), std::string::npos);
}

} // namespace
} // namespace byteloom
