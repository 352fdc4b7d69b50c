// The main window's Special commands: Dump Script, Dump Selected, Insert Script, Split File and
// Expand File, and Edit Table. The rules of their dialogs, the dump, the insert, the split, the
// expansion and the table's edits live in the core.
#include "shell/main_flat_window.h"

#include "common/command_ids.h"
#include "dialogs/expand_file_dialog.h"
#include "dialogs/split_file_dialog.h"
#include "dialogs/script_dumper_dialog.h"
#include "dialogs/script_insert_dialog.h"
#include "dialogs/table_editor_dialog.h"
#include "dialogs/work_progress.h"
#include "document/bank_split.h"
#include "document/safe_file_writer.h"
#include "patch/document_patch.h"
#include "session/lifecycle_texts.h"
#include "tables/script_insert.h"
#include "tables/text_file.h"
#include "view/data_window.h"

namespace byteloom {

void MainFlatWindow::DumpScriptWithDialog(const DumpDialogFields &fields)
{
    ScriptDumperDialog dialog(
        fields,
        [this] {
            return prompts_->ChooseFileToSave(
                std::string(kSaveDialogTitle), DocumentFilters(), std::filesystem::path());
        },
        [this](const std::string &message) { prompts_->ShowMessage(message); },
        [this](const std::string &question) { return prompts_->AskYesNo(question); },
        this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const DumpRequest &request = dialog.Request();
    WorkProgress progress(this, QStringLiteral("Dumping the script..."));
    std::int64_t notExact = 0;
    const Status status = DumpScriptToFile(session_.files(),
                                           session_.document(),
                                           session_.tables().Current(),
                                           request.range,
                                           request.clean,
                                           request.path,
                                           progress.Callback(),
                                           &notExact);
    if (status.ok())
        ShowStatusMessage(QString::fromStdString(DumpedMessage(request.path, notExact)));
    else if (!status.cancelled())
        prompts_->ShowMessage(status.message());
}

void MainFlatWindow::InsertScriptWithDialog()
{
    const std::int64_t caret = dataWindow_->caret().Offset();
    const LoadedTables &tables = session_.tables();
    ScriptInsertDialog dialog(
        InsertScriptFields(caret, tables),
        tables,
        caret,
        [this] {
            return prompts_->ChooseFileToOpen(std::string(kOpenScriptDialogTitle), ScriptFilters());
        },
        [this](const std::string &message) { prompts_->ShowMessage(message); },
        this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const InsertRequest &request = dialog.Request();
    WorkProgress progress(this, QStringLiteral("Inserting the script..."));
    const InsertResult result = InsertScript(session_.files(),
                                             session_.document(),
                                             session_.journal(),
                                             tables,
                                             request.path,
                                             request.place,
                                             request.tableTitle,
                                             progress.Callback());
    if (result.bytesWritten > 0)
        NoteEdited();
    if (!result.status.ok() && !result.status.cancelled())
        prompts_->ShowMessage(result.status.message());
    if (const std::string report = InsertReport(result); !report.empty())
        prompts_->ShowMessage(report);
}

// Create Patch: the original chosen, then where the patch goes; the document as it is now, its
// unsaved changes too, is the modified image.
void MainFlatWindow::CreatePatchWithDialogs()
{
    static const FileFilter originals[] = {{"All Files (*.*)", "*.*"}};
    static const FileFilter patches[]
        = {{"BPS Patches (*.bps)", "*.bps"}, {"IPS Patches (*.ips)", "*.ips"}};
    const auto original = prompts_->ChooseFileToOpen("Choose the original image", originals);
    if (!original)
        return;
    const auto out = prompts_->ChooseFileToSave("Save the patch as", patches, {});
    if (!out)
        return;
    WorkProgress progress(this, QStringLiteral("Making the patch..."));
    const PatchResult patch = CreatePatchFromFile(session_.files(),
                                                  session_.document(),
                                                  *original,
                                                  PatchKindOfName(*out),
                                                  progress.Callback());
    Status status = patch.status;
    if (status.ok())
        status = WriteFileSafely(*out, patch.bytes, session_.files());
    if (!status.ok()) {
        if (!status.cancelled())
            prompts_->ShowMessage(status.message());
        return;
    }
    ShowStatusMessage(QStringLiteral("Patch written: %1 bytes").arg(patch.bytes.size()));
}

// Apply Patch: to the document in memory, as one step of Undo.
void MainFlatWindow::ApplyPatchWithDialog()
{
    static const FileFilter patches[]
        = {{"Patches (*.ips;*.bps)", "*.ips;*.bps"}, {"All Files (*.*)", "*.*"}};
    const auto path = prompts_->ChooseFileToOpen("Choose the patch", patches);
    if (!path)
        return;
    const TextFileResult read = ReadBinaryFile(*path, session_.files());
    Status status = read.status;
    if (status.ok()) {
        const std::vector<std::uint8_t> patch(read.text.begin(), read.text.end());
        WorkProgress progress(this, QStringLiteral("Applying the patch..."));
        status = ApplyPatchToDocument(
            session_.document(), session_.journal(), patch, progress.Callback());
    }
    if (!status.ok()) {
        if (!status.cancelled())
            prompts_->ShowMessage(status.message());
        return;
    }
    NoteEdited();
}

void MainFlatWindow::RegisterScriptHandlers()
{
    Handle(kCmdDumpScript,
           [this] { DumpScriptWithDialog(DumpScriptFields(dataWindow_->caret().Offset())); });
    Handle(kCmdDumpSelected, [this] {
        const Selection &selection = dataWindow_->selection();
        if (selection.active)
            DumpScriptWithDialog(DumpSelectedFields(selection.anchor, selection.end));
    });
    Handle(kCmdInsertScript, [this] { InsertScriptWithDialog(); });

    const auto showMessage = [this](const std::string &message) {
        prompts_->ShowMessage(message);
    };
    Handle(kCmdSplitFile, [this, showMessage] {
        SplitFileDialog dialog(showMessage, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        // Bank files already written stay whole when the split is cancelled.
        WorkProgress progress(this, QStringLiteral("Splitting..."));
        const SplitResult result = SplitIntoBanks(session_.files(),
                                                  session_.document(),
                                                  dialog.Request().bankSize,
                                                  dialog.Request().headerSize,
                                                  progress.Callback());
        if (!result.status.ok())
            prompts_->ShowMessage(result.status.message());
        else
            ShowStatusMessage(
                QString::fromStdString(SplitSummary(result.banksWritten, result.bytesLeftOver)));
    });
    Handle(kCmdExpandFile, [this, showMessage] {
        ExpandFileDialog dialog(showMessage, this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        const ExpandRequest &request = dialog.Request();
        const Status expanded
            = ExpandWithUndo(session_.document(), session_.journal(), request.size, request.fill);
        if (!expanded.ok()) {
            prompts_->ShowMessage(expanded.message());
            return;
        }
        NoteEdited();
    });
    Handle(kCmdCreatePatch, [this] { CreatePatchWithDialogs(); });
    Handle(kCmdApplyPatch, [this] { ApplyPatchWithDialog(); });
    Handle(kCmdEditTable, [this, showMessage] {
        TableFile *table = session_.tables().Current();
        if (!table)
            return;
        TableEditorDialog dialog(*table,
                                 session_.decoder(),
                                 session_.codePages(),
                                 session_.display(),
                                 showMessage,
                                 this);
        if (dialog.exec() != QDialog::Accepted)
            return;
        // The edited table takes the current one's place: its lookups, its title in the window
        // title, and its code page's font in the text column, all at once.
        *table = dialog.Result();
        lifecycle_.NoteTableChanged();
        shownFonts_ = {};
        DocumentChanged();
    });
}

} // namespace byteloom
