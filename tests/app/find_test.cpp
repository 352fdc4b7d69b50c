#include "common/command_ids.h"
#include "shell/main_flat_window.h"
#include "support/fake_prompts.h"
#include "support/temp_folder.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <functional>

namespace byteloom {
namespace {

class FindTest : public test::WindowTest
{
protected:
    FindTest()
    {
        std::vector<std::uint8_t> bytes(0x400, 0);
        for (const std::size_t at : {std::size_t{0x123}, std::size_t{0x301}})
            std::copy_n("ables", 5, bytes.begin() + static_cast<std::ptrdiff_t>(at));
        test::WriteBytes(folder / "find.bin", bytes);
        window->OpenStartupFile((folder / "find.bin").string());
        window->View()->setFocus();
    }

    // Opens Find with Ctrl+F and lets answer work in the dialog.
    bool Find(const std::function<void(QDialog &)> &answer)
    {
        return WithDialog([this] { QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier); },
                          answer);
    }

    static void Type(QDialog &dialog, const char *text)
    {
        QLineEdit *field = dialog.findChild<QComboBox *>(QStringLiteral("what"))->lineEdit();
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(text));
        QTest::keyClick(field, Qt::Key_Return);
    }
};

TEST_F(FindTest, CtrlFFindsSelectsAndScrollsAndF3FindsTheNext)
{
    EXPECT_FALSE(window->Action(kCmdFindNext)->isEnabled());
    ASSERT_TRUE(Find([](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Find"));
        Type(dialog, "ables");
        EXPECT_FALSE(dialog.isVisible());
    }));
    CaretState &caret = window->View()->caret();
    EXPECT_EQ(caret.topRow, 0x12);
    EXPECT_EQ(caret.row, 0);
    EXPECT_EQ(caret.column, 16 + 3);
    EXPECT_EQ(caret.selection.anchor, 0x123);
    EXPECT_EQ(caret.selection.end, 0x128);
    EXPECT_TRUE(window->Action(kCmdCopy)->isEnabled());

    QTest::keyClick(window.get(), Qt::Key_F3);
    EXPECT_EQ(caret.selection.anchor, 0x301);
    EXPECT_EQ(caret.topRow, 0x30);

    // A miss changes nothing but says so.
    QTest::keyClick(window.get(), Qt::Key_F3);
    EXPECT_EQ(caret.selection.anchor, 0x301);
    EXPECT_TRUE(caret.selection.active);
    EXPECT_EQ(window->StatusPart(0)->text(), QStringLiteral("Not found"));
}

TEST_F(FindTest, ARefusedHexTextKeepsTheDialogAndRelativeFindsTheSpacing)
{
    ASSERT_TRUE(Find([](QDialog &dialog) {
        QTest::mouseClick(dialog.findChild<QRadioButton *>(), Qt::LeftButton); // He&x
        // Hex has no options: their frame is gone with them.
        EXPECT_FALSE(dialog.findChild<QComboBox *>(QStringLiteral("options"))->isVisible());
        Type(dialog, "414");
        EXPECT_TRUE(dialog.isVisible());
    }));
    EXPECT_EQ(prompts->messages,
              std::vector<std::string>{"Please input a hex string with complete bytes"});
    // Find Next is there even after a refused text.
    EXPECT_TRUE(window->Action(kCmdFindNext)->isEnabled());

    // "BCMFT" is spaced as "ables" is: a relative search finds the text at 0x123.
    ASSERT_TRUE(Find([](QDialog &dialog) {
        const auto buttons = dialog.findChildren<QRadioButton *>();
        QTest::mouseClick(buttons[2], Qt::LeftButton); // &Relative
        EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("options"))->currentText(),
                  QStringLiteral("Caps-Low-Num"));
        Type(dialog, "BCMFT");
    }));
    EXPECT_EQ(window->View()->caret().selection.anchor, 0x123);

    // The hit's table is written, loaded and shown in the Table Editor for review.
    EXPECT_TRUE(window->Action(kCmdMakeTableFromHit)->isEnabled());
    prompts->savePaths.push_back(folder / "hit.tbl");
    EXPECT_TRUE(WithDialog([this] { window->Action(kCmdMakeTableFromHit)->trigger(); },
                           [](QDialog &dialog) {
                               EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Table File Editor"));
                           }));
    ASSERT_NE(window->session().tables().Current(), nullptr);
    const auto made = test::ReadBytes(folder / "hit.tbl");
    EXPECT_NE(std::string(made.begin(), made.end()).find("61=B\n"), std::string::npos);

    // The Relative Values show while Relative is chosen: 16-bit values, and the characters
    // placed by a sequence of the user's own.
    ASSERT_TRUE(Find([](QDialog &dialog) {
        auto *wide = dialog.findChild<QCheckBox *>(QStringLiteral("wide"));
        EXPECT_FALSE(wide->isVisible()); // Value is chosen as the dialog opens
        QTest::mouseClick(dialog.findChildren<QRadioButton *>()[2], Qt::LeftButton);
        ASSERT_TRUE(wide->isVisible());
        EXPECT_FALSE(dialog.findChild<QCheckBox *>(QStringLiteral("bigEndian"))->isEnabled());
        wide->setChecked(true);
        dialog.findChild<QLineEdit *>(QStringLiteral("sequence"))->setText(QStringLiteral("sel"));
        Type(dialog, "es");
    }));
    const RelativeQuery &query = window->session().search().lastRelative;
    EXPECT_EQ(query.places, (std::vector<std::optional<std::int32_t>>{1, 0}));
    EXPECT_EQ(query.width, 2);
    EXPECT_EQ(window->session().search().relativeSequence, "sel");

    // The toolbar's Search button opens the same dialog, the newest text in its field.
    const auto search = [this] {
        for (QAction *action : window->Toolbar()->actions()) {
            if (action->toolTip() == QStringLiteral("Search"))
                action->trigger();
        }
    };
    EXPECT_TRUE(WithDialog(search, [](QDialog &dialog) {
        EXPECT_EQ(dialog.findChild<QComboBox *>(QStringLiteral("what"))->currentText(),
                  QStringLiteral("es"));
    }));
}

} // namespace
} // namespace byteloom
