#pragma once

#include <QWidget>

#include <initializer_list>

namespace byteloom {

// Tab goes through the widgets in this order: the order they stand in on the screen, which is
// not always the order they were made in.
inline void SetTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace byteloom
