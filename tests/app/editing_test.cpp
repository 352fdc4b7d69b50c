#include "common/command_ids.h"
#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"
#include "view/compare_panel.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using namespace test;

class EditingTest : public test::WindowTest
{
protected:
    void Open(const std::vector<std::uint8_t> &bytes, const char *name = "edit.bin")
    {
        WriteBytes(folder / name, bytes);
        window->OpenStartupFile((folder / name).string());
        view()->setFocus();
        QApplication::processEvents();
        view()->viewport()->repaint();
    }

    DataWindow *view() { return window->View(); }
    Document &document() { return window->session().document(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(view(), static_cast<Qt::Key>(key), modifiers);
    }
    void Type(const char *text) { QTest::keyClicks(view(), QString::fromLatin1(text)); }
};

TEST_F(EditingTest, TypeUndoRedoAndSaveReachTheFile)
{
    Open(std::vector<std::uint8_t>(32, 0));
    Type("41");
    EXPECT_EQ(document().ReadByte(0), 0x41);
    EXPECT_EQ(view()->CaretOffset(), 1);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ edit.bin  *] - ASCII"));
    EXPECT_TRUE(window->Action(kCmdUndo)->isEnabled());
    EXPECT_FALSE(window->Action(kCmdRedo)->isEnabled());

    window->Action(kCmdUndo)->trigger();
    EXPECT_EQ(document().ReadByte(0), 0x40); // one record per digit
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().ReadByte(0), 0x00);
    EXPECT_TRUE(window->Action(kCmdRedo)->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(document().ReadByte(0), 0x41);

    QTest::keyClick(window.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(ReadBytes(folder / "edit.bin")[0], 0x41);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ edit.bin ] - ASCII"));

    // Undo back to what was saved: the marker goes, and Close has nothing to ask.
    Type("7");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ edit.bin  *] - ASCII"));
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ edit.bin ] - ASCII"));
    EXPECT_TRUE(document().IsClean());
}

TEST_F(EditingTest, KeysAndTheMouseMoveTheCaretAndSelect)
{
    Open(std::vector<std::uint8_t>(0x40, 0x41));
    Key(Qt::Key_Right);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view()->selection().anchor, 1);
    EXPECT_EQ(view()->selection().end, 2);
    EXPECT_EQ(window->StatusPart(3)->text(), QStringLiteral("Offset: 00000002 "));
    EXPECT_EQ(window->StatusPart(1)->text(),
              QStringLiteral("Selected: 00000001-00000001 (1 byte)"));

    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(window->Action(kCmdCopy)->isEnabled());
    EXPECT_TRUE(window->Action(kCmdCut)->isEnabled());
    EXPECT_EQ(window->StatusPart(1)->text(),
              QStringLiteral("Selected: 00000001-0000000E (14 bytes)"));
    Key(Qt::Key_Left);
    EXPECT_FALSE(window->Action(kCmdCopy)->isEnabled());
    EXPECT_TRUE(window->StatusPart(1)->isHidden()); // no selection, no part

    Key(Qt::Key_Tab);
    EXPECT_TRUE(view()->caret().InText());
    Type("Z");
    EXPECT_EQ(document().ReadByte(0x0E), 'Z');

    // A click on the text cell of the byte at 0x12, then a drag to 0x15.
    const CellEdges &row1 = view()->PaintedEdges()[1];
    const int y = view()->RowHeight() + view()->RowHeight() / 2;
    QTest::mouseClick(
        view()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(row1.Left(16 + 2) + 2, y));
    EXPECT_EQ(view()->CaretOffset(), 0x12);
    QTest::mouseMove(view()->viewport(), QPoint(row1.Left(5) + 2, y));
    QMouseEvent drag(QEvent::MouseMove,
                     QPointF(row1.Left(5) + 2, y),
                     view()->viewport()->mapToGlobal(QPointF(row1.Left(5) + 2, y)),
                     Qt::NoButton,
                     Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view()->viewport(), &drag);
    EXPECT_EQ(view()->selection().end, 0x15);
    EXPECT_TRUE(view()->selection().active);

    QTest::keyClick(window.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view()->selection().end, 0x40);
}

TEST_F(EditingTest, CopyPasteAndCutGoThroughTheClipboard)
{
    Open({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    view()->caret().selection = {1, 3, true};
    window->RunCommand(kCmdCopy);
    // Other programs receive the bytes as hex text.
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("0102 "));
    view()->caret().selection = {};
    view()->caret().overwrite = false; // insert mode
    window->RunCommand(kCmdPaste);
    EXPECT_EQ(document().Size(), 12);
    EXPECT_EQ(document().ReadByte(0), 1);
    EXPECT_EQ(document().ReadByte(1), 2);
    EXPECT_EQ(window->StatusPart(2)->text(), QStringLiteral("Size: 0000000C (12 bytes)"));

    view()->caret().selection = {0, 3, true};
    window->RunCommand(kCmdCut);
    EXPECT_EQ(document().Size(), 9);
    // Cut and the insert-mode Paste before it are undone in turn, each as one step.
    window->RunCommand(kCmdUndo);
    EXPECT_EQ(document().Size(), 12);
    window->RunCommand(kCmdUndo);
    EXPECT_EQ(document().Size(), 10);
    EXPECT_EQ(document().ReadByte(1), 1);
    window->RunCommand(kCmdRedo);
    window->RunCommand(kCmdRedo);
    EXPECT_EQ(document().Size(), 9);

    // Hex digit pairs paste into the hex column as their bytes, other text as its characters;
    // overwrite never passes the end.
    view()->caret().overwrite = true;
    QApplication::clipboard()->setText(QStringLiteral("4142 43\r\n44"));
    window->JumpTo(0);
    window->RunCommand(kCmdPaste);
    EXPECT_EQ(document().ReadByte(3), 0x44);
    QApplication::clipboard()->setText(QStringLiteral("Hi"));
    window->JumpTo(8);
    window->RunCommand(kCmdPaste);
    EXPECT_EQ(document().Size(), 9);
    EXPECT_EQ(document().ReadByte(8), 'H');

    view()->caret().selection = {0, 2, true};
    window->RunCommand(kCmdCopyHexAsText);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("4142 "));
}

TEST_F(EditingTest, CutThenUndoRestoresTheBytesAndEarlierTypingStaysUndoable)
{
    Open({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    Type("ff");
    EXPECT_EQ(document().ReadByte(0), 0xFF);
    view()->caret().selection = {2, 5, true};
    window->RunCommand(kCmdCut);
    EXPECT_EQ(document().Size(), 7);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().Size(), 10);
    EXPECT_EQ(document().ReadByte(4), 4);
    // The Delete key takes a selection out as Cut does, leaving the clipboard, as one step.
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    EXPECT_FALSE(window->Action(kCmdDelete)->isEnabled());
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_TRUE(window->Action(kCmdDelete)->isEnabled());
    Key(Qt::Key_Delete);
    EXPECT_EQ(document().Size(), 8);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_FALSE(window->Action(kCmdDelete)->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().Size(), 10);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().ReadByte(0), 0);
    // Back where the file was: nothing to save.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ edit.bin ] - ASCII"));
}

TEST_F(EditingTest, ShiftTabStepsThroughTheTables)
{
    WriteText(folder / "game.tbl", ".title=G\n41=A\n");
    Open({0x41, 0x41}, "game.bin");
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Byteloom RC7 3.0.0 - [ game.bin ] - G (1252)"));
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Byteloom RC7 3.0.0 - [ game.bin ] - ASCII"));
    EXPECT_FALSE(window->Action(kCmdDumpScript)->isEnabled());
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Byteloom RC7 3.0.0 - [ game.bin ] - G (1252)"));
    EXPECT_TRUE(window->Action(kCmdDumpScript)->isEnabled());
}

TEST_F(EditingTest, TheDataInspectorFollowsTheCaretAndWritesATypedValueAsOneStep)
{
    Open({0xFE,
          0xFF,
          0x00,
          0x00,
          0x80,
          0x3F,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00,
          0x00});
    window->Action(kCmdDataBox)->trigger();
    auto *values = window->findChild<QTableWidget *>(QStringLiteral("inspectorValues"));
    ASSERT_NE(values, nullptr);
    ASSERT_TRUE(values->isVisible());
    const auto cell = [&](const char *kind, int column) {
        for (int row = 0; row < values->rowCount(); ++row)
            if (values->verticalHeaderItem(row)->text() == QLatin1String(kind))
                return values->item(row, column)->text();
        return QStringLiteral("?");
    };
    EXPECT_EQ(cell("int16", 0), QStringLiteral("-2"));
    EXPECT_EQ(cell("uint16", 1), QStringLiteral("65279"));
    // Every move of the caret, in the hex column and in the text column.
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(cell("float32", 0), QStringLiteral("1"));
    Key(Qt::Key_Tab);
    Key(Qt::Key_Left);
    EXPECT_EQ(cell("uint8", 0), QStringLiteral("255"));
    Key(Qt::Key_Left);

    int row = 0;
    while (values->verticalHeaderItem(row)->text() != QLatin1String("uint16"))
        ++row;
    ASSERT_TRUE(WithDialog([&] { emit values->cellDoubleClicked(row, 0); },
                           [&](QDialog &dialog) {
                               auto *field = dialog.findChild<QLineEdit *>();
                               field->selectAll();
                               QTest::keyClicks(field, QStringLiteral("4660"));
                               QTest::keyClick(field, Qt::Key_Return);
                           }));
    EXPECT_EQ(document().ReadByte(0), 0x34);
    EXPECT_EQ(document().ReadByte(1), 0x12);
    EXPECT_EQ(cell("uint16", 0), QStringLiteral("4660"));
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().ReadByte(0), 0xFE);
    EXPECT_EQ(cell("int16", 0), QStringLiteral("-2"));
    // A selection of up to 8 bytes is one number; the character rows read the text mode.
    EXPECT_EQ(cell("selection", 0), QString());
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(cell("selection", 0), QStringLiteral("65534"));
    EXPECT_EQ(cell("selection", 1), QStringLiteral("65279"));
    EXPECT_EQ(cell("character", 0), QStringLiteral("U+0000"));
}

TEST_F(EditingTest, ChecksumComputesTheSelectionOrTheWholeFile)
{
    Open({'x', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
    const auto value = [&] {
        QString shown;
        EXPECT_TRUE(
            WithDialog([&] { window->Action(kCmdChecksum)->trigger(); },
                       [&](QDialog &dialog) {
                           for (QPushButton *button : dialog.findChildren<QPushButton *>())
                               if (button->text() == QStringLiteral("C&ompute"))
                                   button->click();
                           shown = dialog.findChild<QLineEdit *>(QStringLiteral("value"))->text();
                       }));
        return shown;
    };
    EXPECT_EQ(value(), QStringLiteral("2BE98092")); // the CRC-32 of "x123456789"
    Key(Qt::Key_Right);
    for (int i = 0; i < 8; ++i)
        Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(value(), QStringLiteral("9AE0DAAF")); // of the eight bytes "12345678"
}

// The compared file sits read-only beside the document; F6 and Shift+F6 step both carets through
// the differences, and an edit to the document is compared again at once.
TEST_F(EditingTest, CompareWithStepsThroughDifferencesAndFollowsEdits)
{
    Open({0x00, 0x11, 0x22, 0x33, 0x44});
    WriteBytes(folder / "b.bin", {0x00, 0x99, 0x22, 0x33, 0x55, 0x66});
    prompts->openPaths.push_back(folder / "b.bin");
    window->Action(kCmdCompareWith)->trigger();
    auto *panel = window->findChild<ComparePanel *>();
    ASSERT_TRUE(panel && panel->Comparing());
    const auto summary = [&] {
        return panel->findChild<QLabel *>(QStringLiteral("compareSummary"))->text();
    };
    EXPECT_EQ(summary(),
              QStringLiteral("2 differences over 2 bytes, and 1 byte only in the second file."));
    EXPECT_EQ(panel->findChild<QTableView *>(QStringLiteral("differences"))->model()->rowCount(),
              3);

    view()->setFocus();
    Key(Qt::Key_F6);
    EXPECT_EQ(view()->CaretOffset(), 1);
    Key(Qt::Key_F6);
    EXPECT_EQ(view()->CaretOffset(), 4);
    EXPECT_EQ(panel->OtherView()->CaretOffset(), 4);
    Key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(view()->CaretOffset(), 1);
    EXPECT_EQ(panel->OtherView()->CaretOffset(), 1);

    // Keys that would edit do nothing in the compared view, nor in the document beside it.
    QApplication::clipboard()->setText(QStringLiteral("4142"));
    QTest::keyClicks(panel->OtherView(), QStringLiteral("ff"));
    QTest::keyClick(panel->OtherView(), Qt::Key_Tab);
    QTest::keyClicks(panel->OtherView(), QStringLiteral("zz"));
    QTest::keyClick(panel->OtherView(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(panel->Comparing());
    EXPECT_EQ(panel->OtherView()->CaretOffset(), 1);
    EXPECT_TRUE(document().IsClean());

    // The run only the longer file has is followed on in its view, and then there is no more.
    Key(Qt::Key_F6);
    Key(Qt::Key_F6);
    EXPECT_EQ(panel->OtherView()->CaretOffset(), 5);
    EXPECT_TRUE(panel->OtherView()->hasFocus());
    QTest::keyClick(panel->OtherView(), Qt::Key_F6);
    EXPECT_EQ(window->StatusPart(0)->text(), QStringLiteral("No difference after the caret"));
    view()->setFocus();
    Key(Qt::Key_F6, Qt::ShiftModifier);
    Key(Qt::Key_F6, Qt::ShiftModifier);
    Key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(view()->CaretOffset(), 1);

    Type("99");
    EXPECT_EQ(summary(),
              QStringLiteral("1 difference over 1 byte, and 1 byte only in the second file."));
    EXPECT_EQ(ReadBytes(folder / "b.bin"),
              (std::vector<std::uint8_t>{0x00, 0x99, 0x22, 0x33, 0x55, 0x66}));
    panel->close();
    EXPECT_FALSE(panel->Comparing());
    EXPECT_FALSE(window->Action(kCmdNextDifference)->isEnabled());
}

// Check Header shows what it found; Fix writes the right values as one undo step.
TEST_F(EditingTest, CheckHeaderFixesAWrongChecksumAsOneStep)
{
    std::vector<std::uint8_t> image(0x400, 0);
    image[3] = 0xEA;
    const std::string title = "ADVANCEGAME ";
    std::copy(title.begin(), title.end(), image.begin() + 0xA0);
    image[0xB2] = 0x96;
    Open(image);
    QString before;
    QString after;
    ASSERT_TRUE(WithDialog([&] { window->Action(kCmdCheckHeader)->trigger(); },
                           [&](QDialog &dialog) {
                               before = dialog.findChild<QPlainTextEdit *>()->toPlainText();
                               for (QPushButton *button : dialog.findChildren<QPushButton *>())
                                   if (button->text() == QStringLiteral("&Fix"))
                                       button->click();
                               after = dialog.findChild<QPlainTextEdit *>()->toPlainText();
                           }));
    EXPECT_TRUE(before.contains(QStringLiteral("Game Boy Advance"))) << before.toStdString();
    EXPECT_TRUE(before.contains(QStringLiteral("(wrong)")));
    EXPECT_TRUE(after.contains(QStringLiteral("(right)"))) << after.toStdString();
    EXPECT_NE(document().ReadByte(0xBD), 0);
    EXPECT_TRUE(window->Action(kCmdUndo)->isEnabled());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(document().ReadByte(0xBD), 0);
}

} // namespace
} // namespace byteloom

#include "dialogs/go_to_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace byteloom {
namespace {

TEST(GoToDialog, SaysWhichOffsetATypedAddressIsAndRefusesWhatNamesNone)
{
    std::vector<std::string> messages;
    DisplaySettings display;
    SetOffsetMode(display, OffsetMode::SnesLoRom);
    GoToDialog dialog(
        [&messages](const std::string &message) { messages.push_back(message); },
        [&display](const std::string &text) { return ReadGoToText(text, display, 0x60000); });
    dialog.show();
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Please input an offset");
    auto *field = dialog.findChild<QLineEdit *>();
    QTest::keyClicks(field, QStringLiteral("zz"));
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(messages.back(), "Not a hexadecimal offset");
    field->clear();
    QTest::keyClicks(field, QStringLiteral("$08:8010"));
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("meaning"))->text(),
              QStringLiteral("Address $08:8010 is file offset 00040010"));
    dialog.accept();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Offset(), 0x40010);
}

} // namespace
} // namespace byteloom
