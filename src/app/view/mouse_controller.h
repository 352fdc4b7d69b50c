#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

class QMouseEvent;

namespace byteloom {

class DataWindow;

// The mouse on the data window: a click places the caret (Shift extends the selection), a drag
// selects, and a drag held above or below the window scrolls it a row a tick.
class MouseController : public QObject
{
    Q_OBJECT

public:
    explicit MouseController(DataWindow &view);

    void Press(QMouseEvent *event);
    void Move(QMouseEvent *event);
    void Release();

private:
    // The window row and caret column under point; false without a document or rows.
    bool HitTest(QPoint point, int &row, int &column);
    void DragPastEdgeTick();

    DataWindow &view_;
    QTimer dragScroll_;
    bool dragDown_ = false;
    int dragColumn_ = 0;
};

} // namespace byteloom
