#include "dialogs/entry_cell_delegate.h"

#include "dialogs/table_entry_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QLineEdit>

namespace byteloom {

EntryCellDelegate::EntryCellDelegate(QFont font, QObject *parent)
    : QStyledItemDelegate(parent)
    , font_(std::move(font))
{}

void EntryCellDelegate::initStyleOption(QStyleOptionViewItem *option,
                                        const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->font = font_;
}

QWidget *EntryCellDelegate::createEditor(QWidget *parent,
                                         const QStyleOptionViewItem &,
                                         const QModelIndex &index) const
{
    auto *field = new QLineEdit(parent);
    field->setFrame(false);
    field->setFont(font_);
    field->setMaxLength(index.column() == TableEntryModel::kKeyColumn ? kKeyCellLength
                                                                      : kTextCellLength);
    return field;
}

bool EntryCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    // Focus taken by another control closes the field without a change, except by OK, which
    // takes what was typed with everything else; the window merely losing the focus to another
    // program leaves it open.
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const auto *next = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
            const auto *box
                = next ? qobject_cast<QDialogButtonBox *>(next->parentWidget()) : nullptr;
            if (box
                && box->buttonRole(const_cast<QAbstractButton *>(next))
                       == QDialogButtonBox::AcceptRole)
                emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
            return false;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace byteloom
