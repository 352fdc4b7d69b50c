#include "shell/edit_commands.h"

#include "clipboard/copy_hex_as.h"
#include "common/command_ids.h"
#include "common/number_text.h"
#include "dialogs/go_to_dialog.h"
#include "platform/user_prompts.h"
#include "session/editing.h"
#include "session/file_lifecycle.h"
#include "session/session.h"
#include "shell/command_host.h"
#include "shell/main_flat_window.h"
#include "tables/script_dump.h"
#include "view/data_window.h"
#include "view/text_mode.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
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

void EditCommands::PutOnClipboard(const QString &text)
{
    QApplication::clipboard()->setText(text);
    host_.Action(kCmdPaste)->setEnabled(true);
}

// Bytes that could not be read are never copied as zeros: the reason is shown instead.
bool EditCommands::ReadFailed()
{
    auto error = host_.session().document().TakeIoError();
    if (error)
        host_.Prompts().ShowMessage(*error, MessageKind::Error);
    return error.has_value();
}

EditCommands::EditCommands(CommandHost &host)
    : host_(host)
{
    const auto restore = [this](bool undo) {
        Document &document = host_.session().document();
        const auto range = undo ? host_.session().journal().Undo(document)
                                : host_.session().journal().Redo(document);
        if (auto error = document.TakeIoError())
            host_.Prompts().ShowMessage(*error, MessageKind::Error);
        if (!range)
            return;
        // The restored bytes come into view under the caret.
        PlaceCaret(host_.DataView().caret(),
                   host_.DataView().View(),
                   CaretAfterRestore(*range, document.Size()),
                   host_.DataView().caret().InText());
        host_.DataView().CaretChanged();
        host_.lifecycle().NoteUndoOrRedo();
    };
    host_.Handle(kCmdUndo, [restore] { restore(true); });
    host_.Handle(kCmdRedo, [restore] { restore(false); });

    host_.Handle(kCmdSelectAll, [this] {
        SelectAll(host_.DataView().caret(), host_.session().document().Size());
        host_.SelectionCommandsFollow(true);
    });
    host_.Handle(kCmdSelectLine, [this] {
        SelectLine(host_.DataView().caret());
        host_.SelectionCommandsFollow(true);
    });
    host_.Handle(kCmdGoTo, [this] {
        GoToDialog dialog(
            [this](const std::string &message) {
                host_.Prompts().ShowMessage(message, MessageKind::Warning);
            },
            [this](const std::string &text) {
                return ReadGoToText(
                    text, host_.session().display(), host_.session().document().Size());
            },
            host_.DialogParent());
        // Cancel leaves the caret where it is: a jump to the last target would send the next
        // typed digits somewhere the user did not choose.
        if (dialog.exec() != QDialog::Accepted)
            return;
        host_.JumpTo(*dialog.Offset());
    });

    host_.Handle(kCmdCopy, [this] {
        const ByteRange span = SelectedSpan(host_.DataView().selection());
        if (span.length <= 0)
            return;
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(span.length));
        bytes.resize(
            static_cast<std::size_t>(host_.session().document().ReadBlock(span.offset, bytes)));
        if (ReadFailed())
            return;
        PutBytesOnClipboard(bytes);
        host_.Action(kCmdPaste)->setEnabled(true);
    });
    host_.Handle(kCmdCut, [this] {
        const std::vector<std::uint8_t> bytes = CutSelection(
            host_.DataView().caret(), host_.session().document(), host_.session().journal());
        if (bytes.empty())
            return;
        PutBytesOnClipboard(bytes);
        host_.Action(kCmdPaste)->setEnabled(true);
        host_.SelectionCommandsFollow(false);
        host_.NoteEdited();
    });
    // Delete takes the selected bytes out of a whole document as Cut does, without the clipboard.
    host_.Handle(kCmdDelete, [this] {
        if (CutSelection(
                host_.DataView().caret(), host_.session().document(), host_.session().journal())
                .empty())
            return;
        host_.SelectionCommandsFollow(false);
        host_.NoteEdited();
    });
    host_.Handle(kCmdPaste, [this] {
        const QMimeData *clipboard = QApplication::clipboard()->mimeData();
        if (!clipboard)
            return;
        std::vector<std::uint8_t> bytes;
        const QString ours = QString::fromLatin1(kByteloomMimeType);
        if (clipboard->hasFormat(ours)) {
            const QByteArray raw = clipboard->data(ours);
            bytes.assign(raw.begin(), raw.end());
        } else if (clipboard->hasText()) {
            const TableFile *table = host_.session().tables().Current();
            int leftOut = 0;
            bytes = PlainTextPasteBytes(
                clipboard->text().toStdString(),
                host_.DataView().caret(),
                table,
                {host_.session().display(), host_.session().codePages(), host_.session().decoder()},
                leftOut);
            if (leftOut > 0)
                host_.ShowStatusMessage(
                    QString::fromStdString(LeftOutMessage(leftOut, table->GetCodePage())));
        }
        if (PasteBytes(host_.DataView().caret(),
                       host_.session().document(),
                       host_.session().journal(),
                       bytes)) {
            host_.SelectionCommandsFollow(false);
            host_.NoteEdited();
        }
    });
    host_.Handle(kCmdCopyString, [this] {
        const ByteRange span = SelectedSpan(host_.DataView().selection());
        if (span.length <= 0)
            return;
        const TableFile *table = host_.session().tables().Current();
        const std::string text
            = CopyStringText(host_.session().document(), table, span.offset, span.length);
        if (ReadFailed())
            return;
        const int codePage = table ? table->GetCodePage() : kDefaultCodePage;
        PutOnClipboard(QString::fromStdString(host_.session().decoder().ToUtf8(
            codePage,
            std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()))));
    });
    const auto copyAs = [this](int command) {
        const ByteRange span = SelectedSpan(host_.DataView().selection());
        Document &document = host_.session().document();
        const bool bigEndian = host_.session().display().bigEndian;
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
        host_.Handle(command, [copyAs, command] { copyAs(command); });
}

} // namespace byteloom
