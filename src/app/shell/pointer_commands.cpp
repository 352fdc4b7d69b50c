#include "shell/pointer_commands.h"

#include "common/command_ids.h"
#include "dialogs/find_pointers_dialog.h"
#include "dialogs/work_progress.h"
#include "platform/user_prompts.h"
#include "scripts/pointer_search.h"
#include "scripts/script_report.h"
#include "session/editing.h"
#include "session/session.h"
#include "shell/command_host.h"
#include "view/data_window.h"

#include <QAction>
#include <QDockWidget>
#include <QListWidget>
#include <QMainWindow>

namespace byteloom {

PointerCommands::PointerCommands(CommandHost &host)
    : host_(host)
{
    host_.Handle(kCmdFindPointers, [this] { FindPointersWithDialog(); });
    host_.Handle(kCmdFollowPointer, [this] { FollowPointer(); });
    host_.Handle(kCmdBack, [this] { Back(); });
}

void PointerCommands::FindPointersWithDialog()
{
    Session &session = host_.session();
    const ByteRange selected = SelectedSpan(host_.DataView().selection());
    const std::int64_t target
        = selected.length > 0 ? selected.offset : host_.DataView().caret().Offset();
    FindPointersDialog dialog(
        session.pointers(),
        target,
        [this](const std::string &message) {
            host_.Prompts().ShowMessage(message, MessageKind::Warning);
        },
        host_.DialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PointerRequest &request = dialog.Request();
    session.pointers().header = request.header;
    if (request.shapes.size() == 1)
        session.pointers().shape = request.shapes.front();
    PointerSearch search;
    {
        WorkProgress progress(host_.DialogParent(), QStringLiteral("Finding pointers..."));
        search = FindPointers(
            session.document(), target, request.header, request.shapes, progress.Callback());
    }
    if (search.status.cancelled())
        return;
    if (!search.status.ok())
        return host_.Prompts().ShowMessage(search.status.message(), MessageKind::Error);

    if (!panel_) {
        auto *window = qobject_cast<QMainWindow *>(host_.DialogParent());
        panel_ = new QDockWidget(window);
        panel_->setObjectName(QStringLiteral("pointers"));
        hits_ = new QListWidget(panel_);
        hits_->setObjectName(QStringLiteral("pointerHits"));
        panel_->setWidget(hits_);
        window->addDockWidget(Qt::RightDockWidgetArea, panel_);
        // Enter or a double-click goes to the pointer.
        QObject::connect(hits_, &QListWidget::itemActivated, hits_, [this](QListWidgetItem *item) {
            GoFromCaret(item->data(Qt::UserRole).toLongLong());
        });
    }
    panel_->setWindowTitle(QStringLiteral("Pointers to %1: %2")
                               .arg(QString::fromStdString(HexOffset(target)))
                               .arg(search.hits.size()));
    hits_->clear();
    for (const PointerHit &hit : search.hits) {
        auto *item = new QListWidgetItem(
            QString::fromStdString(HexOffset(hit.offset) + "  " + ShapeName(hit.shape)), hits_);
        item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(hit.offset));
    }
    panel_->show();
    host_.ShowStatusMessage(search.hits.empty()
                                ? QStringLiteral("No pointer points there.")
                                : QStringLiteral("%1 pointers found.").arg(search.hits.size()));
    if (!search.hits.empty())
        hits_->setCurrentRow(0);
}

void PointerCommands::FollowPointer()
{
    Session &session = host_.session();
    const FollowedPointer followed = FollowPointerAt(session.document(),
                                                     host_.DataView().caret().Offset(),
                                                     session.pointers().shape,
                                                     session.pointers().header);
    if (!followed.target)
        return host_.Prompts().ShowMessage(followed.message);
    GoFromCaret(*followed.target);
}

void PointerCommands::Back()
{
    auto &back = host_.session().pointers().back;
    if (back.empty())
        return;
    const std::int64_t offset = back.back();
    back.pop_back();
    host_.JumpTo(offset);
    BackFollows();
}

void PointerCommands::GoFromCaret(std::int64_t offset)
{
    host_.session().pointers().back.push_back(host_.DataView().caret().Offset());
    host_.JumpTo(offset);
    BackFollows();
}

void PointerCommands::BackFollows()
{
    host_.Action(kCmdBack)->setEnabled(!host_.session().pointers().back.empty());
}

} // namespace byteloom
