#include "document/rollback_file.h"
#include "session/file_lifecycle.h"
#include "session/lifecycle_texts.h"
#include "session/session.h"
#include "session/window_title.h"
#include "support/documents.h"
#include "support/fake_prompts.h"
#include "support/faulty_file_system.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/table_notes.h"
#include "view/offset_label.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

class FileLifecycleTest : public testing::Test
{
protected:
    void Edit(std::int64_t offset = 0, std::uint8_t value = 0x5A)
    {
        ASSERT_TRUE(session.document().WriteByte(offset, value));
        lifecycle.NoteEdited();
    }

    test::TempFolder folder;
    Session session;
    test::FakePrompts prompts;
    FileLifecycle lifecycle{session, prompts};
};

TEST_F(FileLifecycleTest, TitlesFollowTheDocument)
{
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0");
    WriteBytes(folder / "a.bin", PatternBytes(64));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin ] - ASCII");
    Edit();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin  *] - ASCII");
    Edit(1);
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin  *] - ASCII");
    lifecycle.SaveDocument();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin ] - ASCII");
    EXPECT_EQ(ReadBytes(folder / "a.bin")[1], 0x5A);

    session.display().unicodeText = true;
    session.display().bigEndian = true;
    lifecycle.NoteTextModeChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin ] - Unicode (Big Endian)");
    session.display().bigEndian = false;
    lifecycle.NoteTextModeChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ a.bin ] - Unicode");
    lifecycle.CloseDocument();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0");
    session.display().unicodeText = false;
    lifecycle.NoteTextModeChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0 - ASCII");

    lifecycle.NewDocument();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ (Unnamed) ] - ASCII");
    EXPECT_EQ(session.document().Size(), 2048);

    // A code page kept in the settings is named from the start; the default one is not.
    Session started;
    FileLifecycle starting{started, prompts};
    starting.NoteSettingsLoaded();
    EXPECT_EQ(starting.Title(), "Byteloom RC7 3.0.0");
    started.display().defaultCodePage = false;
    started.display().codePageIndex = 0;
    starting.NoteSettingsLoaded();
    EXPECT_EQ(starting.Title(), "Byteloom RC7 3.0 - " + started.codePages().At(0)->name);
}

TEST_F(FileLifecycleTest, ACompanionTableAndAByteOrderMarkSetTheTextMode)
{
    WriteBytes(folder / "game.bin", {0xFF, 0xFE, 0x41, 0x00});
    WriteText(folder / "game.tbl", ".title=G\n41=A");
    ASSERT_EQ(lifecycle.OpenByPath(folder / "game.bin"), LoadStatus::Loaded);
    EXPECT_TRUE(session.display().unicodeText);
    EXPECT_FALSE(session.display().bigEndian);
    // The text column shows the UTF-16 text, and the title says so, table or not.
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ game.bin ] - Unicode");
    ASSERT_EQ(session.tables().Count(), 1);
    EXPECT_TRUE(lifecycle.TakeCompanionNotice().empty());

    // A table beside the file that loses lines says so; one that cannot be read is reported.
    WriteBytes(folder / "other.bin", {0});
    WriteText(folder / "other.tbl", "41=A\nnone");
    ASSERT_EQ(lifecycle.OpenByPath(folder / "other.bin"), LoadStatus::Loaded);
    EXPECT_NE(lifecycle.TakeCompanionNotice().find("other.tbl: Table loaded: 1 line skipped"),
              std::string::npos);
    WriteBytes(folder / "third.bin", {0});
    std::filesystem::create_directory(folder / "third.tbl");
    ASSERT_EQ(lifecycle.OpenByPath(folder / "third.bin"), LoadStatus::Loaded);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("beside the file was not loaded"), std::string::npos);

    // Open Table refuses a file that is no table with the loader's reason, not "File not found".
    prompts.openPaths = {folder / "third.bin", folder / "none.tbl"};
    EXPECT_FALSE(lifecycle.OpenTableWithDialog());
    EXPECT_EQ(prompts.messages.back(), NotATableMessage("third.bin"));
    EXPECT_FALSE(lifecycle.OpenTableWithDialog());
    EXPECT_EQ(prompts.messages.back().rfind("File not found: ", 0), 0u);

    // A file that is itself a table looks for no companion.
    ASSERT_EQ(lifecycle.OpenByPath(folder / "game.tbl"), LoadStatus::Loaded);
    EXPECT_EQ(session.tables().Count(), 2);
    EXPECT_EQ(session.options().recentFiles.front(), (folder / "game.tbl").string());
}

// Tables stay loaded when another file is opened, load once however often their file is
// opened, and the title always names what the text column decodes through.
TEST_F(FileLifecycleTest, TablesStayAcrossOpensAndTheTitleNamesWhatTheColumnShows)
{
    WriteBytes(folder / "game.bin", PatternBytes(64));
    WriteBytes(folder / "other.bin", PatternBytes(32));
    const std::string table = ".title=G\n41=A\n(00000010)Start\n";
    WriteBytes(folder / "game.tbl", std::vector<std::uint8_t>(table.begin(), table.end()));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "game.bin"), LoadStatus::Loaded);
    ASSERT_EQ(lifecycle.OpenByPath(folder / "game.bin"), LoadStatus::Loaded);
    EXPECT_EQ(session.tables().Count(), 1);
    EXPECT_EQ(session.tables().Bookmarks().size(), 1u);

    Edit();
    prompts.saveAnswers = {SaveAnswer::No};
    prompts.openPaths = {folder / "other.bin"};
    ASSERT_EQ(lifecycle.OpenWithDialog(), LoadStatus::Loaded);
    EXPECT_EQ(session.tables().Count(), 1);
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ other.bin ] - G (1252)");

    // A code page chosen while the table is current leaves the column, and the title, to it.
    session.display().defaultCodePage = false;
    session.display().codePageIndex = 1;
    lifecycle.NoteTextModeChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ other.bin ] - G (1252)");
    session.tables().SetCurrentTableIndex(-1);
    lifecycle.NoteTableChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ other.bin ] - 932 ( Japanese )");
    // Unsaved work keeps its marker whichever table the title names.
    Edit();
    session.tables().SetCurrentTableIndex(0);
    lifecycle.NoteTableChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ other.bin  *] - G (1252)");
    // A title in Shift-JIS is shown as its characters.
    test::WriteText(folder / "j.tbl", ".codepage=932\n.title=\x83\x65\n8340=x\n");
    ASSERT_TRUE(LoadTableFile(session.files(), folder / "j.tbl", session.tables()).status.ok());
    lifecycle.NoteTableChanged();
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ other.bin  *] - \xE3\x83\x86 (932)");

    EXPECT_EQ(BookmarkMenuText(std::string(100, 'x')).size(), 64u);
    std::string kana; // 70 characters of three bytes each
    for (int i = 0; i < 70; ++i)
        kana += "\xE3\x83\x9E";
    EXPECT_EQ(BookmarkMenuText(kana), kana.substr(0, 64 * 3));
}

// A start-up file that is missing is passed over; one that is there but cannot be opened is
// reported with the reason.
TEST_F(FileLifecycleTest, AStartUpFileThatCannotBeOpenedIsReported)
{
    EXPECT_NE(lifecycle.OpenByPath(folder / "missing.bin"), LoadStatus::Loaded);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_NE(lifecycle.OpenByPath(folder.path()), LoadStatus::Loaded);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("it is a directory, not a file"), std::string::npos);
}

TEST_F(FileLifecycleTest, SaveAsCopiesAnyDocumentAndAnInterruptedSaveIsUndoneOnOpen)
{
    // A document opened and not edited is written to the new name, not merely renamed.
    WriteBytes(folder / "a.bin", PatternBytes(64));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    prompts.savePaths = {folder / "b.bin"};
    lifecycle.SaveDocumentAs();
    EXPECT_EQ(ReadBytes(folder / "b.bin"), PatternBytes(64));
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ b.bin ] - ASCII");

    SealRollback(folder / "a.bin", 64, PatternBytes(64), {{0, 64}});
    WriteBytes(folder / "a.bin", PatternBytes(80, 9));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    EXPECT_EQ(ReadBytes(folder / "a.bin"), PatternBytes(64));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("put back as it was"), std::string::npos);
}

TEST_F(FileLifecycleTest, EveryAnswerToTheSavePromptIsHonoured)
{
    WriteBytes(folder / "a.bin", PatternBytes(64));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    Edit();

    prompts.saveAnswers = {SaveAnswer::Cancel};
    lifecycle.CloseDocument();
    EXPECT_TRUE(session.document().IsOpen());
    EXPECT_EQ(prompts.asked.back(), std::string(kSavePrompt));

    prompts.saveAnswers = {SaveAnswer::No};
    lifecycle.CloseDocument();
    EXPECT_FALSE(session.document().IsOpen());
    EXPECT_EQ(ReadBytes(folder / "a.bin"), PatternBytes(64));

    // Yes on a named document saves it in place, without a dialog.
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    Edit();
    prompts.saveAnswers = {SaveAnswer::Yes};
    lifecycle.CloseDocument();
    EXPECT_FALSE(session.document().IsOpen());
    EXPECT_TRUE(prompts.dialogTitles.empty());
    EXPECT_EQ(ReadBytes(folder / "a.bin")[0], 0x5A);
}

TEST_F(FileLifecycleTest, UnnamedDocumentsAskForANameAndACancelledDialogLosesNothing)
{
    lifecycle.NewDocument();
    // Saving a document never edited names it and writes nothing.
    prompts.savePaths = {folder / "named.bin"};
    lifecycle.SaveDocument();
    EXPECT_EQ(prompts.dialogTitles.back(), std::string(kSaveDialogTitle));
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ named.bin ] - ASCII");
    EXPECT_FALSE(std::filesystem::exists(folder / "named.bin"));

    lifecycle.NewDocument();
    Edit();
    prompts.saveAnswers = {SaveAnswer::Yes};
    prompts.savePaths = {std::nullopt};
    lifecycle.CloseDocument();
    EXPECT_TRUE(session.document().IsOpen()); // the dialog was cancelled: nothing is dropped

    prompts.saveAnswers = {SaveAnswer::Yes};
    prompts.savePaths = {folder / "kept.bin"};
    EXPECT_TRUE(lifecycle.ExitApplication());
    EXPECT_EQ(ReadBytes(folder / "kept.bin")[0], 0x5A);
}

TEST_F(FileLifecycleTest, FailuresAreReportedAndTheDocumentStaysModified)
{
    lifecycle.NewDocument();
    Edit();
    prompts.savePaths = {folder / "missing-folder" / "x.bin"};
    lifecycle.SaveDocument();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("x.bin"), std::string::npos);
    EXPECT_TRUE(session.document().IsUnnamed());
    EXPECT_FALSE(session.document().IsClean());
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ (Unnamed)  *] - ASCII");

    // An Exit whose save fails does not end the program.
    prompts.saveAnswers = {SaveAnswer::Yes};
    prompts.savePaths = {folder / "missing-folder" / "y.bin"};
    EXPECT_FALSE(lifecycle.ExitApplication());

    prompts.saveAnswers = {SaveAnswer::No};
    prompts.openPaths = {folder / "absent.bin"};
    EXPECT_EQ(lifecycle.OpenWithDialog(), LoadStatus::CannotOpen);
    EXPECT_EQ(prompts.messages.back(), "File not found");
    // The edited document stays until another file takes its place.
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ (Unnamed)  *] - ASCII");
    EXPECT_EQ(session.document().ReadByte(0), 0x5A);
}

// A file the user may not write: the title says so, and Save offers another name instead of
// failing; whatever the answer, the file stays as it was.
TEST(FileLifecycleReadOnly, TheTitleSaysSoAndSaveOffersAnotherName)
{
    TempFolder folder;
    FaultyFileSystem files;
    Session session(kPageSize, files);
    FakePrompts prompts;
    FileLifecycle lifecycle{session, prompts};
    const auto path = std::filesystem::canonical(folder.path()) / "locked.bin";
    WriteBytes(path, {1, 2, 3, 4});
    files.readOnly = path;
    ASSERT_EQ(lifecycle.OpenByPath(path), LoadStatus::Loaded);
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ locked.bin (read-only) ] - ASCII");
    ASSERT_TRUE(session.document().WriteByte(0, 0x5A));
    lifecycle.NoteEdited();

    prompts.yesNoAnswers = {false};
    lifecycle.SaveDocument();
    ASSERT_EQ(prompts.asked.size(), 1u);
    EXPECT_NE(prompts.asked[0].find("locked.bin is read-only"), std::string::npos);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_FALSE(session.document().IsClean());

    // Another name, but the same file: refused as well, though its folder would let a new file
    // be renamed over it.
    prompts.yesNoAnswers = {true};
    prompts.savePaths = {path};
    lifecycle.SaveDocument();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_NE(prompts.messages[0].find("Unable to write"), std::string::npos);
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_FALSE(session.document().IsClean());

    prompts.yesNoAnswers = {true};
    prompts.savePaths = {folder / "copy.bin"};
    lifecycle.SaveDocument();
    EXPECT_EQ(ReadBytes(folder / "copy.bin"), (std::vector<std::uint8_t>{0x5A, 2, 3, 4}));
    EXPECT_EQ(ReadBytes(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(lifecycle.Title(), "Byteloom RC7 3.0.0 - [ copy.bin ] - ASCII");
}

// Cancelling the Open dialog changes nothing, even after the user chose not to save: the
// edits are dropped only when another file takes the document's place.
TEST_F(FileLifecycleTest, CancellingTheOpenDialogKeepsTheDocumentAndItsEdits)
{
    WriteBytes(folder / "a.bin", PatternBytes(64));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    prompts.openPaths = {std::nullopt};
    EXPECT_EQ(lifecycle.OpenWithDialog(), LoadStatus::Cancelled);
    EXPECT_TRUE(session.document().IsOpen());
    EXPECT_EQ(prompts.dialogTitles.back(), std::string(kOpenDialogTitle));
    EXPECT_TRUE(prompts.asked.empty());

    Edit();
    const std::string modifiedTitle = lifecycle.Title();
    prompts.saveAnswers = {SaveAnswer::No};
    prompts.openPaths = {std::nullopt};
    EXPECT_EQ(lifecycle.OpenWithDialog(), LoadStatus::Cancelled);
    EXPECT_FALSE(session.document().IsClean());
    EXPECT_EQ(session.document().ReadByte(0), 0x5A);
    EXPECT_EQ(lifecycle.Title(), modifiedTitle);
    EXPECT_EQ(DocumentFilters().front().text, "All Files (*.*)");
    EXPECT_EQ(DocumentFilters()[5].patterns, "*.nes;*.fam;");
}

// Every way out that drops the tables asks about each changed one first, and one that cannot
// be written stops the way out, so no edit of a table is lost.
TEST_F(FileLifecycleTest, ExitAndCloseAskAboutEachChangedTable)
{
    WriteText(folder / "t.tbl", "41=A\n");
    ASSERT_TRUE(LoadTableFile(RealFileSystem(), folder / "t.tbl", session.tables()).status.ok());
    session.tables().At(0).SetModified(true);
    session.tables().At(0).AddEntry(0, 0x42, "B");
    // Cancel keeps everything; Yes writes.
    prompts.saveAnswers = {SaveAnswer::Cancel};
    EXPECT_FALSE(lifecycle.ExitApplication());
    EXPECT_TRUE(session.tables().At(0).IsModified());
    prompts.saveAnswers = {SaveAnswer::Yes};
    EXPECT_TRUE(lifecycle.ExitApplication());
    ASSERT_EQ(prompts.asked.size(), 2u);
    EXPECT_EQ(prompts.asked[0], "Table t.tbl has been changed.\r\n\r\nWould you like to save?");
    const auto saved = ReadBytes(folder / "t.tbl");
    EXPECT_NE(std::string(saved.begin(), saved.end()).find("42=B"), std::string::npos);

    // The table's folder is gone: Exit and Close stop, say so, and keep the table changed.
    WriteBytes(folder / "a.bin", PatternBytes(16));
    ASSERT_EQ(lifecycle.OpenByPath(folder / "a.bin"), LoadStatus::Loaded);
    session.tables().At(0).SetPath((folder / "gone" / "t.tbl").string());
    prompts.saveAnswers = {SaveAnswer::Yes, SaveAnswer::Yes};
    EXPECT_FALSE(lifecycle.ExitApplication());
    lifecycle.CloseDocument();
    EXPECT_TRUE(session.document().IsOpen());
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_TRUE(prompts.messages[0].starts_with("Table t.tbl could not be saved"));
    ASSERT_EQ(session.tables().Count(), 1);
    EXPECT_TRUE(session.tables().At(0).IsModified());

    // No: the table goes unsaved with the document.
    prompts.saveAnswers = {SaveAnswer::No};
    lifecycle.CloseDocument();
    EXPECT_FALSE(session.document().IsOpen());
    EXPECT_EQ(session.tables().Count(), 0);
    EXPECT_EQ(prompts.asked.size(), 5u);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// The status bar's size: hexadecimal, then bytes or a binary unit to one decimal; the selection
// from its first to its last byte in the offset column's mode, with its length.
TEST(StatusBarTexts, SizesInHexadecimalAndTheUnitAPersonReads)
{
    DisplaySettings display;
    EXPECT_EQ(SelectionStatusText({0x10, 16}, display, 0x100),
              "Selected: 00000010-0000001F (16 bytes)");
    EXPECT_EQ(SelectionStatusText({0, 1}, display, 0x100), "Selected: 00000000-00000000 (1 byte)");
    EXPECT_EQ(SelectionStatusText({0x10, 0}, display, 0x100), "");
    display.offsetRadix = 2;
    EXPECT_EQ(SelectionStatusText({16, 2048}, display, 0x10000),
              "Selected: 00000016-00002063 (decimal, 2 KiB)");
    EXPECT_EQ(StatusOffsetText(16, display, 0x10000), "Offset: 00000016 (decimal)");

    EXPECT_EQ(SizeStatusText(0), "Size: 00000000 (0 bytes)");
    EXPECT_EQ(SizeStatusText(1), "Size: 00000001 (1 byte)");
    EXPECT_EQ(SizeStatusText(1023), "Size: 000003FF (1023 bytes)");
    EXPECT_EQ(SizeStatusText(1024), "Size: 00000400 (1 KiB)");
    EXPECT_EQ(SizeStatusText(1536), "Size: 00000600 (1.5 KiB)");
    EXPECT_EQ(SizeStatusText(std::int64_t{1} << 30), "Size: 40000000 (1 GiB)");
    EXPECT_EQ(SizeStatusText(std::int64_t{5} << 40), "Size: 50000000000 (5 TiB)");
}

// A name typed without an extension in a save dialog takes the chosen filter's, when it has one.
TEST(DefaultSuffix, OnlyAFilterOfOneExtensionGivesOne)
{
    EXPECT_EQ(DefaultSuffix({"BPS patch (*.bps)", "*.bps"}), "bps");
    EXPECT_EQ(DefaultSuffix({"ROM images", "*.smc;*.sfc"}), "");
    EXPECT_EQ(DefaultSuffix({"All Files (*.*)", "*.*"}), "");
    EXPECT_EQ(DefaultSuffix({"Anything", "*"}), "");
}

} // namespace
} // namespace byteloom
