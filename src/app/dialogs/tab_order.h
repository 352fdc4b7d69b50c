#pragma once

#include <QLabel>
#include <QWidget>

#include <initializer_list>

namespace byteloom {

// Tab goes through the widgets in this order: the order they stand in on the screen, which is
// not always the order they were made in; from the last it comes round to the first, so that
// the buttons at the end never hold the focus between them.
inline void SetTabOrder(std::initializer_list<QWidget *> widgets)
{
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    if (widgets.size() > 1)
        QWidget::setTabOrder(previous, *widgets.begin());
}

// A field's label whose underlined letter, with Alt, puts the focus in the field.
inline QLabel *Labelled(const QString &text, QWidget *field)
{
    auto *label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

} // namespace byteloom
