#include "shell/script_commands.h"
#include "common/path_text.h"

#include "session/file_lifecycle.h"
#include "session/session.h"
#include "shell/command_host.h"

#include "common/command_ids.h"
#include "dialogs/expand_file_dialog.h"
#include "dialogs/insert_report_dialog.h"
#include "dialogs/script_dumper_dialog.h"
#include "dialogs/script_insert_dialog.h"
#include "dialogs/split_file_dialog.h"
#include "dialogs/table_editor_dialog.h"
#include "dialogs/work_progress.h"
#include "document/bank_split.h"
#include "document/safe_file_writer.h"
#include "patch/document_patch.h"
#include "scripts/command_insert.h"
#include "scripts/pointer_dump.h"
#include "session/lifecycle_texts.h"
#include "tables/script_insert.h"
#include "tables/text_file.h"
#include "view/data_window.h"

namespace byteloom {

void ScriptCommands::DumpScriptWithDialog(const DumpDialogFields &fields)
{
    // The selection, when there is one, is the pointer table's first guess.
    const Selection &selection = host_.DataView().selection();
    PointerTableFields pointers;
    if (selection.active)
        pointers = PointerTableFieldsOf(selection.anchor, selection.end);
    else
        pointers.start = fields.start;
    ScriptDumperDialog dialog(
        host_.session().files(),
        fields,
        [this] {
            return host_.Prompts().ChooseFileToSave(
                std::string(kSaveDialogTitle), DocumentFilters(), std::filesystem::path());
        },
        [this](const std::string &message) {
            host_.Prompts().ShowMessage(message, MessageKind::Warning);
        },
        [this](const std::string &question) { return host_.Prompts().AskYesNo(question); },
        pointers,
        host_.DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const DumpRequest &request = dialog.Request();
    if (const auto &table = dialog.PointerTableChosen())
        return DumpPointerTableTo(request.path, *table);
    WorkProgress progress(host_.DialogParent(), QStringLiteral("Dumping the script..."));
    std::int64_t notExact = 0;
    const Status status = DumpScriptToFile(host_.session().files(),
                                           host_.session().document(),
                                           host_.session().tables().Current(),
                                           request.range,
                                           request.clean,
                                           request.path,
                                           progress.Callback(),
                                           &notExact);
    if (status.ok())
        host_.ShowStatusMessage(QString::fromStdString(DumpedMessage(request.path, notExact)));
    else if (!status.cancelled())
        host_.Prompts().ShowMessage(status.message(), MessageKind::Error);
}

void ScriptCommands::InsertScriptWithDialog()
{
    const std::int64_t caret = host_.DataView().caret().Offset();
    const LoadedTables &tables = host_.session().tables();
    ScriptInsertDialog dialog(
        host_.session().files(),
        InsertScriptFields(caret, tables),
        tables,
        caret,
        [this] {
            return host_.Prompts().ChooseFileToOpen(std::string(kOpenScriptDialogTitle),
                                                    ScriptFilters());
        },
        [this](const std::string &message) {
            host_.Prompts().ShowMessage(message, MessageKind::Warning);
        },
        [this](const std::filesystem::path &path) -> std::optional<std::string> {
            Session &session = host_.session();
            if (!IsCommandScriptFile(session.files(), path))
                return std::nullopt;
            return DescribeCommandScript(PlanCommandScriptFiles(
                session.files(), {path}, {session.document().Path(), session.document().Size()}));
        },
        host_.DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const InsertRequest &request = dialog.Request();
    if (dialog.CommandScriptChosen())
        return InsertCommandScript(request.path);
    WorkProgress progress(host_.DialogParent(), QStringLiteral("Inserting the script..."));
    const InsertResult result = InsertScript(host_.session().files(),
                                             host_.session().document(),
                                             host_.session().journal(),
                                             tables,
                                             request.path,
                                             request.place,
                                             request.tableTitle,
                                             progress.Callback());
    if (result.bytesWritten > 0)
        host_.NoteEdited();
    if (!result.status.ok() && !result.status.cancelled())
        host_.Prompts().ShowMessage(result.status.message(), MessageKind::Error);
    if (const std::string report = InsertReport(result); !report.empty())
        host_.Prompts().ShowMessage(
            report, result.Lost() ? MessageKind::Warning : MessageKind::Information);
}

// The strings of a pointer table as a command script, which names the current table's file.
void ScriptCommands::DumpPointerTableTo(const std::filesystem::path &path,
                                        const PointerTable &table)
{
    Session &session = host_.session();
    const TableFile *current = session.tables().Current();
    if (!current || current->GetPath().empty())
        return host_.Prompts().ShowMessage(
            "The dump names its table file; save the table to a file first.");
    const PointerDump dump = DumpPointerTable(
        session.document(), *current, TextOfPath(PathOfText(current->GetPath()).filename()), table);
    Status status = dump.status;
    if (status.ok())
        status
            = WriteFileSafely(path,
                              std::span(reinterpret_cast<const std::uint8_t *>(dump.script.data()),
                                        dump.script.size()),
                              session.files());
    if (!status.ok())
        return host_.Prompts().ShowMessage(status.message(), MessageKind::Error);
    host_.ShowStatusMessage(QStringLiteral("%1 strings and %2 pointers dumped to %3")
                                .arg(dump.strings)
                                .arg(dump.pointers)
                                .arg(QString::fromStdString(TextOfPath(path))));
    if (dump.notExact > 0)
        host_.Prompts().ShowMessage(std::to_string(dump.notExact)
                                        + " strings have no text that reads back as their bytes.",
                                    MessageKind::Warning);
    if (dump.setAside > 0)
        host_.Prompts().ShowMessage(std::to_string(dump.setAside)
                                        + (dump.setAside == 1 ? " pointer was" : " pointers were")
                                        + " kept out of the blocks: the script's comments say why.",
                                    MessageKind::Warning);
}

// Every write of the script computed first; then the other files it names, then the document as
// one undo step; then the report, or the errors with nothing changed.
void ScriptCommands::InsertCommandScript(const std::filesystem::path &path)
{
    Session &session = host_.session();
    CommandScriptPlan plan;
    {
        WorkProgress progress(host_.DialogParent(), QStringLiteral("Inserting the script..."));
        plan = PlanCommandScriptFiles(session.files(),
                                      {path},
                                      {session.document().Path(), session.document().Size()},
                                      progress.Callback());
        if (progress.Cancelled())
            return;
    }
    if (!plan.report.Failed()) {
        const Status applied
            = ApplyCommandScriptPlan(session.files(), session.document(), session.journal(), plan);
        if (std::any_of(plan.writes.begin(), plan.writes.end(), [](const PlannedWrite &write) {
                return write.target == 0;
            }))
            host_.NoteEdited();
        if (!applied.ok())
            return host_.Prompts().ShowMessage(applied.message(), MessageKind::Error);
    }
    InsertReportDialog(plan.report, host_.DialogParent()).exec();
}

// Create Patch: the original chosen, then where the patch goes; the document as it is now, its
// unsaved changes too, is the modified image.
void ScriptCommands::CreatePatchWithDialogs()
{
    static const FileFilter originals[] = {{"All Files (*.*)", "*.*"}};
    static const FileFilter patches[]
        = {{"BPS Patches (*.bps)", "*.bps"}, {"IPS Patches (*.ips)", "*.ips"}};
    const auto original = host_.Prompts().ChooseFileToOpen("Choose the original image", originals);
    if (!original)
        return;
    const auto out = host_.Prompts().ChooseFileToSave("Save the patch as", patches, {});
    if (!out)
        return;
    WorkProgress progress(host_.DialogParent(), QStringLiteral("Making the patch..."));
    const PatchResult patch = CreatePatchFromFile(host_.session().files(),
                                                  host_.session().document(),
                                                  *original,
                                                  PatchKindOfName(*out),
                                                  progress.Callback());
    Status status = patch.status;
    if (status.ok())
        status = WriteFileSafely(*out, patch.bytes, host_.session().files());
    if (!status.ok()) {
        if (!status.cancelled())
            host_.Prompts().ShowMessage(status.message(), MessageKind::Error);
        return;
    }
    host_.ShowStatusMessage(QStringLiteral("Patch written: %1 bytes").arg(patch.bytes.size()));
}

// Apply Patch: to the document in memory, as one step of Undo.
void ScriptCommands::ApplyPatchWithDialog()
{
    static const FileFilter patches[]
        = {{"Patches (*.ips;*.bps)", "*.ips;*.bps"}, {"All Files (*.*)", "*.*"}};
    const auto path = host_.Prompts().ChooseFileToOpen("Choose the patch", patches);
    if (!path)
        return;
    const TextFileResult read = ReadBinaryFile(*path, host_.session().files());
    Status status = read.status;
    if (status.ok()) {
        const std::vector<std::uint8_t> patch(read.text.begin(), read.text.end());
        WorkProgress progress(host_.DialogParent(), QStringLiteral("Applying the patch..."));
        status = ApplyPatchToDocument(
            host_.session().document(), host_.session().journal(), patch, progress.Callback());
    }
    if (!status.ok()) {
        if (!status.cancelled())
            host_.Prompts().ShowMessage(status.message(), MessageKind::Error);
        return;
    }
    host_.NoteEdited();
}

ScriptCommands::ScriptCommands(CommandHost &host)
    : host_(host)
{
    host_.Handle(kCmdDumpScript, [this] {
        DumpScriptWithDialog(DumpScriptFields(host_.DataView().caret().Offset()));
    });
    host_.Handle(kCmdDumpSelected, [this] {
        const Selection &selection = host_.DataView().selection();
        if (selection.active)
            DumpScriptWithDialog(DumpSelectedFields(selection.anchor, selection.end));
    });
    host_.Handle(kCmdInsertScript, [this] { InsertScriptWithDialog(); });

    const auto showMessage = [this](const std::string &message) {
        host_.Prompts().ShowMessage(message, MessageKind::Warning);
    };
    host_.Handle(kCmdSplitFile, [this, showMessage] {
        SplitFileDialog dialog(showMessage, host_.DialogParent());
        if (dialog.exec() != QDialog::Accepted)
            return;
        // Bank files already written stay whole when the split is cancelled.
        WorkProgress progress(host_.DialogParent(), QStringLiteral("Splitting..."));
        const SplitResult result = SplitIntoBanks(host_.session().files(),
                                                  host_.session().document(),
                                                  dialog.Request().bankSize,
                                                  dialog.Request().headerSize,
                                                  progress.Callback());
        if (!result.status.ok())
            host_.Prompts().ShowMessage(result.status.message(), MessageKind::Error);
        else
            host_.ShowStatusMessage(QString::fromStdString(SplitSummary(
                host_.session().document().Path(), result.banksWritten, result.bytesLeftOver)));
    });
    host_.Handle(kCmdExpandFile, [this, showMessage] {
        ExpandFileDialog dialog(showMessage, host_.DialogParent());
        if (dialog.exec() != QDialog::Accepted)
            return;
        const ExpandRequest &request = dialog.Request();
        const Status expanded = ExpandWithUndo(
            host_.session().document(), host_.session().journal(), request.size, request.fill);
        if (!expanded.ok()) {
            host_.Prompts().ShowMessage(expanded.message(), MessageKind::Error);
            return;
        }
        host_.NoteEdited();
    });
    host_.Handle(kCmdCreatePatch, [this] { CreatePatchWithDialogs(); });
    host_.Handle(kCmdApplyPatch, [this] { ApplyPatchWithDialog(); });
    host_.Handle(kCmdEditTable, [this, showMessage] {
        TableFile *table = host_.session().tables().Current();
        if (!table)
            return;
        TableEditorDialog dialog(*table,
                                 host_.session().decoder(),
                                 host_.session().codePages(),
                                 host_.session().display(),
                                 showMessage,
                                 host_.DialogParent());
        if (dialog.exec() != QDialog::Accepted)
            return;
        // The edited table takes the current one's place: its lookups, its title in the window
        // title, and its code page's font in the text column, all at once.
        *table = dialog.Result();
        host_.TableEdited();
    });
}

} // namespace byteloom
