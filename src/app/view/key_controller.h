#pragma once

#include <QString>

class QKeyEvent;

namespace byteloom {

class DataWindow;

// Keys and typed text on the data window: caret moves, Insert, Tab between the columns,
// Shift+Tab through the tables, hex digits, text in the shown text mode, text for the table
// (through the entry box) and what an input method composes.
class KeyController
{
public:
    explicit KeyController(DataWindow &view)
        : view_(view)
    {}

    void KeyPress(QKeyEvent *event);
    void InputMethodText(const QString &text);

private:
    void TypeText(const QString &text);

    DataWindow &view_;
};

} // namespace byteloom
