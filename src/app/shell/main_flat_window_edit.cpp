// The main window's selection menus, Go To an offset, Open Table and the bookmarks.
#include "shell/main_flat_window.h"

#include "common/command_ids.h"
#include "session/editing.h"
#include "view/data_window.h"

#include <QAction>
#include <QMenu>

namespace byteloom {

void MainFlatWindow::SelectionCommandsFollow(bool made)
{
    ShowSelection();
    if (!session_.document().IsOpen())
        return;
    ApplyMenuState(made ? SelectionMadeMenuState(session_.document().IsPaged())
                        : SelectionDroppedMenuState());
    // A script is text through a table: without one, Dump Selected would write nothing.
    if (!session_.tables().Current())
        Action(kCmdDumpSelected)->setEnabled(false);
}

void MainFlatWindow::JumpTo(std::int64_t offset)
{
    CaretState &caret = dataWindow_->caret();
    GoTo(caret, dataWindow_->View(), offset);
    SelectionCommandsFollow(false);
    dataWindow_->CaretChanged();
}

void MainFlatWindow::RefreshBookmarks()
{
    // The first eight bookmarks have menu commands; later ones stay in the list.
    const auto &bookmarks = session_.tables().Bookmarks();
    const std::size_t shown = std::min<std::size_t>(bookmarks.size(), 8);
    while (bookmarkActions_.size() < shown) {
        const int command = kCmdFirstBookmark + static_cast<int>(bookmarkActions_.size());
        if (bookmarkActions_.empty())
            editMenu_->addSeparator();
        QAction *action = editMenu_->addAction(QString());
        actions_[command] = action;
        bookmarkActions_.push_back(action);
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    // A bookmark goes to an offset of the document: without one it has nothing to do.
    const bool open = session_.document().IsOpen();
    for (std::size_t k = 0; k < bookmarkActions_.size(); ++k) {
        bookmarkActions_[k]->setVisible(k < shown);
        bookmarkActions_[k]->setEnabled(open);
        if (k < shown)
            bookmarkActions_[k]->setText(
                QString::fromStdString(BookmarkMenuText(bookmarks[k].name)));
    }
}

void MainFlatWindow::RegisterEditHandlers()
{
    Handle(kCmdOpenTable, [this] {
        if (lifecycle_.OpenTableWithDialog())
            ShowStatusMessage(QString::fromStdString(lifecycle_.TableSummary()));
    });
    for (int k = 0; k < 8; ++k) {
        Handle(kCmdFirstBookmark + k, [this, k] {
            const auto &bookmarks = session_.tables().Bookmarks();
            if (static_cast<std::size_t>(k) < bookmarks.size())
                JumpTo(bookmarks[static_cast<std::size_t>(k)].offset);
        });
    }
}

} // namespace byteloom
