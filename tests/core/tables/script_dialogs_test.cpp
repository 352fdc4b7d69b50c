#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/script_dialogs.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

TEST(ScriptDialogs, TheDumperOpensAtTheCaretOrTheSelectionAndNeedsAFileName)
{
    const DumpDialogFields caret = DumpScriptFields(0x1F2A0);
    EXPECT_EQ(caret.start, "1F2A0");
    EXPECT_EQ(caret.length, "0");
    EXPECT_TRUE(caret.clean);
    // A selection made backwards gives the same fields as one made forwards.
    for (const auto &[anchor, end] : {std::pair{0x10, 0x3A}, std::pair{0x3A, 0x10}}) {
        const DumpDialogFields selected = DumpSelectedFields(anchor, end);
        EXPECT_EQ(selected.start, "10");
        EXPECT_EQ(selected.length, "2A");
    }

    DumpDialogFields fields = caret;
    EXPECT_EQ(std::get<std::string>(ReadDumpDialog(fields)), "Please give a file name");
    // A dump of nothing would only empty the file.
    fields = {"out.txt", "1f2a0zz", "", false};
    EXPECT_EQ(std::get<std::string>(ReadDumpDialog(fields)), "Please input a length");
    fields.length = "10";
    const auto request = std::get<DumpRequest>(ReadDumpDialog(fields));
    EXPECT_EQ(request.path, "out.txt");
    EXPECT_EQ(request.range.offset, 0x1F2A0);
    EXPECT_EQ(request.range.length, 0x10);
    EXPECT_FALSE(request.clean);

    // A file that exists is replaced only after a question, unless the Save dialog chose it.
    test::TempFolder folder;
    test::WriteBytes(folder / "old.txt", {'o'});
    EXPECT_NE(ReplaceFileQuestion(RealFileSystem(), folder / "old.txt", {})
                  ->find("old.txt already exists"),
              std::string::npos);
    EXPECT_FALSE(ReplaceFileQuestion(RealFileSystem(), folder / "old.txt", folder / "old.txt"));
    EXPECT_FALSE(ReplaceFileQuestion(RealFileSystem(), folder / "new.txt", {}));
}

TEST(ScriptDialogs, TheInsertDialogOffersTheTablesAndReadsTheAddressInItsBase)
{
    LoadedTables tables;
    EXPECT_EQ(InsertScriptFields(0x64, tables).table, "none");
    tables.Add(ParseTable(".title=zeta\n41=A\n", "z.tbl").table);
    tables.Add(ParseTable(".title=Alpha\n41=A\n", "a.tbl").table);
    tables.Add(ParseTable(".title=beta\n41=A\n", "b.tbl").table);
    tables.SetCurrentTableIndex(0);
    EXPECT_EQ(InsertTableChoices(tables),
              (std::vector<std::string>{"Alpha (1252)", "beta (1252)", "none", "zeta (1252)"}));

    InsertDialogFields fields = InsertScriptFields(0x64, tables);
    EXPECT_EQ(fields.address, "64");
    EXPECT_FALSE(fields.decimal);
    EXPECT_EQ(fields.table, "zeta (1252)");
    EXPECT_EQ(InsertAddressText(0x64, true), "100");
    EXPECT_EQ(InsertAddressText(0xAB, false), "AB"); // as the Dumper writes offsets
    EXPECT_EQ(std::get<std::string>(ReadInsertDialog(fields, tables)), "Please give a file name");

    fields.path = "script.txt";
    fields.decimal = true;
    fields.address = "100";
    EXPECT_EQ(std::get<InsertRequest>(ReadInsertDialog(fields, tables)).place.address, 0x64);
    fields.decimal = false;
    fields.address = "1g";
    EXPECT_EQ(std::get<InsertRequest>(ReadInsertDialog(fields, tables)).place.address, 1);
    fields.address = "";
    EXPECT_EQ(std::get<InsertRequest>(ReadInsertDialog(fields, tables)).place.address, 0);
    fields.table = "none";
    EXPECT_EQ(std::get<InsertRequest>(ReadInsertDialog(fields, tables)).tableTitle, "none");
    fields.table = "Beta (1252)"; // titles are matched exactly
    EXPECT_EQ(std::get<std::string>(ReadInsertDialog(fields, tables)),
              "No loaded table is titled \"Beta (1252)\"; nothing was inserted.");

    // "Ends at" is a whole hexadecimal offset, or nothing.
    fields.table = "none";
    fields.end = "1F0";
    EXPECT_EQ(std::get<InsertRequest>(ReadInsertDialog(fields, tables)).place.end, 0x1F0);
    fields.end = "1F0x";
    EXPECT_NE(std::get<std::string>(ReadInsertDialog(fields, tables)).find("hexadecimal"),
              std::string::npos);

    // A dump with headers places its strings itself, in UTF-16 too.
    test::TempFolder folder;
    test::WriteBytes(folder / "utf16.txt", {0xFF, 0xFE, '<', 0,   '0', 0,   '0', 0,   '0', 0,   '0',
                                            0,    '0',  0,   '0', 0,   '0', 0,   '1', 0,   '>', 0});
    EXPECT_TRUE(ScriptFileHasHeaders(RealFileSystem(), folder / "utf16.txt"));
}

} // namespace
} // namespace byteloom
