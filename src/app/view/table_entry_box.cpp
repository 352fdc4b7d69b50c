#include "view/table_entry_box.h"

#include "session/editing.h"
#include "session/session.h"
#include "view/data_window.h"
#include "view/text_mode.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>

namespace byteloom {

TableEntryBox::TableEntryBox(DataWindow &view)
    : QObject(&view)
    , view_(view)
{}

void TableEntryBox::Open(const QString &first)
{
    Commit();
    auto *box = new QLineEdit(view_.viewport());
    box_ = box;
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setFrame(false);
    box->setMaxLength(199);
    box->setFont(view_.tableFont_);
    box->setText(first);
    const CaretState &caret = view_.caret_;
    const auto &edges = view_.paintedEdges_;
    const int x = caret.row < static_cast<std::int64_t>(edges.size())
                      ? edges[static_cast<std::size_t>(caret.row)].Left(caret.column)
                            - view_.horizontalScrollBar()->value() * view_.charWidth_
                      : 0;
    box->setGeometry(x,
                     caret.row * view_.rowHeight_,
                     std::max(view_.viewport()->width() - x, 120),
                     view_.rowHeight_);
    box->installEventFilter(this);
    connect(box, &QLineEdit::editingFinished, this, &TableEntryBox::Commit);
    box->show();
    box->setFocus();
}

bool TableEntryBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            Close();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Commit(); // the key goes no further, so no new box opens
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TableEntryBox::Close()
{
    QPointer<QLineEdit> box = box_;
    box_ = nullptr;
    if (!box)
        return;
    box->disconnect(this);
    box->close();
    view_.caret_.nibbleMark = view_.caret_.column;
    view_.setFocus();
    view_.Report(SelectionEffect::Dropped);
}

void TableEntryBox::Commit()
{
    if (!box_)
        return;
    Session &session = view_.session_;
    const TableFile *table = TableForTextColumn(session.display(), session.tables().Current());
    const std::string text = table ? TableText(*table, box_->text()) : std::string();
    Close();
    int unencoded = 0;
    if (table
        && TypeTableText(view_.caret_,
                         view_.View(),
                         session.document(),
                         session.journal(),
                         *table,
                         text,
                         &unencoded)) {
        view_.Report(SelectionEffect::Dropped);
        emit view_.Edited();
    }
    if (unencoded > 0)
        emit view_.StatusMessage(QString::fromStdString(UnencodedMessage(unencoded)));
    view_.ReportFailedEdit();
}

std::string TableEntryBox::TableText(const TableFile &table, const QString &text)
{
    int leftOut = 0;
    std::string converted
        = view_.session_.decoder().FromUtf8Lossy(table.GetCodePage(), text.toStdString(), leftOut);
    if (leftOut > 0)
        emit view_.StatusMessage(
            QString::fromStdString(LeftOutMessage(leftOut, table.GetCodePage())));
    return converted;
}

} // namespace byteloom
