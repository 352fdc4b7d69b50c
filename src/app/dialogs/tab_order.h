#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

namespace byteloom {

// Tab and Shift+Tab go round the widgets in this order, the order they stand in on the screen
// (not always the order they were made in), from the last back to the first and from the first
// back to the last. A grid gives Tab up to leave it (arrows move among its cells); of radio
// buttons that exclude each other, Tab stops at the chosen one. Widgets the dialog hides or
// disables are passed over.
void SetTabOrder(std::initializer_list<QWidget *> widgets);

// A field's label whose underlined letter, with Alt, puts the focus in the field.
inline QLabel *Labelled(const QString &text, QWidget *field)
{
    auto *label = new QLabel(text, field->parentWidget());
    label->setBuddy(field);
    return label;
}

// A group whose title's underlined letter, with Alt, puts the focus in its main field (or, for
// a group of radio buttons, the chosen one), wherever the focus was in the group before (a
// plain group goes back to the control that had it last).
class FieldGroup : public QGroupBox
{
    Q_OBJECT

public:
    FieldGroup(const QString &title, QWidget *parent);
    void SetField(QWidget *field) { field_ = field; }
    [[nodiscard]] QWidget *Field() const;

protected:
    bool event(QEvent *event) override;

private:
    QPointer<QWidget> field_;
};

} // namespace byteloom
