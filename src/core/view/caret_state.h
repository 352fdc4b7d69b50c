#pragma once

#include "view/row_layout.h"

#include <cstdint>
#include <functional>

namespace byteloom {

// Where the caret stands and what is selected: the caret's window row and column (0 .. 15 the
// hex cells, 16 .. 31 the text cells of the same bytes), the nibble the next hex digit goes
// into, the selection and the top row of the window.
struct CaretState
{
    int row = 0;
    int column = 0;
    int nibbleMark = 0; // equal to column: the next digit is a high nibble
    Selection selection;
    std::int64_t topRow = 0;
    bool overwrite = true; // read by Paste; typing always overwrites

    [[nodiscard]] std::int64_t Offset() const
    {
        return (topRow + row) * kBytesPerRow + column % kBytesPerRow;
    }
    [[nodiscard]] bool InText() const { return column >= kBytesPerRow; }
};

// What caret moves need to know of the view.
struct CaretView
{
    std::int64_t size = 0; // the document's size
    int visibleRows = 1;   // whole rows in the window
    // Whether the byte at an offset is the first byte of a two-byte character or unit (its text
    // cell has zero width); the caret steps over such characters as one.
    std::function<bool(std::int64_t offset)> startsPair;
};

enum class CaretKey { Left, Right, Up, Down, PageUp, PageDown, Home, End };

// How a move changed the selection: the menu commands that need one follow it.
enum class SelectionEffect { Unchanged, Made, Dropped };

// A key's move, with Shift extending the selection (from the caret's byte when there is none)
// and Ctrl sending Home and End to the ends of the document.
SelectionEffect
MoveCaret(CaretState &caret, const CaretView &view, CaretKey key, bool shift, bool ctrl);

// Puts the caret on a byte in the given column, scrolling as little as needed to show it; the
// selection is left alone.
void PlaceCaret(CaretState &caret, const CaretView &view, std::int64_t offset, bool textColumn);

// A click on a cell of a window row: the caret goes there and a selection starts from it (it
// is dropped); with Shift the selection runs from its anchor, or from the caret's old byte, to
// the cell. Returns the effect on the selection commands.
SelectionEffect ClickCaret(CaretState &caret, int row, int column, bool shift = false);
// Dragging over a cell with the button held: the selection runs from the click to it.
SelectionEffect DragCaret(CaretState &caret, int row, int column);
// Dragging above the window's top row (down false) or below its last row: the view scrolls one
// row and the selection runs to the cell in column of the row that came into view.
SelectionEffect DragPastEdge(CaretState &caret, const CaretView &view, bool down, int column);

// In the text column the caret stands on the first byte of a character of unitSize bytes (a
// UTF-16 unit), wherever a move or a Tab left it.
void AlignTextCaretToUnit(CaretState &caret, int unitSize);

// The last row of the document, or 0.
[[nodiscard]] std::int64_t LastRow(std::int64_t size);

} // namespace byteloom
