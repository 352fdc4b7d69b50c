// The data window's input: keys, typing, the table entry box, input methods and the mouse.
// Every rule behind them (caret moves, edits, hit testing) is the core's.
#include "view/data_window.h"

#include "document/undo_journal.h"
#include "session/editing.h"
#include "session/session.h"
#include "session/window_title.h"
#include "view/offset_label.h"
#include "view/text_mode.h"

#include <QApplication>
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
    case Qt::Key_Delete:
        // Its command is always grey; it must not type the character it carries.
        event->ignore();
        return;
    default:
        break;
    }
    // A key with Ctrl, Alt or the Super key is a command or a menu's mnemonic, never text.
    const Qt::KeyboardModifiers commandKeys
        = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    if ((event->modifiers() & commandKeys) || event->text().isEmpty()) {
        event->ignore();
        return;
    }
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
    } else if (TableForTextColumn(session_.display(), session_.tables().Current())) {
        // Control characters (Backspace, Enter, Escape) open no entry box.
        if (text.front().unicode() >= 0x20)
            EnterTableText(text);
        return;
    } else if (text == QStringLiteral("\x1b") || text == QStringLiteral("\b")) {
        // Escape and Backspace mean "leave" and "take back", never a byte to write.
    } else {
        const DisplaySettings &display = session_.display();
        const std::vector<std::uint8_t> bytes = TextAsDocumentBytes(
            display, session_.codePages(), session_.decoder(), text.toStdString());
        if (bytes.empty())
            emit StatusMessage(QString::fromStdString(
                UnwritableTextMessage(text.toStdString(), TextModeName(session_))));
        edited = TypeTextBytes(caret_, view, document, journal, bytes, display.unicodeText ? 2 : 1);
    }
    // The view follows the caret before the window hears of the edit.
    Report(SelectionEffect::Dropped);
    if (edited)
        emit Edited();
    ReportFailedEdit();
}

void DataWindow::ReportFailedEdit()
{
    if (auto error = session_.document().TakeIoError())
        emit EditFailed(QString::fromStdString(*error));
}

// The table text entry box: a borderless field on the caret cell. Enter, and anything that
// takes the focus away (a click, a menu, a command), encodes its text through the current table
// and writes it; Escape closes it without writing.
void DataWindow::EnterTableText(const QString &first)
{
    CommitEntryBox();
    auto *box = new QLineEdit(viewport());
    entryBox_ = box;
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
    box->installEventFilter(this);
    connect(box, &QLineEdit::editingFinished, this, &DataWindow::CommitEntryBox);
    box->show();
    box->setFocus();
}

bool DataWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == entryBox_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape) {
            CloseEntryBox();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitEntryBox(); // the key goes no further, so no new box opens
            return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void DataWindow::CloseEntryBox()
{
    QPointer<QLineEdit> box = entryBox_;
    entryBox_ = nullptr;
    if (!box)
        return;
    box->disconnect(this);
    box->close();
    caret_.nibbleMark = caret_.column;
    setFocus();
    Report(SelectionEffect::Dropped);
}

void DataWindow::CommitEntryBox()
{
    if (!entryBox_)
        return;
    const TableFile *table = TableForTextColumn(session_.display(), session_.tables().Current());
    const std::string text = table ? TableText(*table, entryBox_->text()) : std::string();
    CloseEntryBox();
    int unencoded = 0;
    if (table
        && TypeTableText(
            caret_, View(), session_.document(), session_.journal(), *table, text, &unencoded)) {
        Report(SelectionEffect::Dropped);
        emit Edited();
    }
    if (unencoded > 0)
        emit StatusMessage(QString::fromStdString(UnencodedMessage(unencoded)));
    ReportFailedEdit();
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
    if (const TableFile *table = TableForTextColumn(display, session_.tables().Current())) {
        int unencoded = 0;
        edited = TypeTableText(caret_,
                               View(),
                               document,
                               session_.journal(),
                               *table,
                               TableText(*table, text),
                               &unencoded);
        if (unencoded > 0)
            emit StatusMessage(QString::fromStdString(UnencodedMessage(unencoded)));
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
    ReportFailedEdit();
}

std::string DataWindow::TableText(const TableFile &table, const QString &text)
{
    int leftOut = 0;
    std::string converted
        = session_.decoder().FromUtf8Lossy(table.GetCodePage(), text.toStdString(), leftOut);
    if (leftOut > 0)
        emit StatusMessage(QString::fromStdString(LeftOutMessage(leftOut, table.GetCodePage())));
    return converted;
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
                           horizontalScrollBar()->value(),
                           OffsetColumnChars(session_.display(), session_.document().Size()));
    return true;
}

void DataWindow::mousePressEvent(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    if (event->button() != Qt::LeftButton || !HitTest(event->position().toPoint(), row, column))
        return;
    setFocus();
    Report(ClickCaret(caret_, row, column, event->modifiers() & Qt::ShiftModifier));
}

void DataWindow::mouseMoveEvent(QMouseEvent *event)
{
    int row = 0;
    int column = 0;
    const QPoint point = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton) || !HitTest(point, row, column))
        return;
    // Above or below the window the view scrolls on by itself while the button is held.
    const bool above = point.y() < 0;
    const bool below = point.y() >= viewport()->height();
    if (above || below) {
        dragDown_ = below;
        dragColumn_ = column;
        if (!dragScroll_.isActive()) {
            DragPastEdgeTick();
            dragScroll_.start();
        }
        return;
    }
    dragScroll_.stop();
    Report(DragCaret(caret_, row, column));
}

void DataWindow::mouseReleaseEvent(QMouseEvent *)
{
    dragScroll_.stop();
}

void DataWindow::DragPastEdgeTick()
{
    if (!session_.document().IsOpen() || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        dragScroll_.stop();
        return;
    }
    Report(DragPastEdge(caret_, View(), dragDown_, dragColumn_));
}

} // namespace byteloom
