#include "common/command_ids.h"
#include "dialogs/new_subtable_dialog.h"
#include "session/command_line.h"
#include "shell/main_flat_window.h"
#include "shell/manual_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolBar>

#include <gtest/gtest.h>

#include <algorithm>

// Readable failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace byteloom {
namespace {

using namespace test;

class MainFlatWindowTest : public test::WindowTest
{
protected:
    [[nodiscard]] bool Enabled(int command) const { return window->Action(command)->isEnabled(); }
    [[nodiscard]] QString Title() const { return window->windowTitle(); }
    void Edit()
    {
        ASSERT_TRUE(window->session().document().WriteByte(0, 0x42));
        window->NoteEdited();
    }
};

TEST_F(MainFlatWindowTest, StartsWithNoDocumentAndTheWholeMenuBar)
{
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0"));
    EXPECT_TRUE(Enabled(kCmdNew));
    EXPECT_TRUE(Enabled(kCmdExit));
    EXPECT_FALSE(Enabled(kCmdClose));
    EXPECT_FALSE(Enabled(kCmdSave));
    EXPECT_FALSE(Enabled(kCmdCopy));
    EXPECT_FALSE(Enabled(kCmdCopyHexAsText));
    EXPECT_TRUE(Enabled(kCmdBigEndian));
    EXPECT_EQ(window->Action(kCmdNew)->text(), QStringLiteral("&New...\tCtrl+N"));
    EXPECT_EQ(window->Action(kCmdFindNext)->shortcut(), QKeySequence(Qt::Key_F3));
    EXPECT_TRUE(window->Action(kCmdStatusBar)->isChecked());

    const QList<QAction *> buttons = window->Toolbar()->actions();
    ASSERT_EQ(buttons.size(), 13);
    EXPECT_TRUE(buttons[3]->isSeparator());
    EXPECT_EQ(buttons[10]->toolTip(), QStringLiteral("Search"));
    EXPECT_EQ(buttons[12]->toolTip(), QStringLiteral("Help"));
    EXPECT_FALSE(buttons[8]->isEnabled()); // Undo
    EXPECT_TRUE(buttons[0]->isEnabled());
}

TEST_F(MainFlatWindowTest, NewOpenAndCloseSetTitlesMenusAndTheStatusBar)
{
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ (Unnamed) ] - ASCII"));
    EXPECT_TRUE(Enabled(kCmdClose));
    EXPECT_TRUE(Enabled(kCmdSelectAll));
    EXPECT_FALSE(Enabled(kCmdDumpScript));
    EXPECT_EQ(window->StatusPart(2)->text(), QStringLiteral("Size: 00000800 (2 KiB)"));
    EXPECT_EQ(window->StatusPart(4)->text(), QStringLiteral("OVR")); // typing overwrites

    WriteBytes(folder / "game.bin", PatternBytes(300));
    WriteText(folder / "game.tbl", ".title=Game\n");
    prompts->openPaths = {folder / "game.bin"};
    window->Action(kCmdOpen)->trigger();
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ game.bin ] - Game (1252)"));
    EXPECT_TRUE(Enabled(kCmdDumpScript));
    EXPECT_EQ(window->StatusPart(2)->text(), QStringLiteral("Size: 0000012C (300 bytes)"));
    EXPECT_TRUE(prompts->asked.empty()); // the new document was never edited

    window->Action(kCmdClose)->trigger();
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0"));
    EXPECT_FALSE(Enabled(kCmdClose));
    EXPECT_FALSE(Enabled(kCmdDumpScript));
    EXPECT_TRUE(window->StatusPart(2)->text().isEmpty());
}

TEST_F(MainFlatWindowTest, TheSavePromptDecidesAndAFailedSaveIsReported)
{
    window->RunCommand(kCmdNew);
    Edit();
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ (Unnamed)  *] - ASCII"));

    prompts->saveAnswers = {SaveAnswer::Cancel};
    window->RunCommand(kCmdNew);
    EXPECT_EQ(window->session().document().ReadByte(0), 0x42);

    // Yes, then a name in a folder that does not exist: the save fails and says why.
    prompts->saveAnswers = {SaveAnswer::Yes};
    prompts->savePaths = {folder / "no-such-folder" / "x.bin"};
    window->RunCommand(kCmdClose);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_NE(prompts->messages[0].find("x.bin"), std::string::npos);
    EXPECT_TRUE(window->session().document().IsOpen());
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ (Unnamed)  *] - ASCII"));

    prompts->saveAnswers = {SaveAnswer::No};
    window->RunCommand(kCmdNew);
    EXPECT_EQ(window->session().document().ReadByte(0), 0);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ (Unnamed) ] - ASCII"));
}

TEST_F(MainFlatWindowTest, DroppedFilesOpenAndRecentFilesRemember)
{
    WriteBytes(folder / "dropped.sfc", PatternBytes(32));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((folder / "dropped.sfc").string()))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ dropped.sfc ] - ASCII"));

    const QAction *recent = window->Action(kCmdFirstRecentFile);
    ASSERT_NE(recent, nullptr);
    EXPECT_TRUE(recent->isVisible());
    EXPECT_TRUE(recent->text().endsWith(QStringLiteral("dropped.sfc")));
    const auto *recentMenu = qobject_cast<const QMenu *>(recent->associatedObjects().value(0));
    ASSERT_NE(recentMenu, nullptr);
    EXPECT_EQ(recentMenu->title(), QStringLiteral("Open &Recent"));

    window->RunCommand(kCmdClose);
    window->RunCommand(kCmdFirstRecentFile);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ dropped.sfc ] - ASCII"));

    // A table dropped on an open document becomes its table.
    WriteText(folder / "font.TBL", ".title=Font\n");
    QMimeData table;
    table.setUrls({QUrl::fromLocalFile(QString::fromStdString((folder / "font.TBL").string()))});
    QDragEnterEvent enterTable(
        QPoint(50, 50), Qt::CopyAction, &table, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enterTable);
    QDropEvent dropTable(QPointF(50, 50), Qt::CopyAction, &table, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &dropTable);
    EXPECT_EQ(Title().toStdString(), "Byteloom RC7 3.0.0 - [ dropped.sfc ] - Font (1252)");
}

// byteloom FILE --table TABLE --offset N, and the words a command line may bring.
TEST_F(MainFlatWindowTest, TheCommandLineOpensTheFileWithItsTablesAtTheOffset)
{
    WriteBytes(folder / "game.sfc", PatternBytes(0x400));
    WriteText(folder / "one.tbl", "41=A\n");
    const auto exists = [](const std::string &path) {
        return std::filesystem::exists(path);
    };
    const std::string game = (folder / "game.sfc").string();
    const std::string table = (folder / "one.tbl").string();

    window->OpenStartupFiles(SortStartupFiles({game}, {table}, exists), 0x1F0);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ game.sfc ] - one.tbl"));
    EXPECT_EQ(window->View()->CaretOffset(), 0x1F0);

    // Tables alone come with a new document to hold them.
    window->RunCommand(kCmdClose);
    window->OpenStartupFiles(SortStartupFiles({table}, {}, exists), std::nullopt);
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ (Unnamed) ] - one.tbl"));
}

TEST_F(MainFlatWindowTest, TheCommandLineFileOpensQuietly)
{
    window->OpenStartupFile((folder / "missing.bin").string());
    EXPECT_FALSE(window->session().document().IsOpen());
    EXPECT_TRUE(prompts->messages.empty());
    // A start-up file that is there but cannot be opened is reported.
    window->OpenStartupFile(folder.path().string());
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_NE(prompts->messages[0].find("directory"), std::string::npos);

    WriteBytes(folder / "start.bin", {0xFF, 0xFE, 0x41, 0x00});
    window->OpenStartupFile(UnquoteCommandLinePath("\"" + (folder / "start.bin").string() + "\""));
    EXPECT_EQ(Title(), QStringLiteral("Byteloom RC7 3.0.0 - [ start.bin ] - Unicode"));
    EXPECT_TRUE(window->Action(kCmdUnicode)->isChecked());
    EXPECT_FALSE(window->Action(kCmdCodePageDefault)->isChecked());
}

// Each dialog can be worked from the keyboard: its fields' labels have letters of their own.
TEST_F(MainFlatWindowTest, EveryDialogsFieldsHaveAccessKeys)
{
    WriteBytes(folder / "keys.bin", std::vector<std::uint8_t>(0x8000, 0));
    WriteBytes(folder / "keys.tbl", {'4', '1', '=', 'A', '\n'});
    window->OpenStartupFile((folder / "keys.bin").string());
    ASSERT_NE(window->session().tables().Current(), nullptr);
    for (const int command : {kCmdFind,
                              kCmdGoTo,
                              kCmdPreferences,
                              kCmdDumpScript,
                              kCmdInsertScript,
                              kCmdSplitFile,
                              kCmdExpandFile,
                              kCmdChecksum,
                              kCmdFindPointers,
                              kCmdEditTable}) {
        SCOPED_TRACE(command);
        EXPECT_TRUE(WithDialog([&] { window->RunCommand(command); },
                               [](QDialog &dialog) {
                                   // Each page of a dialog with tabs shows its own fields.
                                   auto *pages = dialog.findChild<QTabWidget *>();
                                   for (int page = 0; pages && page < pages->count(); ++page) {
                                       pages->setCurrentIndex(page);
                                       ExpectAccessKeys(dialog);
                                   }
                                   ExpectAccessKeys(dialog);
                                   ExpectKeyboardReachesEverything(dialog);
                               }));
    }
    ExpectAccessKeys(NewSubtableDialog([](const std::string &) {}));
}

TEST_F(MainFlatWindowTest, ViewTogglesPasteAndExit)
{
    // F1 opens the manual, as Help > Contents does.
    QTest::keyClick(window.get(), Qt::Key_F1);
    const auto windows = QApplication::topLevelWidgets();
    const auto help = std::find_if(windows.begin(), windows.end(), [](const QWidget *shown) {
        return shown->isVisible() && shown->windowTitle() == QStringLiteral("Byteloom Help");
    });
    ASSERT_NE(help, windows.end());
    // Its headings are a contents list that moves the page; the search finds a word, then
    // says when there is none.
    auto *manual = qobject_cast<ManualWindow *>(*help);
    ASSERT_NE(manual, nullptr);
    ASSERT_GE(manual->Contents()->count(), 5);
    const auto chosen = manual->Contents()->findItems(QStringLiteral("Banks"), Qt::MatchContains);
    ASSERT_EQ(chosen.size(), 1);
    manual->Contents()->setCurrentItem(chosen.front());
    EXPECT_EQ(manual->Page()->textCursor().block().text(), QStringLiteral("Banks"));
    window->RunCommand(kCmdHelpSearch);
    auto *search = manual->findChild<QLineEdit *>();
    ASSERT_NE(search, nullptr);
    search->setText(QStringLiteral("table"));
    EXPECT_TRUE(manual->FindNext());
    search->setText(QStringLiteral("no such words here"));
    EXPECT_FALSE(manual->FindNext());
    // Escape closes it.
    (*help)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(*help));
    QTest::keyClick(*help, Qt::Key_Escape);
    EXPECT_FALSE((*help)->isVisible());
    Activate();

    window->RunCommand(kCmdStatusBar);
    EXPECT_FALSE(window->statusBar()->isVisible());
    EXPECT_FALSE(window->Action(kCmdStatusBar)->isChecked());
    window->RunCommand(kCmdToolbar);
    EXPECT_FALSE(window->Toolbar()->isVisible());

    // Paste follows the clipboard as it changes.
    QApplication::clipboard()->clear();
    window->RunCommand(kCmdNew);
    EXPECT_FALSE(Enabled(kCmdPaste));
    QApplication::clipboard()->setText(QStringLiteral("41 42"));
    QTRY_VERIFY_WITH_TIMEOUT(Enabled(kCmdPaste), 1000);
    QApplication::clipboard()->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!Enabled(kCmdPaste), 1000);

    // A clean document and no changed tables: Exit asks nothing.
    window->RunCommand(kCmdExit);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(prompts->asked.empty());
}

} // namespace
} // namespace byteloom
