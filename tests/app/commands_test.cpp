#include "common/command_ids.h"
#include "shell/command_table.h"
#include "view/data_window.h"
#include "window_test.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolBar>

#include <gtest/gtest.h>

namespace byteloom {
namespace {

class CommandsTest : public test::WindowTest
{
protected:
    // Every enabled menu item and toolbar button has a handler: none can be chosen and do
    // nothing.
    void ExpectEveryEnabledCommandWorks(const char *state)
    {
        for (const MenuDefinition &menu : MainMenus()) {
            for (const MenuLine &line : menu.lines) {
                if (line.kind == MenuLine::Item && line.command != 0
                    && window->Action(line.command)->isEnabled()) {
                    EXPECT_TRUE(window->HasHandler(line.command)) << line.text << " " << state;
                }
            }
        }
        for (QAction *action : window->Toolbar()->actions()) {
            if (action->isSeparator())
                continue;
            const ToolbarButton *button = nullptr;
            for (const ToolbarButton &candidate : ToolbarButtons()) {
                if (candidate.command != 0
                    && QString::fromLatin1(candidate.tooltip) == action->toolTip())
                    button = &candidate;
            }
            ASSERT_NE(button, nullptr);
            // A button follows its menu entry.
            EXPECT_EQ(action->isEnabled(), window->Action(button->command)->isEnabled())
                << button->tooltip << " " << state;
        }
    }
};

TEST_F(CommandsTest, EveryEnabledCommandHasAHandlerInEveryState)
{
    ExpectEveryEnabledCommandWorks("without a document");
    test::WriteText(folder / "game.tbl", "41=A\n");
    test::WriteBytes(folder / "game.bin", std::vector<std::uint8_t>(0x40, 0x41));
    window->OpenStartupFile((folder / "game.bin").string());
    ExpectEveryEnabledCommandWorks("with a document and a table");
    window->RunCommand(kCmdSelectAll);
    ExpectEveryEnabledCommandWorks("with a selection");
}

TEST_F(CommandsTest, SplitAndExpandGoThroughTheirDialogs)
{
    std::vector<std::uint8_t> bytes(0x8000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    test::WriteBytes(folder / "rom.bin", bytes);
    window->OpenStartupFile((folder / "rom.bin").string());

    EXPECT_TRUE(WithDialog(
        [this] { window->RunCommand(kCmdExpandFile); },
        [](QDialog &dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Expand File"));
            auto *custom = dialog.findChild<QLineEdit *>(QStringLiteral("custom"));
            EXPECT_FALSE(custom->isEnabled()); // until Custom Size is chosen
            dialog.findChild<QCheckBox *>()->setChecked(true);
            EXPECT_TRUE(custom->isEnabled());
            custom->setText(QStringLiteral("8000"));
            dialog.findChild<QLineEdit *>(QStringLiteral("fill"))->setText(QStringLiteral("1FF"));
            dialog.accept();
        }));
    Document &document = window->session().document();
    EXPECT_EQ(document.Size(), 0x10000);
    EXPECT_EQ(document.ReadByte(0x7FFF), 0xFF);
    EXPECT_EQ(document.ReadByte(0xC000), 0xFF);
    EXPECT_NE(window->windowTitle().indexOf(QStringLiteral("*")), -1);
    EXPECT_EQ(test::ReadBytes(folder / "rom.bin"), bytes); // untouched until saved

    EXPECT_TRUE(WithDialog(
        [this] { window->RunCommand(kCmdSplitFile); },
        [](QDialog &dialog) {
            // The header's size waits for the Header box, as Custom Size's.
            EXPECT_FALSE(dialog.findChild<QLineEdit *>(QStringLiteral("header"))->isEnabled());
            // Tab goes from the sizes to Custom Size below them.
            QApplication::setActiveWindow(&dialog);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QCheckBox *>());
            dialog.accept();
        })); // 4 KiB, no header
    EXPECT_EQ(test::ReadBytes(folder / "rom.bin.0000000F.bank").size(), 0x1000u);
    EXPECT_FALSE(std::filesystem::exists(folder / "rom.bin.00000010.bank"));
    EXPECT_TRUE(
        window->StatusPart(0)->toolTip().startsWith(QStringLiteral("16 bank files written in ")));
}

TEST_F(CommandsTest, PreferencesChangeTheGroupingOnOkOnly)
{
    test::WriteBytes(folder / "g.bin", std::vector<std::uint8_t>(0x40, 0x41));
    window->OpenStartupFile((folder / "g.bin").string());
    const auto chooseByte = [](QDialog &dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Byteloom Preferences"));
        auto *grouping = dialog.findChild<QComboBox *>(QStringLiteral("grouping"));
        EXPECT_EQ(grouping->currentText(), QStringLiteral("Short Word (2 Bytes)"));
        grouping->setCurrentIndex(grouping->findText(QStringLiteral("Byte")));
    };
    // Cancel leaves the grouping.
    EXPECT_TRUE(WithDialog([this] { window->RunCommand(kCmdPreferences); }, chooseByte));
    EXPECT_EQ(window->session().display().grouping, 2);
    EXPECT_TRUE(WithDialog([this] { window->RunCommand(kCmdPreferences); },
                           [&](QDialog &dialog) {
                               chooseByte(dialog);
                               dialog.accept();
                           }));
    EXPECT_EQ(window->session().display().grouping, 1);
    window->View()->viewport()->repaint();
    const auto &edges = window->View()->PaintedEdges();
    ASSERT_FALSE(edges.empty());
    // Single-byte groups: a blank after every byte, so each cell is three characters wide.
    EXPECT_EQ(edges[0].Right(0) - edges[0].Left(0), 3 * window->View()->CharWidth());
}

} // namespace
} // namespace byteloom
