// The data window's input, handed to its controllers: every rule behind it (caret moves, edits,
// hit testing) is the core's.
#include "view/data_window.h"

#include "session/session.h"
#include "view/mouse_controller.h"
#include "view/table_entry_box.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>

namespace byteloom {

// Tab and Shift+Tab belong to the view, not to focus changes.
bool DataWindow::focusNextPrevChild(bool)
{
    return false;
}

// In a view that only shows, the editing commands' keys (Paste, Cut, Copy, Undo, Redo, Delete)
// are the view's own, and do nothing: as shortcuts they would act on the document beside it.
bool DataWindow::event(QEvent *event)
{
    if (readOnly_ && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        for (const QKeySequence::StandardKey editing : {QKeySequence::Paste,
                                                        QKeySequence::Cut,
                                                        QKeySequence::Copy,
                                                        QKeySequence::Undo,
                                                        QKeySequence::Redo,
                                                        QKeySequence::Delete}) {
            if (key->matches(editing)) {
                event->accept();
                return true;
            }
        }
    }
    return QAbstractScrollArea::event(event);
}

void DataWindow::keyPressEvent(QKeyEvent *event)
{
    keys_.KeyPress(event);
}

void DataWindow::mousePressEvent(QMouseEvent *event)
{
    mouse_->Press(event);
}

void DataWindow::mouseMoveEvent(QMouseEvent *event)
{
    mouse_->Move(event);
}

void DataWindow::mouseReleaseEvent(QMouseEvent *)
{
    mouse_->Release();
}

void DataWindow::CommitEntryBox()
{
    entryBox_->Commit();
}

void DataWindow::ReportFailedEdit()
{
    if (auto error = session_.document().TakeIoError())
        emit EditFailed(QString::fromStdString(*error));
}

// The input method's composition window opens on the caret cell.
QVariant DataWindow::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImCursorRectangle || caret_.row >= static_cast<int>(paintedEdges_.size()))
        return QAbstractScrollArea::inputMethodQuery(query);
    const int x = paintedEdges_[static_cast<std::size_t>(caret_.row)].Left(caret_.column)
                  - horizontalScrollBar()->value() * charWidth_;
    return QRect(viewport()->mapTo(this, QPoint(x, caret_.row * rowHeight_)), QSize(1, rowHeight_));
}

void DataWindow::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && session_.document().IsOpen() && !readOnly_)
        keys_.InputMethodText(event->commitString());
    event->accept();
}

} // namespace byteloom
