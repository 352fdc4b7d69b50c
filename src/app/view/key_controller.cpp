#include "view/key_controller.h"

#include "session/editing.h"
#include "session/session.h"
#include "session/window_title.h"
#include "view/data_window.h"
#include "view/table_entry_box.h"
#include "view/text_mode.h"

#include <QKeyEvent>

namespace byteloom {

void KeyController::KeyPress(QKeyEvent *event)
{
    Session &session = view_.session_;
    CaretState &caret = view_.caret_;
    if (!session.document().IsOpen())
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
            view_.Report(MoveCaret(caret, view_.View(), move, shift, ctrl));
            return;
        }
    }
    if (event->key() != Qt::Key_Tab && view_.readOnly_) {
        event->ignore();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        caret.overwrite = !caret.overwrite;
        emit view_.OverwriteChanged();
        return;
    case Qt::Key_Tab:
        // The same byte in the other column.
        caret.column = (caret.column + kBytesPerRow) % (2 * kBytesPerRow);
        caret.nibbleMark = caret.column;
        view_.CaretChanged();
        return;
    case Qt::Key_Backtab:
        session.tables().StepBack();
        emit view_.TableStepped();
        view_.SettingsChanged();
        return;
    case Qt::Key_Delete:
        // Edit > Delete's key: the menu takes it; it must not type the character it carries.
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

void KeyController::TypeText(const QString &text)
{
    Session &session = view_.session_;
    CaretState &caret = view_.caret_;
    Document &document = session.document();
    UndoJournal &journal = session.journal();
    const CaretView view = view_.View();
    bool edited = false;
    if (!caret.InText()) {
        for (const QChar c : text)
            edited = TypeHexDigit(caret,
                                  view,
                                  document,
                                  journal,
                                  c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?')
                     || edited;
    } else if (TableForTextColumn(session.display(), session.tables().Current())) {
        // Control characters (Backspace, Enter, Escape) open no entry box.
        if (text.front().unicode() >= 0x20)
            view_.entryBox_->Open(text);
        return;
    } else if (text == QStringLiteral("\x1b") || text == QStringLiteral("\b")) {
        // Escape and Backspace mean "leave" and "take back", never a byte to write.
    } else {
        const DisplaySettings &display = session.display();
        const std::vector<std::uint8_t> bytes = TextAsDocumentBytes(
            display, session.codePages(), session.decoder(), text.toStdString());
        if (bytes.empty())
            emit view_.StatusMessage(QString::fromStdString(
                UnwritableTextMessage(text.toStdString(), TextModeName(session))));
        edited = TypeTextBytes(caret, view, document, journal, bytes, display.unicodeText ? 2 : 1);
    }
    // The view follows the caret before the window hears of the edit.
    view_.Report(SelectionEffect::Dropped);
    if (edited)
        emit view_.Edited();
    view_.ReportFailedEdit();
}

// Composed text goes in at the caret: through the table, as UTF-16 units, or converted to the
// code page the view shows (Japanese where it shows the default one).
void KeyController::InputMethodText(const QString &text)
{
    Session &session = view_.session_;
    CaretState &caret = view_.caret_;
    Document &document = session.document();
    const DisplaySettings &display = session.display();
    bool edited = false;
    if (const TableFile *table = TableForTextColumn(display, session.tables().Current())) {
        int unencoded = 0;
        edited = TypeTableText(caret,
                               view_.View(),
                               document,
                               session.journal(),
                               *table,
                               view_.entryBox_->TableText(*table, text),
                               &unencoded);
        if (unencoded > 0)
            emit view_.StatusMessage(QString::fromStdString(UnencodedMessage(unencoded)));
    } else {
        // Where the default code page is shown, composed text is taken as Japanese.
        const std::vector<std::uint8_t> bytes = TextAsDocumentBytes(
            display, session.codePages(), session.decoder(), text.toStdString(), 932);
        caret.column = caret.column % kBytesPerRow + kBytesPerRow;
        edited = TypeTextBytes(caret, view_.View(), document, session.journal(), bytes);
    }
    if (edited)
        emit view_.Edited();
    view_.Report(SelectionEffect::Dropped);
    view_.ReportFailedEdit();
}

} // namespace byteloom
