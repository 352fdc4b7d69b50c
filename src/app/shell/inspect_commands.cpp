#include "shell/inspect_commands.h"

#include "common/command_ids.h"
#include "dialogs/checksum_dialog.h"
#include "dialogs/header_dialog.h"
#include "platform/user_prompts.h"
#include "session/editing.h"
#include "session/lifecycle_texts.h"
#include "session/session.h"
#include "shell/command_host.h"
#include "view/compare_panel.h"
#include "view/data_window.h"

#include <QAction>
#include <QMainWindow>

namespace byteloom {

InspectCommands::InspectCommands(CommandHost &host)
    : host_(host)
{
    host_.Handle(kCmdCompareWith, [this] { CompareWith(); });
    host_.Handle(kCmdNextDifference, [this] { StepDifference(true); });
    host_.Handle(kCmdPreviousDifference, [this] { StepDifference(false); });
    // The selection's bytes, or the whole file's.
    host_.Handle(kCmdChecksum, [this] {
        Document &document = host_.session().document();
        const ByteRange selected = SelectedSpan(host_.DataView().selection());
        ChecksumDialog(document,
                       selected.length > 0 ? selected : ByteRange{0, document.Size()},
                       host_.DialogParent())
            .exec();
    });
    host_.Handle(kCmdCheckHeader, [this] {
        Session &session = host_.session();
        HeaderDialog(
            session.document(),
            session.journal(),
            [this] { host_.NoteEdited(); },
            host_.DialogParent())
            .exec();
    });
    DifferenceCommandsFollow();
}

InspectCommands::~InspectCommands()
{
    // The panel hides as the window goes, after these commands are gone.
    if (compare_)
        QObject::disconnect(compare_, &QDockWidget::visibilityChanged, nullptr, nullptr);
}

void InspectCommands::CompareWith()
{
    const auto path = host_.Prompts().ChooseFileToOpen("Compare With", DocumentFilters());
    if (!path)
        return;
    if (!compare_) {
        auto *window = qobject_cast<QMainWindow *>(host_.DialogParent());
        compare_ = new ComparePanel(
            host_.session(),
            host_.DataView(),
            [this](std::int64_t offset) { host_.JumpTo(offset); },
            window);
        window->addDockWidget(Qt::RightDockWidgetArea, compare_);
        // Beside the Data Inspector, not under it: the compared view needs the height.
        if (auto *inspector = window->findChild<QDockWidget *>(QStringLiteral("dataInspector")))
            window->splitDockWidget(compare_, inspector, Qt::Horizontal);
        compare_->hide();
        QObject::connect(compare_, &QDockWidget::visibilityChanged, compare_, [this] {
            DifferenceCommandsFollow();
        });
    }
    if (const auto failure = compare_->Open(*path)) {
        if (!failure->empty())
            host_.Prompts().ShowMessage(*failure, MessageKind::Error);
    } else {
        // The document and the compared file share the window's width.
        auto *window = qobject_cast<QMainWindow *>(host_.DialogParent());
        window->resizeDocks({compare_}, {window->width() / 2}, Qt::Horizontal);
    }
    DifferenceCommandsFollow();
}

void InspectCommands::StepDifference(bool forward)
{
    if (compare_ && !compare_->Step(forward))
        host_.ShowStatusMessage(forward ? QStringLiteral("No difference after the caret")
                                        : QStringLiteral("No difference before the caret"));
}

void InspectCommands::DocumentChanged()
{
    if (compare_)
        compare_->MainChanged();
}

void InspectCommands::DifferenceCommandsFollow()
{
    const bool comparing = compare_ && compare_->Comparing();
    host_.Action(kCmdNextDifference)->setEnabled(comparing);
    host_.Action(kCmdPreviousDifference)->setEnabled(comparing);
}

} // namespace byteloom
