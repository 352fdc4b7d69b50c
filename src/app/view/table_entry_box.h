#pragma once

#include <QObject>
#include <QPointer>

#include <string>

class QLineEdit;

namespace byteloom {

class DataWindow;
class TableFile;

// The table text entry box: a borderless field on the caret cell. Enter, and anything that
// takes the focus away (a click, a menu, a command), encodes its text through the current table
// and writes it; Escape closes it without writing.
class TableEntryBox : public QObject
{
    Q_OBJECT

public:
    explicit TableEntryBox(DataWindow &view);

    // Opens the box with the first character typed.
    void Open(const QString &first);
    // Writes what the box holds, as Enter would, and closes it.
    void Commit();
    [[nodiscard]] bool IsOpen() const { return !box_.isNull(); }
    // Typed text in the table's code page; characters it cannot hold are left out and said.
    [[nodiscard]] std::string TableText(const TableFile &table, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Close();

    DataWindow &view_;
    QPointer<QLineEdit> box_;
};

} // namespace byteloom
