#pragma once

#include <QDockWidget>

#include <functional>
#include <string>

class QTableWidget;

namespace byteloom {

class DataWindow;
class Session;

// "Data Inspector": the bytes at the caret as every kind of value, little- and big-endian side
// by side, and the caret's offset in every offset mode; it follows the caret and the document's
// edits. Double-click a value to type another: it is range-checked in the core and written as
// one undo step.
class DataInspectorPanel : public QDockWidget
{
    Q_OBJECT

public:
    using ShowMessage = std::function<void(const std::string &)>;
    DataInspectorPanel(Session &session,
                       DataWindow &view,
                       ShowMessage showMessage,
                       QWidget *parent = nullptr);

    void Refresh();

signals:
    // A value typed in the panel changed the document.
    void Edited();

private:
    void EditValue(int row, int column);

    Session &session_;
    DataWindow &view_;
    ShowMessage showMessage_;
    QTableWidget *table_;
};

} // namespace byteloom
