#include "shell/find_commands.h"

#include "platform/user_prompts.h"
#include "session/session.h"
#include "shell/command_host.h"

#include "common/command_ids.h"
#include "dialogs/find_dialog.h"
#include "dialogs/work_progress.h"
#include "document/safe_file_writer.h"
#include "search/relative_table.h"
#include "session/editing.h"
#include "session/file_lifecycle.h"
#include "session/search_state.h"
#include "view/data_window.h"

#include <QAction>

namespace byteloom {

void FindCommands::SearchAndShow(bool fromDialog)
{
    Document &document = host_.session().document();
    if (!document.IsOpen())
        return;
    const SearchState &state = host_.session().search();
    CaretState &caret = host_.DataView().caret();
    WorkProgress progress(host_.DialogParent(), QStringLiteral("Searching..."));
    const auto hit = FindFromCaret(document, state, caret, progress.Callback());
    if (auto error = document.TakeIoError()) {
        host_.Prompts().ShowMessage(*error, MessageKind::Error);
        return;
    }
    if (progress.Cancelled())
        return; // caret, selection and view as they were
    if (!hit) {
        // A silent miss reads as a broken command.
        host_.ShowStatusMessage(QString::fromUtf8(kNotFoundMessage.data(),
                                                  static_cast<qsizetype>(kNotFoundMessage.size())));
        return;
    }
    const bool textColumn
        = HitInTextColumn(state, host_.session().tables().Current() != nullptr, fromDialog);
    ShowHit(caret, host_.DataView().View(), *hit, LastMatchLength(state), textColumn);
    host_.SelectionCommandsFollow(true);
    host_.DataView().CaretChanged();
    relativeHit_ = state.lastSearchType == SearchType::Relative ? hit : std::nullopt;
    hitSequence_ = state.relativeSequence;
    host_.Action(kCmdMakeTableFromHit)->setEnabled(relativeHit_.has_value());
}

// The table is written where the user says and loaded, then shown in the Table Editor for review.
void FindCommands::MakeTable()
{
    Session &session = host_.session();
    if (!relativeHit_ || !session.document().IsOpen())
        return;
    const HitTable table = MakeTableFromHit(
        session.document(), session.search().lastRelative, hitSequence_, *relativeHit_);
    static const FileFilter filters[]
        = {{"Table Files (*.tbl)", "*.tbl"}, {"All Files (*.*)", "*.*"}};
    const auto path = host_.Prompts().ChooseFileToSave("Make Table From Hit", filters, "hit.tbl");
    if (!path)
        return;
    const Status written = WriteFileSafely(
        *path,
        std::span(reinterpret_cast<const std::uint8_t *>(table.text.data()), table.text.size()),
        session.files());
    if (!written.ok())
        return host_.Prompts().ShowMessage(written.message(), MessageKind::Error);
    if (!table.leftOut.empty()) {
        std::string message = std::to_string(table.entries) + " entries written; left out:";
        for (const std::string &line : table.leftOut)
            message += "\n" + line;
        host_.Prompts().ShowMessage(message, MessageKind::Warning);
    }
    if (!host_.lifecycle().OpenTableByPath(*path))
        return;
    host_.DocumentChanged();
    host_.Action(kCmdEditTable)->trigger();
}

FindCommands::FindCommands(CommandHost &host)
    : host_(host)
{
    host_.Handle(kCmdFind, [this] {
        SearchState &state = host_.session().search();
        const std::int64_t caret = host_.DataView().caret().Offset();
        FindDialog dialog(
            state,
            [this, &state, caret](const std::string &typed) {
                // Find Next becomes available first, also when the pattern is refused.
                host_.Action(kCmdFindNext)->setEnabled(true);
                const PreparedFind prepared = ConfirmFind(state,
                                                          typed,
                                                          host_.session().tables().Current(),
                                                          caret,
                                                          {host_.session().display(),
                                                           host_.session().codePages(),
                                                           host_.session().decoder()});
                return prepared.Ready() ? std::string() : prepared.message;
            },
            [this](const std::string &message) {
                host_.Prompts().ShowMessage(message, MessageKind::Warning);
            },
            host_.DialogParent());
        if (dialog.exec() == QDialog::Accepted)
            SearchAndShow(true);
    });
    host_.Handle(kCmdFindNext, [this] { SearchAndShow(false); });
    host_.Handle(kCmdMakeTableFromHit, [this] { MakeTable(); });
}

} // namespace byteloom
