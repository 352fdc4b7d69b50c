#include "common/command_ids.h"
#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace byteloom {
namespace {

using test::ReadBytes;

const std::filesystem::path kExamples = BYTELOOM_EXAMPLES_DIR;

class ScriptCommandsTest : public test::WindowTest
{
protected:
    ScriptCommandsTest()
    {
        // The sample and its table, which opens with it by name.
        std::filesystem::copy_file(kExamples / "sample.sfc", folder / "game.sfc");
        std::filesystem::copy_file(kExamples / "sample.tbl", folder / "game.tbl");
        window->OpenStartupFile((folder / "game.sfc").string());
        window->View()->setFocus();
    }

    // Runs answer inside the modal dialog that the key opens.
    void WithDialog(int key, Qt::KeyboardModifiers modifiers, std::function<void(QDialog &)> answer)
    {
        EXPECT_TRUE(test::WindowTest::WithDialog(
            [&] { QTest::keyClick(window.get(), static_cast<Qt::Key>(key), modifiers); }, answer));
    }

    static QLineEdit *Field(QDialog &dialog, const char *name)
    {
        return dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
    }

    static void Retype(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        QTest::keyClicks(field, text);
    }
};

TEST_F(ScriptCommandsTest, CtrlDDumpsFromTheCaretAndDumpSelectedFromTheSelection)
{
    window->JumpTo(0x1000);
    const auto out = folder / "dump.txt";
    WithDialog(Qt::Key_D, Qt::ControlModifier, [&](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Script Dumper"));
        QLineEdit *path = Field(dialog, "path");
        EXPECT_EQ(dialog.focusWidget(), path);
        EXPECT_EQ(Field(dialog, "start")->text(), QStringLiteral("1000"));
        EXPECT_EQ(Field(dialog, "length")->text(), QStringLiteral("0"));
        // Enter with no file name: the message, and the dialog stays.
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        Retype(Field(dialog, "length"), QStringLiteral("86"));
        QTest::keyClick(dialog.findChild<QCheckBox *>(), Qt::Key_Space);
        QTest::keyClicks(path, QString::fromStdString(out.string()));
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(prompts->messages, std::vector<std::string>{"Please give a file name"});
    EXPECT_EQ(prompts->kinds, std::vector<MessageKind>{MessageKind::Warning}); // refused input
    EXPECT_EQ(ReadBytes(out), ReadBytes(kExamples / "sample-script.txt"));

    // A dump of the default length 0 is refused; a file typed over is replaced only after a Yes.
    prompts->yesNoAnswers = {false, true};
    WithDialog(Qt::Key_D, Qt::ControlModifier, [&](QDialog &dialog) {
        QLineEdit *path = Field(dialog, "path");
        QTest::keyClicks(path, QString::fromStdString(out.string()));
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        Retype(Field(dialog, "length"), QStringLiteral("3"));
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(ReadBytes(out), ReadBytes(kExamples / "sample-script.txt"));
        QTest::keyClick(path, Qt::Key_Return);
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_EQ(prompts->asked.size(), 2u);
    EXPECT_NE(prompts->asked[0].find("already exists"), std::string::npos);
    EXPECT_EQ(ReadBytes(out).size(), 3u); // "Wel", Clean
    EXPECT_EQ(prompts->messages.back(), "Please input a length");

    // Select Line selects the caret's row: Dump Selected opens on its 16 bytes.
    window->JumpTo(0x1020);
    QTest::keyClick(window.get(), Qt::Key_L, Qt::ControlModifier);
    ASSERT_TRUE(window->Action(kCmdDumpSelected)->isEnabled());
    EXPECT_TRUE(test::WindowTest::WithDialog(
        [this] { window->Action(kCmdDumpSelected)->trigger(); },
        [](QDialog &dialog) {
            EXPECT_EQ(Field(dialog, "start")->text(), QStringLiteral("1020"));
            EXPECT_EQ(Field(dialog, "length")->text(), QStringLiteral("10"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }));
    EXPECT_EQ(prompts->messages.size(), 2u);
}

TEST_F(ScriptCommandsTest, CtrlIInsertsThroughTheTableAndCtrlZTakesItBack)
{
    const auto original = ReadBytes(folder / "game.sfc");
    // A translated script: the dump with one word changed.
    auto script = ReadBytes(kExamples / "sample-script.txt");
    std::string text(script.begin(), script.end());
    text.replace(text.find("Welcome"), 7, "Goodbye");
    test::WriteBytes(folder / "translated.txt",
                     std::vector<std::uint8_t>(text.begin(), text.end()));

    window->JumpTo(0x1000);
    ASSERT_TRUE(window->Action(kCmdInsertScript)->isEnabled());
    // Cancel changes nothing, not even the title.
    WithDialog(Qt::Key_I, Qt::ControlModifier, [](QDialog &dialog) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(window->windowTitle().indexOf(QStringLiteral("*")), -1);

    WithDialog(Qt::Key_I, Qt::ControlModifier, [&](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Script Insert"));
        QLineEdit *path = Field(dialog, "path");
        EXPECT_EQ(dialog.focusWidget(), path);
        EXPECT_EQ(Field(dialog, "address")->text(), QStringLiteral("1000"));
        EXPECT_EQ(dialog.findChild<QComboBox *>()->currentText(), QStringLiteral("Sample (1252)"));
        QTest::keyClicks(path, QString::fromStdString((folder / "translated.txt").string()));
        // A dump with headers places itself: the address is greyed and says so.
        EXPECT_FALSE(Field(dialog, "address")->isEnabled());
        EXPECT_EQ(Field(dialog, "address")->text(), QStringLiteral("from the script's headers"));
        // Fewest bytes is offered, and left off: the script goes back as it was dumped.
        const auto *shortest = dialog.findChild<QCheckBox *>(QStringLiteral("shortest"));
        ASSERT_NE(shortest, nullptr);
        EXPECT_TRUE(shortest->isEnabled());
        EXPECT_FALSE(shortest->isChecked());
        QTest::keyClick(path, Qt::Key_Return);
    });
    EXPECT_TRUE(prompts->messages.empty()) << prompts->messages.front();
    Document &document = window->session().document();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document.Size()));
    ASSERT_EQ(document.ReadBlock(0, bytes), document.Size());
    EXPECT_NE(bytes, original);
    // Only the bytes of the changed word differ ("Welcome" and "Goodbye" share the last).
    std::size_t changed = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        changed += bytes[i] != original[i];
    EXPECT_EQ(changed, 6u);
    EXPECT_NE(window->windowTitle().indexOf(QStringLiteral("*")), -1);

    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(document.ReadBlock(0, bytes), document.Size());
    EXPECT_EQ(bytes, original);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// File > Create Patch takes the document with its unsaved changes; File > Apply Patch puts the
// patch into the document as one step of Undo, with the title's marker.
TEST_F(ScriptCommandsTest, APatchIsMadeFromTheDocumentAndAppliedAsOneStepOfUndo)
{
    Document &document = window->session().document();
    const std::uint8_t before = document.ReadByte(0x1000);
    ASSERT_TRUE(document.WriteByte(0x1000, 0x42));
    window->NoteEdited();
    prompts->openPaths = {kExamples / "sample.sfc"};
    prompts->savePaths = {folder / "game.bps"};
    window->RunCommand(kCmdCreatePatch);
    ASSERT_TRUE(std::filesystem::exists(folder / "game.bps"));

    ASSERT_TRUE(document.WriteByte(0x1000, before)); // the original again
    prompts->openPaths = {folder / "game.bps"};
    window->RunCommand(kCmdApplyPatch);
    EXPECT_EQ(document.ReadByte(0x1000), 0x42);
    EXPECT_TRUE(window->windowTitle().contains(QLatin1Char('*')));
    window->RunCommand(kCmdUndo);
    EXPECT_EQ(document.ReadByte(0x1000), before);

    // A patch for another image is refused with the reason, and nothing changes.
    window->RunCommand(kCmdRedo);
    prompts->openPaths = {folder / "game.bps"};
    window->RunCommand(kCmdApplyPatch);
    ASSERT_FALSE(prompts->messages.empty());
    EXPECT_NE(prompts->messages.back().find("different image"), std::string::npos);
    EXPECT_EQ(document.ReadByte(0x1000), 0x42);
}

TEST_F(ScriptCommandsTest, ACommandScriptInsertsAsOneUndoStepAndShowsItsReport)
{
    const auto original = ReadBytes(folder / "game.sfc");
    test::WriteText(folder / "labels.tbl", "80=A\n81=B\n/FF=<end>\n");
    test::WriteText(folder / "block.txt",
                    "// translated\n#VAR(T, TABLE)\n#ADDTBL(\"labels.tbl\", T)\n#ACTIVETBL(T)\n"
                    "#VAR(P, CUSTOMPOINTER)\n#CREATEPTR(P, \"LINEAR\", 0, 16)\n"
                    "#VAR(PT, POINTERTABLE)\n#PTRTBL(PT, $2000, 2, P)\n"
                    "#JMP($1000, $1003, \"Intro\")\n#AUTOWRITE(PT, \"<end>\")\nAB<end>BA<end>\n");
    QString summary;
    int rows = -1;
    WithDialog(Qt::Key_I, Qt::ControlModifier, [&](QDialog &dialog) {
        QLineEdit *path = Field(dialog, "path");
        QTest::keyClicks(path, QString::fromStdString((folder / "block.txt").string()));
        EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("found"))->text(),
                  QStringLiteral("Command script: 1 block, 2 pointers"));
        EXPECT_FALSE(Field(dialog, "address")->isEnabled());
        EXPECT_EQ(Field(dialog, "address")->text(), QStringLiteral("from the script's commands"));
        EXPECT_FALSE(dialog.findChild<QComboBox *>()->isEnabled());
        EXPECT_FALSE(Field(dialog, "end")->isEnabled());
        QTimer::singleShot(0, [&] {
            auto *report = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(report, nullptr);
            EXPECT_EQ(report->windowTitle(), QStringLiteral("Insert Report"));
            rows = report->findChild<QTableWidget *>()->rowCount();
            summary = report->findChild<QPlainTextEdit *>()->toPlainText();
            for (QPushButton *button : report->findChildren<QPushButton *>())
                if (button->text() == QStringLiteral("&Copy"))
                    button->click();
            report->reject();
        });
        QTest::keyClick(path, Qt::Key_Return);
    });
    EXPECT_EQ(rows, 1);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("1 block, 4 bytes of text, 2 pointers")))
        << summary.toStdString();
    EXPECT_TRUE(QApplication::clipboard()->text().contains(QStringLiteral("\"Intro\"")));
    // The second string was cut at the block's end, and said so.
    EXPECT_TRUE(summary.contains(QStringLiteral("the string at $1003 lost 2 bytes")));
    Document &document = window->session().document();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document.Size()));
    ASSERT_EQ(document.ReadBlock(0, bytes), document.Size());
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 0x1000, bytes.begin() + 0x1004),
              (std::vector<std::uint8_t>{0x80, 0x81, 0xFF, 0x81}));
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 0x2000, bytes.begin() + 0x2004),
              (std::vector<std::uint8_t>{0x00, 0x10, 0x03, 0x10}));
    EXPECT_NE(window->windowTitle().indexOf(QStringLiteral("*")), -1);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(document.ReadBlock(0, bytes), document.Size());
    EXPECT_EQ(bytes, original);
}

TEST_F(ScriptCommandsTest, FindPointersListsThemAndFollowPointerAndBackGoBetween)
{
    std::vector<std::uint8_t> image(0x100, 0x00);
    image[0x10] = 0x20; // a 16-bit pointer to 0x20
    image[0x30] = 0xFF; // one that points past the end
    image[0x31] = 0x7F;
    test::WriteBytes(folder / "pointers.bin", image);
    window->OpenStartupFile((folder / "pointers.bin").string());
    window->JumpTo(0x20);
    ASSERT_TRUE(test::WindowTest::WithDialog([&] { window->Action(kCmdFindPointers)->trigger(); },
                                             [&](QDialog &dialog) {
                                                 EXPECT_EQ(dialog.windowTitle(),
                                                           QStringLiteral("Find Pointers"));
                                                 QTest::keyClick(&dialog, Qt::Key_Return);
                                             }));
    auto *hits = window->findChild<QListWidget *>(QStringLiteral("pointerHits"));
    ASSERT_NE(hits, nullptr);
    ASSERT_EQ(hits->count(), 1);
    EXPECT_EQ(hits->item(0)->text(), QStringLiteral("$10  16-bit LINEAR little-endian"));
    emit hits->itemActivated(hits->item(0));
    DataWindow &view = *window->View();
    EXPECT_EQ(view.caret().Offset(), 0x10);

    window->Action(kCmdFollowPointer)->trigger();
    EXPECT_EQ(view.caret().Offset(), 0x20);
    ASSERT_TRUE(window->Action(kCmdBack)->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(view.caret().Offset(), 0x10);
    window->Action(kCmdBack)->trigger();
    EXPECT_EQ(view.caret().Offset(), 0x20);
    EXPECT_FALSE(window->Action(kCmdBack)->isEnabled());

    window->JumpTo(0x30);
    window->Action(kCmdFollowPointer)->trigger();
    EXPECT_EQ(view.caret().Offset(), 0x30);
    ASSERT_FALSE(prompts->messages.empty());
    EXPECT_EQ(prompts->messages.back(),
              "The pointer at $30 (16-bit LINEAR little-endian) points outside the file.");
}

TEST_F(ScriptCommandsTest, DumpSelectedTakesTheSelectionAsAPointerTable)
{
    std::vector<std::uint8_t> image(0x40, 0xEE);
    const std::vector<std::uint8_t> bytes{0x20, 0x00, 0x23, 0x00};
    std::copy(bytes.begin(), bytes.end(), image.begin() + 0x10);
    const std::vector<std::uint8_t> strings{0x41, 0x42, 0xFF, 0x43, 0xFF};
    std::copy(strings.begin(), strings.end(), image.begin() + 0x20);
    test::WriteBytes(folder / "ptr.bin", image);
    test::WriteText(folder / "ptr.tbl", "41=A\n42=B\n43=C\n/FF=<END>\n");
    window->OpenStartupFile((folder / "ptr.bin").string());
    window->JumpTo(0x10);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(window->View(), Qt::Key_Right, Qt::ShiftModifier);
    const auto out = folder / "pointers.txt";
    ASSERT_TRUE(test::WindowTest::WithDialog(
        [&] { window->Action(kCmdDumpSelected)->trigger(); },
        [&](QDialog &dialog) {
            auto *pointers = dialog.findChild<QGroupBox *>(QStringLiteral("pointers"));
            EXPECT_EQ(Field(dialog, "pointerStart")->text(), QStringLiteral("10"));
            EXPECT_EQ(Field(dialog, "count")->text(), QStringLiteral("2"));
            pointers->setChecked(true);
            EXPECT_FALSE(Field(dialog, "length")->isEnabled());
            QTest::keyClicks(Field(dialog, "path"), QString::fromStdString(out.string()));
            QTest::keyClick(Field(dialog, "path"), Qt::Key_Return);
        }));
    EXPECT_TRUE(prompts->messages.empty()) << prompts->messages.front();
    const auto written = ReadBytes(out);
    const std::string script(written.begin(), written.end());
    EXPECT_NE(script.find("#ADDTBL(\"ptr.tbl\", Table)"), std::string::npos) << script;
    EXPECT_NE(script.find("#WRITE(Ptr, $10)\nAB<END>\n"), std::string::npos) << script;
    EXPECT_NE(script.find("#WRITE(Ptr, $12)\nC<END>\n"), std::string::npos) << script;
}

} // namespace
} // namespace byteloom
