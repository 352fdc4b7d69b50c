#include "dialogs/tab_order.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>

#include <vector>

namespace byteloom {

namespace {

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
        const int count = static_cast<int>(widgets_.size());
        for (int step = 1; step < count; ++step) {
            QWidget *next = widgets_[static_cast<std::size_t>(
                (from + (forward ? step : count - step)) % count)];
            if (CanStop(next)) {
                next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                return true;
            }
        }
        return true; // nowhere else to go: the focus stays
    }

private:
    int IndexOf(QWidget *widget) const
    {
        for (; widget; widget = widget->parentWidget()) {
            for (std::size_t index = 0; index < widgets_.size(); ++index) {
                if (widgets_[index] == widget)
                    return static_cast<int>(index);
            }
        }
        return -1;
    }

    static bool CanStop(QWidget *widget)
    {
        if (!widget || !widget->isVisible() || !widget->isEnabled()
            || (widget->focusPolicy() & Qt::TabFocus) == 0)
            return false;
        auto *radio = qobject_cast<QRadioButton *>(widget);
        if (!radio || !radio->autoExclusive() || radio->isChecked())
            return true;
        // An unchosen radio button is a stop only when none beside it is chosen.
        for (const QRadioButton *other :
             radio->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly)) {
            if (other->autoExclusive() && other->isChecked())
                return false;
        }
        return true;
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

} // namespace byteloom
