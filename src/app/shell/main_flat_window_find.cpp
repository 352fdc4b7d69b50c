// The main window's Find and Find Next (F3, the toolbar's Search button). The dialog's rules,
// the pattern and what a hit does live in the core.
#include "shell/main_flat_window.h"

#include "common/command_ids.h"
#include "dialogs/find_dialog.h"
#include "dialogs/work_progress.h"
#include "session/editing.h"
#include "session/search_state.h"
#include "view/data_window.h"

#include <QAction>

namespace byteloom {

void MainFlatWindow::SearchAndShow(bool fromDialog)
{
    Document &document = session_.document();
    if (!document.IsOpen())
        return;
    const SearchState &state = session_.search();
    CaretState &caret = dataWindow_->caret();
    WorkProgress progress(this, QStringLiteral("Searching..."));
    const auto hit = FindFromCaret(document, state, caret, progress.Callback());
    if (auto error = document.TakeIoError()) {
        prompts_->ShowMessage(*error);
        return;
    }
    if (progress.Cancelled())
        return; // caret, selection and view as they were
    if (!hit) {
        // A silent miss reads as a broken command.
        ShowStatusMessage(QString::fromUtf8(kNotFoundMessage.data(),
                                            static_cast<qsizetype>(kNotFoundMessage.size())));
        return;
    }
    const bool textColumn
        = HitInTextColumn(state, session_.tables().Current() != nullptr, fromDialog);
    ShowHit(caret,
            dataWindow_->View(),
            *hit,
            static_cast<std::int64_t>(state.lastPattern.length()),
            textColumn);
    SelectionCommandsFollow(true);
    dataWindow_->CaretChanged();
}

void MainFlatWindow::RegisterFindHandlers()
{
    Handle(kCmdFind, [this] {
        SearchState &state = session_.search();
        const std::int64_t caret = dataWindow_->caret().Offset();
        FindDialog dialog(
            state,
            [this, &state, caret](const std::string &typed) {
                // Find Next becomes available first, also when the pattern is refused.
                Action(kCmdFindNext)->setEnabled(true);
                const PreparedFind prepared
                    = ConfirmFind(state,
                                  typed,
                                  session_.tables().Current(),
                                  caret,
                                  {session_.display(), session_.codePages(), session_.decoder()});
                return prepared.pattern ? std::string() : prepared.message;
            },
            [this](const std::string &message) { prompts_->ShowMessage(message); },
            this);
        if (dialog.exec() == QDialog::Accepted)
            SearchAndShow(true);
    });
    Handle(kCmdFindNext, [this] { SearchAndShow(false); });
}

} // namespace byteloom
