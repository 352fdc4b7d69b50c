#include "scripts/command_insert.h"

#include "command_script_support.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"
#include "support/faulty_file_system.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using test::Bytes;

constexpr const char *kTable
    = ".codepage=1252\n41=A\n42=B\n43=C\n44=D\n4142=AB\n20= \n2F=/\nE9=\xE9\n"
      "/00=<END>\n/<STOP>\n*0A=<LINE>\n";
constexpr const char *kHead = "#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n";

std::string Script(const std::string &body)
{
    return kHead + body;
}

std::string Errors(const CommandScriptPlan &plan)
{
    std::string text;
    for (const ScriptProblem &error : plan.report.errors)
        text += error.message + "\n";
    return text;
}

TEST(CommandScriptInsert, LinesCommentsAndTextRuns)
{
    test::ScriptBench bench(kTable);
    // A BOM, every line break, notes after a command, "//" inside text, blanks kept, raw
    // bytes, the longest match, tokens with and without bytes, and a UTF-8 character of 1252.
    const auto plan
        = bench.Plan({"\xEF\xBB\xBF"
                      + Script("// a comment\r\n  #JMP($10, \"one\")   // a note\r\n AB\rC//A\n"
                               "<$7F>($80)<LINE>\xC3\xA9<STOP>C<END>\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(
        bench.At(plan, 0x10, 13),
        (Bytes{0x20, 0x41, 0x42, 0x43, 0x2F, 0x2F, 0x41, 0x7F, 0x80, 0x0A, 0xE9, 0x43, 0x00}));
    EXPECT_TRUE(IsCommandScript("\n// x\n  #JMP(0)\n"));
    EXPECT_FALSE(IsCommandScript("<00000010>\n#JMP(0)\n"));
}

TEST(CommandScriptInsert, EveryErrorIsListedWithItsLineAndNothingIsPlanned)
{
    test::ScriptBench bench(kTable);
    test::WriteBytes(bench.folder / "rom.tbl", {0x12, 0x90, 0xFF, 0x00, 0x0A, 0x01});
    const auto plan = bench.Plan({"A\n" // 1: before #JMP
                                  "#VAR(T, TABLE)\n#ADDTBL(\"t.tbl\", T)\n#ACTIVETBL(T)\n"
                                  "#JMP($10)\n"   // 5
                                  "#FOO(1)\n"     // 6: unknown
                                  "#JMP(\"x\")\n" // 7: wrong form
                                  "#WRITE(Q)\n"   // 8: undeclared
                                  "A\xFF"
                                  "B\n"                                          // 9: no entry
                                  "#VAR(E, EXTENSION)\n"                         // 10: extension
                                  "#VAR(U, TABLE)\n#ADDTBL(\"none.tbl\", U)\n"   // 12: missing
                                  "#JMP($10, \"unclosed)\n"                      // 13
                                  "#SMA(\"FAR\")\n"                              // 14
                                  "#VAR(R, TABLE)\n#ADDTBL(\"rom.tbl\", R)\n"}); // 16: no table
    const std::string errors = Errors(plan);
    for (const char *expected : {"s0.txt line 1: Text comes before the first #JMP",
                                 "line 6: Unknown command #FOO",
                                 "line 7: #JMP takes (number) or",
                                 "line 8: Q is not declared",
                                 "line 9: No entry of the table",
                                 "line 10: Extensions are not supported",
                                 "line 12: The table none.tbl cannot be read",
                                 "line 13: A string argument has no closing",
                                 "line 14: Unknown address type \"FAR\"",
                                 "line 16: rom.tbl is not a table file"})
        EXPECT_NE(errors.find(expected), std::string::npos) << expected << "\n" << errors;
    EXPECT_EQ(plan.report.errors.size(), 10u) << errors;
    EXPECT_EQ(ReportText(plan.report).rfind("10 errors; nothing was written:", 0), 0u);
}

TEST(CommandScriptInsert, NumbersFilesAndPlacesAreCheckedBeforeAnythingIsWritten)
{
    test::ScriptBench bench(kTable);
    // A fill to the largest end a script may give stops at the open file's end.
    auto plan = bench.Plan({Script("#FILL($AA)\n#JMP($FF0, $10000000000)\nA\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(bench.At(plan, 0xFF0, 3), (Bytes{0x41, 0xAA, 0xAA}));
    EXPECT_EQ(plan.bytes.size(), 1u);
    // An embedded table of a million pointers is one fill, not a million writes.
    plan = bench.Plan({Script("#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 32)\n"
                              "#VAR(E, EMBPOINTERTABLE)\n#SETTARGETFILE(\"e.bin\")\n#JMP(0)\n"
                              "#EMBPTRTBL(E, 1000000, P)\n#WRITE(E, 7)\n")});
    EXPECT_EQ(plan.writes.size(), 2u);
    EXPECT_NE(ReportText(plan.report)
                  .find("Slots 0, 1, 2, 3, 4, 5, 6, 8, 9, 10 and 999989 more "
                        "of E were never written"),
              std::string::npos);
    EXPECT_EQ(plan.report.UnresolvedCount(), 999999);

    plan = bench.Plan({Script("#SETTARGETFILE(\"big.bin\")\n#JMP($7FFFFFFF)\nAB\n"
                              "#FIXEDLENGTH($7FFFFFFF, 0)\n#WLB($-1)\n#JMP($7FFFFFFFFFFFFFFF)\n"
                              "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n"
                              "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, 0, $10000, P)\n"
                              "#WRITE(PT, $10000000000)\n")});
    const std::string errors = Errors(plan);
    for (const char *expected :
         {"line 6: This would make big.bin larger than 2 GiB",
          "line 7: #FIXEDLENGTH takes a length of 0 to 65535",
          "line 8: A write at the negative offset $-1",
          "line 9: The number $7FFFFFFFFFFFFFFF is too large",
          "line 14: Slot 1099511627776 of the pointer table lies past $20000000000"})
        EXPECT_NE(errors.find(expected), std::string::npos) << expected << "\n" << errors;

    // A target that cannot be written is found before any file is.
    std::filesystem::create_directory(bench.folder / "sub");
    plan = bench.Plan({Script("#SETTARGETFILE(\"a.bin\")\n#JMP(0)\nA\n#SETTARGETFILE(\"sub\")\n"
                              "#JMP(0)\nB\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    auto document = test::DocumentOf(bench.image);
    UndoJournal journal;
    const Status status = ApplyCommandScriptPlan(RealFileSystem(), *document, journal, plan);
    EXPECT_FALSE(status.ok());
    EXPECT_FALSE(std::filesystem::exists(bench.folder / "a.bin")) << status.message();

    // Pointer lists take every kind of line break and a byte-order mark.
    test::WriteText(bench.folder / "list.txt", "\xEF\xBB\xBF$10\r$12\r\n\n20\n");
    plan = bench.Plan({Script("#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 8)\n"
                              "#VAR(L, POINTERLIST)\n#PTRLIST(L, \"list.txt\", P)\n#JMP($40)\n"
                              "#WRITE(L)\n#WRITE(L)\n#WRITE(L)\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(bench.At(plan, 0x10, 5), (Bytes{0x40, 0xEE, 0x40, 0xEE, 0x40}));
}

TEST(CommandScriptInsert, AStringKeepsTheFormItBeganWithAndEveryCutIsCounted)
{
    test::ScriptBench bench(kTable);
    // The length prefix, the end token and an embedded pointer take the form of their start.
    auto plan = bench.Plan({Script(
        "#STRTYPE(\"PASCAL\")\n#PASCALLEN(1)\n#JMP($10)\nAB\n#PASCALLEN(4)\nC<END>\n"
        "#STRTYPE(\"ENDTERM\")\n#JMP($20)\nABC\n#STRTYPE(\"PASCAL\")\nC<END>\n"
        "#STRTYPE(\"ENDTERM\")\n#EMBTYPE(\"LINEAR\", 16, 0)\n#JMP($30)\n#EMBSET(0)\nABCD<END>\n"
        "#EMBTYPE(\"LINEAR\", 32, 0)\n#EMBWRITE(0)\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(bench.At(plan, 0x10, 5), (Bytes{0x03, 0x41, 0x42, 0x43, 0xEE}));
    EXPECT_EQ(bench.At(plan, 0x20, 5), (Bytes{0x41, 0x42, 0x43, 0x43, 0x00}));
    EXPECT_EQ(bench.At(plan, 0x30, 8), (Bytes{0x37, 0x00, 0x41, 0x42, 0x43, 0x44, 0x00, 0xEE}));

    // A pointer whose zeros a fixed length cut is lost, not written over the next string; a
    // length cut at a block's end is a cut; a fill covers the gap an alignment left.
    plan = bench.Plan(
        {Script("#FIXEDLENGTH(3, $00)\n#JMP($10)\nABC\n#EMBSET(0)\n<END>CD<END>\n#EMBWRITE(0)\n"
                "#FIXEDLENGTH(0, 0)\n#STRTYPE(\"PASCAL\")\n#PASCALLEN(2)\n#JMP($20, $20)\n<END>\n"
                "#STRTYPE(\"ENDTERM\")\n#FILL($00)\n#STRINGALIGN(4)\n#JMP($30, $37)\nAB<END>\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(bench.At(plan, 0x10, 7), (Bytes{0x41, 0x42, 0x43, 0x43, 0x44, 0x00, 0xEE}));
    EXPECT_EQ(plan.report.pointerBytesLost, 2);
    EXPECT_EQ(bench.At(plan, 0x20, 2), (Bytes{0x00, 0xEE}));
    EXPECT_EQ(bench.At(plan, 0x30, 9),
              (Bytes{0x41, 0x42, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xEE}));
    ASSERT_EQ(plan.report.cut.size(), 2u);
    EXPECT_EQ(plan.report.cut[1].offset, 0x20);
    EXPECT_EQ(plan.report.blocks[2].Left(), 5);

    // A length too long for its prefix names the string's own line.
    plan = bench.Plan(
        {Script("#STRTYPE(\"PASCAL\")\n#JMP($100)\n" + std::string(300, 'A') + "\n#JMP(0)\n")});
    EXPECT_NE(Errors(plan).find("line 6: The string is 300 bytes long"), std::string::npos)
        << Errors(plan);
}

TEST(CommandScriptInsert, LowLevelWritesTakeTheTypeTheByteOrderAndAPart)
{
    test::ScriptBench bench(kTable);
    const auto plan = bench.Plan({Script(
        "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", $100, 16)\n#HDR($10)\n#JMP($122)\n"
        "#SMA(\"HIROM\")\n#W16($200)\n#W24($210)\n#W32($220)\n"
        "#WLB($230)\n#WHB($231)\n#WBB($232)\n#WUB($233)\n#WHW($234)\n"
        "#ENDIANSWAP(\"TRUE\")\n#W24($240)\n#WHW($244)\n#W16(P, $248)\n#ENDIANSWAP(\"FALSE\")\n"
        "#W16(P, $24C)\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    // The position $122 less the header is $112; HIROM makes it $C00112.
    EXPECT_EQ(bench.At(plan, 0x200, 2), (Bytes{0x12, 0x01}));
    EXPECT_EQ(bench.At(plan, 0x210, 3), (Bytes{0x12, 0x01, 0xC0}));
    EXPECT_EQ(bench.At(plan, 0x220, 4), (Bytes{0x12, 0x01, 0xC0, 0x00}));
    EXPECT_EQ(bench.At(plan, 0x230, 6), (Bytes{0x12, 0x01, 0xC0, 0x00, 0xC0, 0x00}));
    EXPECT_EQ(bench.At(plan, 0x240, 3), (Bytes{0xC0, 0x01, 0x12}));
    EXPECT_EQ(bench.At(plan, 0x244, 2), (Bytes{0x00, 0xC0}));
    // Through P: its type and offsetting, the command's size.
    EXPECT_EQ(bench.At(plan, 0x248, 2), (Bytes{0x00, 0x12}));
    EXPECT_EQ(bench.At(plan, 0x24C, 2), (Bytes{0x12, 0x00}));
    EXPECT_EQ(plan.report.pointers[static_cast<std::size_t>(PointerKind::LowLevel)], 12);
}

TEST(CommandScriptInsert, ABlockNeverWritesPastItsMaxAndIsFilledWhenItCloses)
{
    test::ScriptBench bench(kTable);
    const auto plan
        = bench.Plan({Script("#FILL($FF)\n#JMP($20, $23, \"Menu\")\nAB<END>\n"
                             "#JMP($30, $35)\nABC<END>\nABC<END>\n#JMP($40, $41)\nC\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    EXPECT_EQ(bench.At(plan, 0x20, 5), (Bytes{0x41, 0x42, 0x00, 0xFF, 0xEE}));
    EXPECT_EQ(bench.At(plan, 0x30, 7), (Bytes{0x41, 0x42, 0x43, 0x00, 0x41, 0x42, 0xEE}));
    EXPECT_EQ(bench.At(plan, 0x40, 3), (Bytes{0x43, 0xFF, 0xEE}));
    ASSERT_EQ(plan.report.cut.size(), 1u);
    EXPECT_EQ(plan.report.cut[0].line, 9);
    EXPECT_EQ(plan.report.cut[0].block, "$30");
    EXPECT_EQ(plan.report.cut[0].offset, 0x34);
    EXPECT_EQ(plan.report.cut[0].lost, 2);
    EXPECT_TRUE(plan.report.Lost());
    EXPECT_EQ(plan.report.blocks[0].Left(), 1);
    EXPECT_EQ(BlockLine(plan.report.blocks[1]), "rom.bin $30-$35: 6 bytes written, 2 lost");
    const std::string report = ReportText(plan.report);
    EXPECT_NE(
        report.find("1 string was cut:\n  s0.txt line 9 in $30: the string at $34 lost 2 bytes"),
        std::string::npos)
        << report;
}

TEST(CommandScriptInsert, PascalFixedLengthAndAlignedStrings)
{
    test::ScriptBench bench(kTable);
    const auto plan = bench.Plan(
        {Script("#JMP($10)\n#STRTYPE(\"PASCAL\")\n#PASCALLEN(2)\nAB<END>C<STOP>\n"
                "#JMP($20)\n#STRTYPE(\"ENDTERM\")\n#FIXEDLENGTH(4, $2E)\nA<END>ABCBA<END>\n"
                "#JMP($30)\n#FIXEDLENGTH(0, 0)\n#STRINGALIGN(4)\nA<END>BC<END>C\n#STRINGALIGN(0)\n"
                "#VAR(L, POINTERTABLE)\n#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 8)\n"
                "#PTRTBL(L, $50, 1, P)\n#JMP($41)\n#STRINGALIGN(2)\n#WRITE(L)\nA<END>\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    // A length before each string instead of the end token's bytes.
    EXPECT_EQ(bench.At(plan, 0x10, 7), (Bytes{0x02, 0x00, 0x41, 0x42, 0x01, 0x00, 0x43}));
    // Padded to 4 bytes, or cut (and counted) at 4, end token included.
    EXPECT_EQ(bench.At(plan, 0x20, 9),
              (Bytes{0x41, 0x00, 0x2E, 0x2E, 0x41, 0x42, 0x43, 0x42, 0xEE}));
    ASSERT_EQ(plan.report.cut.size(), 1u);
    EXPECT_EQ(plan.report.cut[0].lost, 2);
    // Each string starts at a multiple of 4; the gap keeps its bytes.
    EXPECT_EQ(bench.At(plan, 0x30, 9),
              (Bytes{0x41, 0x00, 0xEE, 0xEE, 0x42, 0x43, 0x00, 0xEE, 0x43}));
    // A pointer written before a string points where the aligned string starts.
    EXPECT_EQ(bench.At(plan, 0x50, 1), (Bytes{0x42}));
    EXPECT_EQ(bench.At(plan, 0x42, 2), (Bytes{0x41, 0x00}));
}

TEST(CommandScriptInsert, EmbeddedPointersInEitherOrderAndThoseLeftUnresolved)
{
    test::ScriptBench bench(kTable);
    const auto plan = bench.Plan({Script(
        "#EMBTYPE(\"LINEAR\", 16, $-100)\n#JMP($10)\n#EMBSET(1)\nA\n#EMBWRITE(2)\nB<END>\n"
        "#EMBWRITE(1)\nC<END>\n#EMBSET(2)\n#EMBSET(3)\n#EMBWRITE(4)\n"
        "#VAR(E, EMBPOINTERTABLE)\n#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 8)\n"
        "#JMP($40)\n#EMBPTRTBL(E, 3, P)\n#WRITE(E, 1)\nA<END>\n#WRITE(E)\nB<END>\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    // Pointer 1 at $10 points at "C" ($15); pointer 2 at $17 points at "B" ($13).
    EXPECT_EQ(bench.At(plan, 0x10, 9),
              (Bytes{0x15, 0x01, 0x41, 0x42, 0x00, 0x43, 0x00, 0x13, 0x01}));
    EXPECT_EQ(bench.At(plan, 0x40, 7), (Bytes{0x00, 0x43, 0x45, 0x41, 0x00, 0x42, 0x00}));
    ASSERT_EQ(plan.report.unresolved.size(), 3u);
    const std::string report = ReportText(plan.report);
    for (const char *expected : {"line 13: #EMBSET(3) has no #EMBWRITE",
                                 "line 14: #EMBWRITE(4) has no #EMBSET",
                                 "Slot 0 of E was never written"})
        EXPECT_NE(report.find(expected), std::string::npos) << report;
    EXPECT_TRUE(plan.report.Lost());
}

TEST(CommandScriptInsert, PointerListsAutowriteAndOtherFiles)
{
    test::ScriptBench bench(kTable);
    test::WriteText(bench.folder / "list.txt", "$100\n\n  $108\r\n272\n");
    test::WriteText(bench.folder / "art.bin", "0123456789");
    const auto plan = bench.Plan({Script(
        "#VAR(L, POINTERLIST)\n#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n"
        "#PTRLIST(L, \"list.txt\", P)\n#JMP($20)\n#AUTOWRITE(L, \"<END>\")\nA<END>B<STOP>C<END>\n"
        "#DISABLE(L, \"<END>\")\nA<END>\n#INSERTBINARY(\"art.bin\", 2, "
        "3)\n#INSERTBINARY(\"art.bin\", 8, 0)\n"
        "#SETPTRFILE(\"ptrs.bin\")\n#WRITE(L)\n#SETTARGETFILE(\"more.bin\")\n#JMP(4)\nABC\n"
        "#WRITE(L)\n")});
    ASSERT_TRUE(plan.report.Failed());
    EXPECT_NE(Errors(plan).find("line 20: The pointer list has 3 offsets; slot 3 is past its end"),
              std::string::npos)
        << Errors(plan);

    const auto good = bench.Plan({Script(
        "#VAR(L, POINTERLIST)\n#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n"
        "#PTRLIST(L, \"list.txt\", P)\n#JMP($20)\n#AUTOWRITE(L, \"<END>\")\nA<END>B<STOP>C<END>\n"
        "#DISABLE(L, \"<END>\")\nA<END>\n#INSERTBINARY(\"art.bin\", 2, "
        "3)\n#INSERTBINARY(\"art.bin\", 8, 0)\n"
        "#SETPTRFILE(\"ptrs.bin\")\n#WRITE(L)\n#SETTARGETFILE(\"more.bin\")\n#JMP(4)\nABC\n")});
    ASSERT_FALSE(good.report.Failed()) << Errors(good);
    EXPECT_EQ(bench.At(good, 0x20, 11),
              (Bytes{0x41, 0x00, 0x42, 0x43, 0x00, 0x41, 0x00, '2', '3', '4', '8'}));
    EXPECT_EQ(bench.At(good, 0x100, 2), (Bytes{0x20, 0x00}));
    EXPECT_EQ(bench.At(good, 0x108, 2), (Bytes{0x23, 0x00})); // <STOP> ended "B"
    EXPECT_EQ(bench.At(good, 272, 2), (Bytes{0xEE, 0xEE}));   // its pointer went to ptrs.bin

    // Applying: the other files first, then the open file as one undo step.
    auto document = test::DocumentOf(bench.image);
    UndoJournal journal;
    auto plan2 = good;
    ASSERT_TRUE(ApplyCommandScriptPlan(RealFileSystem(), *document, journal, plan2).ok());
    EXPECT_EQ(test::ContentsOf(*document), bench.Applied(good));
    Bytes pointers(272, 0);
    pointers.insert(pointers.end(), {0x2C, 0x00});
    EXPECT_EQ(test::ReadBytes(bench.folder / "ptrs.bin"), pointers);
    EXPECT_EQ(test::ReadBytes(bench.folder / "more.bin"), (Bytes{0, 0, 0, 0, 0x41, 0x42, 0x43}));
    EXPECT_EQ(plan2.report.files.size(), 2u);
    ASSERT_EQ(journal.UndoCount(), 1u);
    ASSERT_TRUE(journal.Undo(*document));
    EXPECT_EQ(test::ContentsOf(*document), bench.image);
}

TEST(CommandScriptInsert, AnOtherFileThatCannotBeWrittenLeavesTheDocumentAsItWas)
{
    test::ScriptBench bench(kTable);
    auto plan = bench.Plan({Script("#JMP(0)\nA\n#SETPTRFILE(\"ptrs.bin\")\n#W16(0)\n")});
    ASSERT_FALSE(plan.report.Failed()) << Errors(plan);
    auto document = test::DocumentOf(bench.image);
    UndoJournal journal;
    test::FaultyFileSystem files;
    files.failKind = "rename";
    const Status status = ApplyCommandScriptPlan(files, *document, journal, plan);
    ASSERT_FALSE(status.ok());
    EXPECT_NE(status.message().find("The open file was not changed."), std::string::npos)
        << status.message();
    EXPECT_EQ(test::ContentsOf(*document), bench.image);
    EXPECT_EQ(journal.UndoCount(), 0u);
    EXPECT_FALSE(std::filesystem::exists(bench.folder / "ptrs.bin"));
}

} // namespace
} // namespace byteloom
