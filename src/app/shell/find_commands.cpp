#include "shell/find_commands.h"

#include "platform/user_prompts.h"
#include "session/session.h"
#include "shell/command_host.h"

#include "common/command_ids.h"
#include "dialogs/find_dialog.h"
#include "dialogs/work_progress.h"
#include "session/editing.h"
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
        host_.Prompts().ShowMessage(*error);
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
    ShowHit(caret,
            host_.DataView().View(),
            *hit,
            LastMatchLength(state),
            textColumn);
    host_.SelectionCommandsFollow(true);
    host_.DataView().CaretChanged();
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
            [this](const std::string &message) { host_.Prompts().ShowMessage(message); },
            host_.DialogParent());
        if (dialog.exec() == QDialog::Accepted)
            SearchAndShow(true);
    });
    host_.Handle(kCmdFindNext, [this] { SearchAndShow(false); });
}

} // namespace byteloom
