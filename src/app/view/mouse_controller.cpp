#include "view/mouse_controller.h"

#include "session/editing.h"
#include "session/session.h"
#include "view/data_window.h"
#include "view/offset_label.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace byteloom {

MouseController::MouseController(DataWindow &view)
    : QObject(&view)
    , view_(view)
{
    dragScroll_.setInterval(50);
    connect(&dragScroll_, &QTimer::timeout, this, &MouseController::DragPastEdgeTick);
}

bool MouseController::HitTest(QPoint point, int &row, int &column)
{
    Document &document = view_.session_.document();
    const auto &edges = view_.paintedEdges_;
    if (!document.IsOpen() || edges.empty())
        return false;
    row = std::max(point.y() / view_.rowHeight_, 0);
    if ((view_.caret_.topRow + row) * kBytesPerRow >= document.Size())
        row -= 1;
    row = std::clamp(row, 0, static_cast<int>(edges.size()) - 1);
    column = HitTestColumn(edges[static_cast<std::size_t>(row)],
                           point.x(),
                           view_.charWidth_,
                           view_.horizontalScrollBar()->value(),
                           OffsetColumnChars(view_.session_.display(), document.Size()));
    return true;
}

void MouseController::Press(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    if (event->button() != Qt::LeftButton || !HitTest(event->position().toPoint(), row, column))
        return;
    view_.setFocus();
    view_.Report(ClickCaret(view_.caret_, row, column, event->modifiers() & Qt::ShiftModifier));
}

void MouseController::Move(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    const QPoint point = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || !HitTest(point, row, column))
        return;
    // Above or below the window the view scrolls on by itself while the button is held.
    const bool above = point.y() < 0;
    const bool below = point.y() >= view_.viewport()->height();
    if (above || below) {
        dragDown_ = below;
        dragColumn_ = column;
        if (!dragScroll_.isActive()) {
            DragPastEdgeTick();
            dragScroll_.start();
        }
        return;
    }
    dragScroll_.stop();
    view_.Report(DragCaret(view_.caret_, row, column));
}

void MouseController::Release()
{
    dragScroll_.stop();
}

void MouseController::DragPastEdgeTick()
{
    if (!view_.session_.document().IsOpen() || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        dragScroll_.stop();
        return;
    }
    view_.Report(DragPastEdge(view_.caret_, view_.View(), dragDown_, dragColumn_));
}

} // namespace byteloom
