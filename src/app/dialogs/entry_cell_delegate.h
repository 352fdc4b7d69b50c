#pragma once

#include <QFont>
#include <QStyledItemDelegate>

namespace byteloom {

// The cell editor: a borderless field over the cell, 8 characters for a key and 32 for a
// text. Enter commits; leaving it for another control closes it without a change.
class EntryCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    EntryCellDelegate(QFont font, QObject *parent);

    QWidget *createEditor(QWidget *parent,
                          const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QFont font_;
};

} // namespace byteloom
