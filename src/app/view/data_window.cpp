#include "view/data_window.h"

#include "session.h"

#include <QPainter>

namespace byteloom {

DataWindow::DataWindow(Session &session, QWidget *parent)
    : QAbstractScrollArea(parent)
    , session_(session)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void DataWindow::DocumentChanged()
{
    viewport()->update();
}

void DataWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    (void)session_;
}

} // namespace byteloom
