#include "document/document.h"
#include "document/undo_journal.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"

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
    Document document;
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
    const InsertResult result
        = InsertScript(document, journal, tables, Script("ab\r\nb?a"), 0x10, "Game (1252)");
    ASSERT_TRUE(result.status.ok()) << result.status.message();
    EXPECT_EQ(result.bytesWritten, 5);
    EXPECT_EQ(Bytes(0x10, 6), (std::vector<std::uint8_t>{0x81, 0x40, 0x2A, 0x42, 0x41, 0x00}));
    ASSERT_EQ(journal.UndoCount(), 1u);
    ASSERT_TRUE(journal.Undo(document));
    EXPECT_EQ(Bytes(0x10, 5), std::vector<std::uint8_t>(5, 0));
}

TEST_F(ScriptInsert, RawCopyReadsTheFileAsText)
{
    const InsertResult result = InsertScript(document,
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
    const InsertResult clipped
        = InsertScript(document, journal, tables, Script("aaaa"), 2046, "Game (1252)");
    ASSERT_TRUE(clipped.status.ok());
    EXPECT_EQ(clipped.bytesWritten, 2);
    EXPECT_EQ(document.Size(), 2048);

    const InsertResult unknown = InsertScript(document, journal, tables, Script("a"), 0, "Nope");
    EXPECT_FALSE(unknown.status.ok());
    EXPECT_NE(unknown.status.message().find("Nope"), std::string::npos);
    const InsertResult missing
        = InsertScript(document, journal, tables, folder / "gone.txt", 0, "none");
    EXPECT_FALSE(missing.status.ok());
    EXPECT_EQ(document.ReadByte(0), 0);
    EXPECT_EQ(journal.UndoCount(), 1u);
}

TEST_F(ScriptInsert, ACleanDumpInsertedBackRewritesTheSameBytes)
{
    const std::vector<std::uint8_t> original{0x41, 0x42, 0x81, 0x40, 0x42, 0x41};
    ASSERT_EQ(document.WriteBlock(0x20, original), 6);
    ASSERT_TRUE(
        DumpScriptToFile(document, tables.Current(), {0x20, 6}, true, folder / "dump.txt").ok());
    ASSERT_EQ(document.WriteBlock(0x20, std::vector<std::uint8_t>(6, 0)), 6);
    const InsertResult result
        = InsertScript(document, journal, tables, folder / "dump.txt", 0x20, "Game (1252)");
    ASSERT_TRUE(result.status.ok());
    // "ab" is one entry, so the bytes 41 42 come back as 81 40: the longest text wins.
    EXPECT_EQ(Bytes(0x20, 6), (std::vector<std::uint8_t>{0x81, 0x40, 0x81, 0x40, 0x42, 0x41}));
}

} // namespace
} // namespace byteloom
