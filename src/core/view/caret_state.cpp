#include "view/caret_state.h"

#include <algorithm>

namespace byteloom {

namespace {

bool StartsPair(const CaretView &view, std::int64_t offset)
{
    return view.startsPair && offset >= 0 && offset < view.size && view.startsPair(offset);
}

// The selection after a move from the byte at before: with Shift it runs from its anchor (the
// byte the caret left, when there was no selection) to the caret's new byte, and the commands
// that need a selection follow; without Shift it is dropped onto the caret.
SelectionEffect Follow(CaretState &caret, std::int64_t before, bool shift, std::int64_t size)
{
    const std::int64_t offset = std::clamp<std::int64_t>(caret.Offset(), 0, size);
    if (shift) {
        if (!caret.selection.active)
            caret.selection.anchor = before;
        caret.selection.end = offset;
        caret.selection.active = true;
        return SelectionEffect::Made;
    }
    caret.selection = {offset, offset, false};
    return SelectionEffect::Dropped;
}

SelectionEffect Arrow(CaretState &caret, const CaretView &view, std::int64_t target, bool shift)
{
    const std::int64_t before = caret.Offset();
    PlaceCaret(caret, view, target, caret.InText());
    caret.nibbleMark = caret.column;
    return Follow(caret, before, shift, view.size);
}

} // namespace

void AlignTextCaretToUnit(CaretState &caret, int unitSize)
{
    if (!caret.InText() || unitSize <= 1)
        return;
    const int misalignment = (caret.column - kBytesPerRow) % unitSize;
    if (misalignment == 0)
        return;
    caret.column -= misalignment;
    caret.nibbleMark = caret.column;
}

std::int64_t LastRow(std::int64_t size)
{
    return size > 0 ? (size - 1) / kBytesPerRow : 0;
}

void PlaceCaret(CaretState &caret, const CaretView &view, std::int64_t offset, bool textColumn)
{
    const std::int64_t row = offset / kBytesPerRow;
    const int visible = std::max(view.visibleRows, 1);
    if (row < caret.topRow)
        caret.topRow = row;
    else if (row >= caret.topRow + visible)
        caret.topRow = row - visible + 1;
    caret.topRow = std::clamp<std::int64_t>(caret.topRow, 0, LastRow(view.size));
    caret.row = static_cast<int>(row - caret.topRow);
    caret.column = static_cast<int>(offset % kBytesPerRow) + (textColumn ? kBytesPerRow : 0);
    caret.nibbleMark = caret.column;
}

SelectionEffect ClickCaret(CaretState &caret, int row, int column, bool shift)
{
    const std::int64_t before = caret.Offset();
    caret.row = row;
    caret.column = caret.nibbleMark = column;
    if (shift) {
        if (!caret.selection.active)
            caret.selection.anchor = before;
        caret.selection.end = caret.Offset();
        caret.selection.active = true;
        return SelectionEffect::Made;
    }
    caret.selection = {caret.Offset(), caret.Offset(), false};
    return SelectionEffect::Dropped;
}

SelectionEffect DragCaret(CaretState &caret, int row, int column)
{
    caret.row = row;
    caret.column = caret.nibbleMark = column;
    caret.selection.end = caret.Offset();
    caret.selection.active = true;
    return SelectionEffect::Made;
}

SelectionEffect DragPastEdge(CaretState &caret, const CaretView &view, bool down, int column)
{
    const int visible = std::max(view.visibleRows, 1);
    const std::int64_t lastRow = LastRow(view.size);
    caret.topRow = std::clamp<std::int64_t>(caret.topRow + (down ? 1 : -1), 0, lastRow);
    const std::int64_t row
        = down ? std::min<std::int64_t>(caret.topRow + visible - 1, lastRow) : caret.topRow;
    return DragCaret(caret, static_cast<int>(row - caret.topRow), column);
}

SelectionEffect
MoveCaret(CaretState &caret, const CaretView &view, CaretKey key, bool shift, bool ctrl)
{
    const std::int64_t offset = caret.Offset();
    const std::int64_t size = view.size;
    const int base = caret.InText() ? kBytesPerRow : 0;
    switch (key) {
    case CaretKey::Left: {
        if (offset <= 0)
            return SelectionEffect::Unchanged;
        // From the cell after a two-byte character to that character's first byte.
        const std::int64_t step = StartsPair(view, offset - 2) ? 2 : 1;
        return Arrow(caret, view, offset - step, shift);
    }
    case CaretKey::Right: {
        if (offset >= view.size - 1)
            return SelectionEffect::Unchanged;
        const std::int64_t step = StartsPair(view, offset) ? 2 : 1;
        return Arrow(caret, view, std::min(offset + step, view.size - 1), shift);
    }
    case CaretKey::Up: {
        std::int64_t target = offset - kBytesPerRow;
        if (target < 0)
            return SelectionEffect::Unchanged;
        if (StartsPair(view, target - 1))
            ++target; // off the second byte of a character, onto the next one
        return Arrow(caret, view, target, shift);
    }
    case CaretKey::Down: {
        std::int64_t target = offset + kBytesPerRow;
        if (target >= view.size)
            return SelectionEffect::Unchanged;
        if (StartsPair(view, target - 1))
            --target; // onto the first byte of the character
        return Arrow(caret, view, target, shift);
    }
    case CaretKey::PageUp:
    case CaretKey::PageDown: {
        // The view moves by a page and the caret keeps its window row and column; with Shift
        // the selection follows the caret's byte.
        const std::int64_t page = std::max(view.visibleRows, 1);
        caret.topRow = std::clamp<std::int64_t>(
            caret.topRow + (key == CaretKey::PageUp ? -page : page), 0, LastRow(view.size));
        return shift ? Follow(caret, offset, true, size) : SelectionEffect::Unchanged;
    }
    case CaretKey::Home:
        if (ctrl) {
            caret.topRow = 0;
            caret.row = 0;
            caret.column = caret.nibbleMark = base;
            return Follow(caret, offset, shift, size);
        }
        caret.column = caret.nibbleMark = base;
        return Follow(caret, offset, shift, size);
    case CaretKey::End:
        if (ctrl) {
            // The last row at the top of the window; with Shift the caret on the last byte.
            caret.topRow = LastRow(view.size);
            caret.row = 0;
            caret.column = caret.nibbleMark
                = base
                  + (shift
                         ? static_cast<int>(std::max<std::int64_t>(view.size - 1, 0) % kBytesPerRow)
                         : 0);
            if (shift && !caret.selection.active)
                caret.selection.anchor = offset;
            caret.selection.end = view.size;
            if (!shift)
                caret.selection.anchor = view.size;
            caret.selection.active = shift;
            return shift ? SelectionEffect::Made : SelectionEffect::Dropped;
        }
        caret.column = caret.nibbleMark = base + kBytesPerRow - 1;
        return Follow(caret, offset, shift, size);
    }
    return SelectionEffect::Unchanged;
}

} // namespace byteloom
