// The main window's editing commands: Undo and Redo, the selection and clipboard commands,
// Go To, Open Table and the bookmarks. Every rule behind them lives in the core.
#include "shell/main_flat_window.h"

#include "clipboard/copy_hex_as.h"
#include "common/command_ids.h"
#include "common/number_text.h"
#include "dialogs/go_to_dialog.h"
#include "session/editing.h"
#include "tables/script_dump.h"
#include "view/data_window.h"
#include "view/text_mode.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMimeData>

namespace byteloom {

namespace {

// Copy and Cut put the raw bytes on the clipboard under our own type, and as the hex text
// that Copy Hex As Text gives, so that other programs receive something too.
void PutBytesOnClipboard(const std::vector<std::uint8_t> &bytes)
{
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(kByteloomMimeType),
                  QByteArray(reinterpret_cast<const char *>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    mime->setText(QString::fromStdString(HexText(bytes)));
    QApplication::clipboard()->setMimeData(mime);
}

} // namespace

void MainFlatWindow::SelectionCommandsFollow(bool made)
{
    if (!session_.document().IsOpen())
        return;
    ApplyMenuState(made ? SelectionMadeMenuState(session_.document().IsPaged())
                        : SelectionDroppedMenuState());
    // A script is text through a table: without one, Dump Selected would write nothing.
    if (!session_.tables().Current())
        Action(kCmdDumpSelected)->setEnabled(false);
}

void MainFlatWindow::PutOnClipboard(const QString &text)
{
    QApplication::clipboard()->setText(text);
    Action(kCmdPaste)->setEnabled(true);
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

// Bytes that could not be read are never copied as zeros: the reason is shown instead.
bool MainFlatWindow::ReadFailed()
{
    auto error = session_.document().TakeIoError();
    if (error)
        prompts_->ShowMessage(*error);
    return error.has_value();
}

void MainFlatWindow::RegisterEditHandlers()
{
    const auto restore = [this](bool undo) {
        Document &document = session_.document();
        const auto range
            = undo ? session_.journal().Undo(document) : session_.journal().Redo(document);
        if (auto error = document.TakeIoError())
            prompts_->ShowMessage(*error);
        if (!range)
            return;
        // The restored bytes come into view under the caret.
        PlaceCaret(dataWindow_->caret(),
                   dataWindow_->View(),
                   range->offset,
                   dataWindow_->caret().InText());
        dataWindow_->CaretChanged();
        lifecycle_.NoteUndoOrRedo();
    };
    Handle(kCmdUndo, [restore] { restore(true); });
    Handle(kCmdRedo, [restore] { restore(false); });

    Handle(kCmdSelectAll, [this] {
        SelectAll(dataWindow_->caret(), session_.document().Size());
        SelectionCommandsFollow(true);
    });
    Handle(kCmdSelectLine, [this] {
        SelectLine(dataWindow_->caret());
        SelectionCommandsFollow(true);
    });
    Handle(kCmdGoTo, [this] {
        GoToDialog dialog([this](const std::string &message) { prompts_->ShowMessage(message); },
                          this);
        if (dialog.exec() == QDialog::Accepted)
            goToTarget_ = ReadLeadingOffset(dialog.Text().toStdString(), 16);
        // Whatever the answer, the view jumps to the target.
        JumpTo(goToTarget_);
    });

    Handle(kCmdCopy, [this] {
        const ByteRange span = SelectedSpan(dataWindow_->selection());
        if (span.length <= 0)
            return;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(span.length));
        bytes.resize(static_cast<std::size_t>(session_.document().ReadBlock(span.offset, bytes)));
        if (ReadFailed())
            return;
        PutBytesOnClipboard(bytes);
        Action(kCmdPaste)->setEnabled(true);
    });
    Handle(kCmdCut, [this] {
        const std::vector<std::uint8_t> bytes
            = CutSelection(dataWindow_->caret(), session_.document(), session_.journal());
        if (bytes.empty())
            return;
        PutBytesOnClipboard(bytes);
        Action(kCmdPaste)->setEnabled(true);
        SelectionCommandsFollow(false);
        NoteEdited();
    });
    Handle(kCmdPaste, [this] {
        const QMimeData *clipboard = QApplication::clipboard()->mimeData();
        if (!clipboard)
            return;
        std::vector<std::uint8_t> bytes;
        const QString ours = QString::fromLatin1(kByteloomMimeType);
        if (clipboard->hasFormat(ours)) {
            const QByteArray raw = clipboard->data(ours);
            bytes.assign(raw.begin(), raw.end());
        } else if (clipboard->hasText()) {
            const TableFile *table = session_.tables().Current();
            int leftOut = 0;
            bytes = PlainTextPasteBytes(
                clipboard->text().toStdString(),
                dataWindow_->caret(),
                table,
                {session_.display(), session_.codePages(), session_.decoder()},
                leftOut);
            if (leftOut > 0)
                ShowStatusMessage(
                    QString::fromStdString(LeftOutMessage(leftOut, table->GetCodePage())));
        }
        if (PasteBytes(dataWindow_->caret(), session_.document(), session_.journal(), bytes)) {
            SelectionCommandsFollow(false);
            NoteEdited();
        }
    });
    Handle(kCmdCopyString, [this] {
        const ByteRange span = SelectedSpan(dataWindow_->selection());
        if (span.length <= 0)
            return;
        const TableFile *table = session_.tables().Current();
        const std::string text
            = CopyStringText(session_.document(), table, span.offset, span.length);
        if (ReadFailed())
            return;
        const int codePage = table ? table->GetCodePage() : kDefaultCodePage;
        PutOnClipboard(QString::fromStdString(session_.decoder().ToUtf8(
            codePage,
            std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()))));
    });
    const auto copyAs = [this](int command) {
        const ByteRange span = SelectedSpan(dataWindow_->selection());
        Document &document = session_.document();
        const bool bigEndian = session_.display().bigEndian;
        std::string text;
        if (command == kCmdCopyHexAsText)
            text = CopyHexAsText(document, span.offset, span.End());
        else if (command == kCmdCopyHexAsChar)
            text = CopyHexAsCharArray(document, span.offset, span.End());
        else if (command == kCmdCopyHexAsShort)
            text = CopyHexAsShortArray(document, span.offset, span.End(), bigEndian);
        else
            text = CopyHexAsIntArray(document, span.offset, span.End(), bigEndian);
        if (ReadFailed())
            return;
        PutOnClipboard(QString::fromStdString(text));
    };
    for (const int command : {int{kCmdCopyHexAsText},
                              int{kCmdCopyHexAsChar},
                              int{kCmdCopyHexAsShort},
                              int{kCmdCopyHexAsInt}})
        Handle(command, [copyAs, command] { copyAs(command); });

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
