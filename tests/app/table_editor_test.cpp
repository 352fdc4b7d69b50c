#include "common/command_ids.h"
#include "dialogs/table_editor_dialog.h"
#include "tables/loaded_tables.h"
#include "tables/table_codec.h"
#include "tables/table_writer.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>

namespace byteloom {
namespace {

class TableEditorTest : public test::WindowTest
{
protected:
    TableEditorTest()
    {
        // 41 has no entry yet: the view shows it as the one-character fallback.
        test::WriteBytes(folder / "e.bin", {0x41, 0x42, 0x41, 0x42});
        test::WriteText(folder / "e.tbl", "42=b\n61=a\n");
        window->OpenStartupFile((folder / "e.bin").string());
    }

    [[nodiscard]] const TableFile &Table() { return *window->session().tables().Current(); }

    // Types into the grid's current cell as a user does: the first key opens the cell editor,
    // the others go to it (the offscreen platform moves no focus), Enter commits.
    static void TypeIntoCell(QTableView *grid, const QString &text)
    {
        QTest::keyClicks(grid, text.left(1));
        QLineEdit *field = CellEditor(grid);
        ASSERT_TRUE(field);
        QTest::keyClicks(field, text.mid(1));
        QTest::keyClick(field, Qt::Key_Return);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QLineEdit *CellEditor(QTableView *grid)
    {
        for (QLineEdit *field : grid->viewport()->findChildren<QLineEdit *>()) {
            if (field->isVisible())
                return field;
        }
        return nullptr;
    }

    static void Press(QDialog &dialog, QDialogButtonBox::StandardButton which)
    {
        dialog.findChild<QDialogButtonBox *>()->button(which)->click();
    }

    // Runs answer inside the Table File Editor that Edit Table opens.
    void InEditor(const std::function<void(TableEditorDialog &, QTableView *)> &answer)
    {
        ASSERT_TRUE(window->Action(kCmdEditTable)->isEnabled());
        EXPECT_TRUE(WithDialog([&] { window->RunCommand(kCmdEditTable); },
                               [&](QDialog &dialog) {
                                   auto *editor = qobject_cast<TableEditorDialog *>(&dialog);
                                   ASSERT_TRUE(editor);
                                   EXPECT_EQ(editor->focusWidget(), editor->Grid());
                                   answer(*editor, editor->Grid());
                               }));
    }

    int FirstCellWidth()
    {
        window->View()->viewport()->repaint();
        const CellEdges &cells = window->View()->PaintedEdges().front();
        return cells.Right(16) - cells.Left(16);
    }
};

TEST_F(TableEditorTest, AnEntryTypedInTheGridDecodesAtOnceAndIsSavedAtExit)
{
    const int fallbackWidth = FirstCellWidth();
    InEditor([&](TableEditorDialog &dialog, QTableView *grid) {
        EXPECT_EQ(dialog.TitleField()->text(), QStringLiteral("e.tbl"));
        EXPECT_EQ(dialog.CodePageField()->currentText(), QStringLiteral("1252"));
        EXPECT_EQ(dialog.SubtableList()->currentText(), QStringLiteral("Main"));
        ASSERT_EQ(grid->model()->rowCount(), 3); // 42, 61 and the empty row
        EXPECT_EQ(grid->currentIndex().row(), 0);

        // A key on the empty row, then its text.
        grid->setCurrentIndex(grid->model()->index(2, 0));
        TypeIntoCell(grid, QStringLiteral("41"));
        ASSERT_EQ(grid->model()->rowCount(), 4);
        EXPECT_EQ(grid->model()->index(2, 0).data().toString(), QStringLiteral("41"));
        QTest::keyClick(grid, Qt::Key_Right);
        TypeIntoCell(grid, QStringLiteral("WIDE"));
        EXPECT_EQ(grid->model()->index(2, 1).data().toString(), QStringLiteral("WIDE"));
        // A marker is shown, and typed, by what it does.
        const QString endOfString = QString::fromUtf8("\u27E8end of string\u27E9");
        grid->setCurrentIndex(grid->model()->index(3, 0));
        TypeIntoCell(grid, QStringLiteral("FF"));
        EXPECT_TRUE(grid->model()->setData(grid->model()->index(3, 1), endOfString));
        EXPECT_EQ(grid->model()->index(3, 1).data().toString(), endOfString);

        // A key another entry has is refused and said; G1 changes nothing.
        grid->setCurrentIndex(grid->model()->index(1, 0));
        TypeIntoCell(grid, QStringLiteral("42"));
        EXPECT_EQ(dialog.Hint()->text(), QStringLiteral("The key 42 is already in this subtable"));
        TypeIntoCell(grid, QStringLiteral("G1"));
        EXPECT_EQ(grid->model()->index(1, 0).data().toString(), QStringLiteral("61"));
        EXPECT_EQ(dialog.Hint()->text(),
                  QStringLiteral("A key is written in hexadecimal digits (0-9, A-F)"));

        // Delete takes the selected entry (61), never the empty row.
        QTest::keyClick(grid, Qt::Key_Delete);
        grid->setCurrentIndex(grid->model()->index(3, 0));
        QTest::keyClick(grid, Qt::Key_Delete);
        EXPECT_EQ(grid->model()->rowCount(), 4); // 42, 41, FF and the empty row
        // Enter in the grid opens the cell editor rather than closing the dialog; Escape
        // closes the cell editor only.
        QTest::keyClick(grid, Qt::Key_Return);
        ASSERT_TRUE(dialog.isVisible());
        QLineEdit *field = CellEditor(grid);
        ASSERT_TRUE(field);
        QTest::keyClick(field, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        Press(dialog, QDialogButtonBox::Ok);
    });
    EXPECT_TRUE(Table().IsModified());
    EXPECT_EQ(
        DecodeBytes(Table(), Table().GetSubtable(0), std::vector<std::uint8_t>{0x41}).entry->text,
        "WIDE");
    EXPECT_EQ(Table().FindEntryByKey(0, 1, 0x61), nullptr);
    ASSERT_NE(Table().FindEntryByKey(0, 1, 0xFF), nullptr);
    EXPECT_EQ(Table().FindEntryByKey(0, 1, 0xFF)->text, kEndStringMarker);
    EXPECT_GT(FirstCellWidth(), fallbackWidth);

    // At exit the changed table is offered, and Yes writes what loads back as the same table.
    prompts->saveAnswers = {SaveAnswer::Yes};
    const std::string expected = FormatTableFile(Table());
    EXPECT_TRUE(window->close());
    ASSERT_EQ(prompts->asked.size(), 1u);
    EXPECT_EQ(prompts->asked[0], "Table e.tbl has been changed.\r\n\r\nWould you like to save?");
    LoadedTables reloaded;
    ASSERT_TRUE(LoadTableFile(RealFileSystem(), folder / "e.tbl", reloaded).status.ok());
    EXPECT_EQ(FormatTableFile(*reloaded.Current()), expected);
}

TEST_F(TableEditorTest, CancelLeavesTheTableAsItWas)
{
    const std::string before = FormatTableFile(Table());
    InEditor([&](TableEditorDialog &dialog, QTableView *grid) {
        // A cell left for another control keeps what it had.
        QTest::keyClicks(grid, QStringLiteral("9"));
        QLineEdit *field = CellEditor(grid);
        ASSERT_TRUE(field);
        QFocusEvent focusOut(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(field, &focusOut);
        QApplication::processEvents();
        EXPECT_EQ(grid->model()->index(0, 0).data().toString(), QStringLiteral("42"));

        grid->setCurrentIndex(grid->model()->index(2, 0));
        TypeIntoCell(grid, QStringLiteral("41"));
        dialog.TitleField()->setText(QStringLiteral("Other"));
        Press(dialog, QDialogButtonBox::Cancel);
    });
    EXPECT_FALSE(Table().IsModified());
    EXPECT_EQ(FormatTableFile(Table()), before);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(prompts->asked.empty());
}

// The grid's columns are named. (Tab and the access keys: the every-dialog keyboard test.)
TEST_F(TableEditorTest, TheGridsColumnsAreNamed)
{
    InEditor([&](TableEditorDialog &dialog, QTableView *) {
        EXPECT_EQ(dialog.Grid()->model()->headerData(0, Qt::Horizontal).toString(),
                  QStringLiteral("Key"));
    });
}

TEST_F(TableEditorTest, NonsenseInTheCodePageKeepsTheEditorOpen)
{
    InEditor([&](TableEditorDialog &dialog, QTableView *) {
        dialog.CodePageField()->setCurrentText(QStringLiteral("12x"));
        Press(dialog, QDialogButtonBox::Ok);
        EXPECT_TRUE(dialog.isVisible());
        dialog.CodePageField()->setCurrentText(QStringLiteral("932"));
        Press(dialog, QDialogButtonBox::Ok);
        EXPECT_FALSE(dialog.isVisible());
    });
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0], "The code page must be a number such as 1252 or 932");
    EXPECT_EQ(Table().GetCodePage(), 932);
    EXPECT_NE(window->windowTitle().indexOf(QStringLiteral("e.tbl")), -1);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

TEST(NewSubtableDialogTest, RangesPileUpAndEmptyFieldsAreSaid)
{
    std::vector<std::string> messages;
    NewSubtableDialog dialog([&](const std::string &message) { messages.push_back(message); });
    dialog.Field(2)->setText(QStringLiteral("1f000"));
    dialog.AddRange();
    dialog.Field(3)->setText(QStringLiteral("1ffff"));
    dialog.AddRange();
    dialog.Field(2)->setText(QStringLiteral("20000"));
    dialog.Field(3)->setText(QStringLiteral("2000f"));
    dialog.AddRange();
    EXPECT_TRUE(dialog.Field(2)->text().isEmpty());
    dialog.Field(0)->setText(QStringLiteral("e0"));
    dialog.accept();
    dialog.Field(1)->setText(QStringLiteral("e1"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(
        messages,
        (std::vector<std::string>{"Please input an end range", "Please input an end trigger"}));
    ASSERT_EQ(dialog.Ranges().size(), 2u);
    EXPECT_EQ(dialog.Ranges()[1].high, 0x2000Fu);
    EXPECT_EQ(dialog.Triggers().startTrigger, 0xE0u);
    auto *list = dialog.findChild<QTreeWidget *>();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("0001f000"));
}

} // namespace
} // namespace byteloom
