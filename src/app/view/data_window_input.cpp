// The data window's input: keys, typing, the table entry box, input methods and the mouse.
// Every rule behind them (caret moves, edits, hit testing) is the core's.
#include "view/data_window.h"

#include "document/undo_journal.h"
#include "session.h"
#include "view/editing.h"
#include "view/text_mode.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>

#include <algorithm>

namespace byteloom {

// Tab and Shift+Tab belong to the view, not to focus changes.
bool DataWindow::focusNextPrevChild(bool)
{
    return false;
}

void DataWindow::keyPressEvent(QKeyEvent *event)
{
    if (!session_.document().IsOpen())
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const std::pair<int, CaretKey> moves[] = {
        {Qt::Key_Left, CaretKey::Left},
        {Qt::Key_Right, CaretKey::Right},
        {Qt::Key_Up, CaretKey::Up},
        {Qt::Key_Down, CaretKey::Down},
        {Qt::Key_PageUp, CaretKey::PageUp},
        {Qt::Key_PageDown, CaretKey::PageDown},
        {Qt::Key_Home, CaretKey::Home},
        {Qt::Key_End, CaretKey::End},
    };
    for (const auto &[key, move] : moves) {
        if (event->key() == key) {
            Report(MoveCaret(caret_, View(), move, shift, ctrl));
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        caret_.overwrite = !caret_.overwrite;
        emit OverwriteChanged();
        return;
    case Qt::Key_Tab:
        // The same byte in the other column.
        caret_.column = (caret_.column + kBytesPerRow) % (2 * kBytesPerRow);
        caret_.nibbleMark = caret_.column;
        CaretChanged();
        return;
    case Qt::Key_Backtab:
        session_.tables().StepBack();
        emit TableStepped();
        SettingsChanged();
        return;
    default:
        break;
    }
    if (!ctrl && !event->text().isEmpty())
        TypeText(event->text());
}

void DataWindow::TypeText(const QString &text)
{
    Document &document = session_.document();
    UndoJournal &journal = session_.journal();
    const CaretView view = View();
    bool edited = false;
    if (!caret_.InText()) {
        for (const QChar c : text)
            edited = TypeHexDigit(caret_,
                                  view,
                                  document,
                                  journal,
                                  c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?')
                     || edited;
    } else if (session_.tables().Current()) {
        if (text != QStringLiteral("\b"))
            EnterTableText(text);
        return;
    } else {
        const std::vector<std::uint8_t> bytes = TextAsDocumentBytes(
            session_.display(), session_.codePages(), session_.decoder(), text.toStdString());
        edited = TypeTextBytes(caret_, view, document, journal, bytes);
    }
    if (edited)
        emit Edited();
    Report(SelectionEffect::Dropped);
}

// The table text entry box: a borderless field on the caret cell; Enter encodes its text
// through the current table, leaving the field writes nothing.
void DataWindow::EnterTableText(const QString &first)
{
    auto *box = new QLineEdit(viewport());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setFrame(false);
    box->setMaxLength(199);
    box->setFont(tableFont_);
    box->setText(first);
    const std::int64_t windowRow = caret_.row;
    const int x = windowRow < static_cast<std::int64_t>(paintedEdges_.size())
                      ? paintedEdges_[static_cast<std::size_t>(windowRow)].Left(caret_.column)
                            - horizontalScrollBar()->value() * charWidth_
                      : 0;
    box->setGeometry(
        x, caret_.row * rowHeight_, std::max(viewport()->width() - x, 120), rowHeight_);
    connect(box, &QLineEdit::returnPressed, this, [this, box] {
        const TableFile *table = session_.tables().Current();
        const std::string text = table ? session_.decoder().FromUtf8String(
                                     table->GetCodePage(), box->text().toStdString())
                                       : std::string();
        box->close();
        if (table
            && TypeTableText(caret_, View(), session_.document(), session_.journal(), *table, text))
            emit Edited();
        caret_.nibbleMark = caret_.column;
        setFocus();
        Report(SelectionEffect::Dropped);
    });
    connect(box, &QLineEdit::editingFinished, box, &QLineEdit::close);
    box->show();
    box->setFocus();
}

// The input method's composition window opens on the caret cell.
QVariant DataWindow::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImCursorRectangle || caret_.row >= static_cast<int>(paintedEdges_.size()))
        return QAbstractScrollArea::inputMethodQuery(query);
    const int x = paintedEdges_[static_cast<std::size_t>(caret_.row)].Left(caret_.column)
                  - horizontalScrollBar()->value() * charWidth_;
    return QRect(viewport()->mapTo(this, QPoint(x, caret_.row * rowHeight_)), QSize(1, rowHeight_));
}

void DataWindow::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() && session_.document().IsOpen())
        StoreInputMethodText(event->commitString());
    event->accept();
}

// Composed text goes in at the caret: through the table, as UTF-16 units, or converted to the
// code page the view shows (Japanese where it shows the default one).
void DataWindow::StoreInputMethodText(const QString &text)
{
    Document &document = session_.document();
    const DisplaySettings &display = session_.display();
    bool edited = false;
    if (const TableFile *table = session_.tables().Current()) {
        edited = TypeTableText(
            caret_,
            View(),
            document,
            session_.journal(),
            *table,
            session_.decoder().FromUtf8String(table->GetCodePage(), text.toStdString()));
    } else {
        // Where the default code page is shown, composed text is taken as Japanese.
        const std::vector<std::uint8_t> bytes = TextAsDocumentBytes(
            display, session_.codePages(), session_.decoder(), text.toStdString(), 932);
        caret_.column = caret_.column % kBytesPerRow + kBytesPerRow;
        edited = TypeTextBytes(caret_, View(), document, session_.journal(), bytes);
    }
    if (edited)
        emit Edited();
    Report(SelectionEffect::Dropped);
}

bool DataWindow::HitTest(QPoint point, int &row, int &column)
{
    Document &document = session_.document();
    if (!document.IsOpen() || paintedEdges_.empty())
        return false;
    row = std::max(point.y() / rowHeight_, 0);
    if ((caret_.topRow + row) * kBytesPerRow >= document.Size())
        row -= 1;
    row = std::clamp(row, 0, static_cast<int>(paintedEdges_.size()) - 1);
    column = HitTestColumn(paintedEdges_[static_cast<std::size_t>(row)],
                           point.x(),
                           charWidth_,
                           horizontalScrollBar()->value());
    return true;
}

void DataWindow::mousePressEvent(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    if (event->button() != Qt::LeftButton || !HitTest(event->position().toPoint(), row, column))
        return;
    setFocus();
    Report(ClickCaret(caret_, row, column));
}

void DataWindow::mouseMoveEvent(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    if (!(event->buttons() & Qt::LeftButton) || !HitTest(event->position().toPoint(), row, column))
        return;
    Report(DragCaret(caret_, row, column));
}

} // namespace byteloom
