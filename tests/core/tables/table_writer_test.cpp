#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(TableWriter, WritesTheCanonicalForm)
{
    const std::string blank = "\x81\x40";
    ParsedTable parsed
        = ParseTable(".title=Menus\n.codepage=932\n41=A\n8140=" + blank
                         + "\n/FF\n*FE\n05=v\n12345=w\n"
                           "subtable=e0\nstart=1f000\nend=1ffff\nstart=123450000\nend="
                           "12345ffff\n42=b\nsubtableend=e1\n"
                           "(0001F2A0)Intro\n",
                     "menus.tbl");
    const std::vector<Bookmark> bookmarks{
        {0x1F2A0, "Intro"}, {0x10, "Other table"}, {0x123456780, "Disc two"}};
    EXPECT_EQ(FormatTableFile(parsed.table, bookmarks),
              ".codepage=932\r\n"
              ".title=Menus\r\n"
              "012345=w\r\n"
              "8140="
                  + blank
                  + "\r\n"
                    "/FF\r\n"
                    "*FE\r\n"
                    "41=A\r\n"
                    "05=v\r\n"
                    "subtable=e0\r\n"
                    "start=1f000\r\n"
                    "end=1ffff\r\n"
                    "start=123450000\r\n"
                    "end=12345ffff\r\n"
                    "42=b\r\n"
                    "subtableend=e1\r\n"
                    "(0001F2A0)Intro\r\n"
                    "(00000010)Other table\r\n"
                    "(123456780)Disc two\r\n");
}

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
    ASSERT_TRUE(SaveTableFile(table, {{5, "Mark"}}, folder / "r.tbl").ok());

    LoadedTables tables;
    ASSERT_TRUE(LoadTableFile(folder / "r.tbl", tables).status.ok());
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
    ASSERT_EQ(tables.Bookmarks().size(), 1u);
    EXPECT_EQ(tables.Bookmarks()[0].name, "Mark");

    EXPECT_FALSE(SaveTableFile(table, {}, folder / "no-folder" / "x.tbl").ok());
}

} // namespace
} // namespace byteloom
