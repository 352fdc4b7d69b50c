#include "dialogs/tab_order.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>

#include <algorithm>
#include <vector>

namespace byteloom {

namespace {

// Radio buttons that exclude each other stand for one stop: the chosen one, when there is one.
QList<QRadioButton *> ExclusiveSiblings(QWidget *widget)
{
    auto *radio = qobject_cast<QRadioButton *>(widget);
    if (!radio || !radio->autoExclusive() || !radio->parentWidget())
        return {};
    QList<QRadioButton *> siblings;
    for (QRadioButton *other :
         radio->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
        if (other->autoExclusive())
            siblings.push_back(other);
    }
    return siblings;
}

// Where Tab stops for a widget of the ring: none for one hidden, disabled or not taking Tab.
QWidget *StopFor(QWidget *widget)
{
    if (!widget || !widget->isVisible() || !widget->isEnabled()
        || (widget->focusPolicy() & Qt::TabFocus) == 0)
        return nullptr;
    for (QRadioButton *sibling : ExclusiveSiblings(widget)) {
        if (sibling->isChecked())
            return sibling;
    }
    return widget;
}

// Qt's own focus chain is not enough: a button box hands the focus back to its first button,
// and an editable box's line edit keeps its old place in the chain, so Tab went round two
// buttons for ever and Shift+Tab skipped fields. The ring below decides every move itself.
class TabRing : public QObject
{
public:
    TabRing(std::vector<QPointer<QWidget>> widgets, QObject *parent)
        : QObject(parent)
        , widgets_(std::move(widgets))
    {
        for (QWidget *widget : widgets_) {
            widget->installEventFilter(this);
            for (QWidget *part : widget->findChildren<QWidget *>())
                part->installEventFilter(this);
            for (QRadioButton *sibling : ExclusiveSiblings(widget))
                sibling->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool forward = key->key() == Qt::Key_Tab
                             && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        const bool backward
            = key->key() == Qt::Key_Backtab
              || (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ShiftModifier);
        if (!forward && !backward)
            return false;
        const int from = IndexOf(qobject_cast<QWidget *>(watched));
        if (from < 0)
            return false;
        QWidget *here = StopFor(widgets_[static_cast<std::size_t>(from)]);
        const int count = static_cast<int>(widgets_.size());
        for (int step = 1; step < count; ++step) {
            QWidget *next = StopFor(widgets_[static_cast<std::size_t>(
                (from + (forward ? step : count - step)) % count)]);
            if (next && next != here) {
                next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
        return true; // nowhere else to go: the focus stays
    }

private:
    // The ring's place of the widget or of what it is part of; a radio button not in the ring
    // takes the place of one beside it that is.
    int IndexOf(QWidget *widget) const
    {
        for (; widget; widget = widget->parentWidget()) {
            const auto listed = std::find(widgets_.begin(), widgets_.end(), widget);
            if (listed != widgets_.end())
                return static_cast<int>(listed - widgets_.begin());
            auto *radio = qobject_cast<QRadioButton *>(widget);
            for (std::size_t index = 0; radio && index < widgets_.size(); ++index) {
                if (ExclusiveSiblings(widgets_[index]).contains(radio))
                    return static_cast<int>(index);
            }
        }
        return -1;
    }

    std::vector<QPointer<QWidget>> widgets_;
};

} // namespace

void SetTabOrder(std::initializer_list<QWidget *> widgets)
{
    if (widgets.size() < 2)
        return;
    QWidget *previous = nullptr;
    for (QWidget *widget : widgets) {
        // Qt's chain in the same order too, for where the focus first goes.
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    new TabRing(std::vector<QPointer<QWidget>>(widgets.begin(), widgets.end()),
                (*widgets.begin())->window());
}

FieldGroup::FieldGroup(const QString &title, QWidget *parent)
    : QGroupBox(title, parent)
{}

QWidget *FieldGroup::Field() const
{
    if (field_)
        return field_;
    for (QRadioButton *radio : findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
        if (radio->isChecked())
            return radio;
    }
    return nullptr;
}

bool FieldGroup::event(QEvent *event)
{
    QWidget *field = event->type() == QEvent::Shortcut ? Field() : nullptr;
    if (field && field->isEnabled()) {
        field->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QGroupBox::event(event);
}

} // namespace byteloom
