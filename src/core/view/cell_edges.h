#pragma once

#include "platform/text_measure.h"
#include "view/row_layout.h"

#include <array>

namespace byteloom {

// The marker icons of line breaks and string ends are this many pixels wide.
inline constexpr int kMarkerWidth = 16;

// A row's cell edge table, in pixels before horizontal scrolling: entry 0 is the left edge of the
// hex column, entries 1 .. 16 the right edges of the hex cells, entry 16 is then the left edge of
// the text column, and entries 17 .. 32 the right edges of the text cells. Cell c (0 .. 31) runs
// from entry c to entry c + 1: hex cell c, or text cell c - 16. A text cell before the last byte
// of a character or table entry has zero width, so the caret and the mouse can still reach it.
struct CellEdges
{
    std::array<int, 2 * kBytesPerRow + 1> edges{};
    int hexRight = 0; // right of the last hex cell, where the blank before the text column starts
    [[nodiscard]] int Left(int cell) const { return edges[static_cast<std::size_t>(cell)]; }
    [[nodiscard]] int Right(int cell) const { return edges[static_cast<std::size_t>(cell) + 1]; }
    [[nodiscard]] int TextRight() const { return edges.back(); }
};

// Measures the row's cells. The hex column of a short row keeps the width of a full row, so the
// text column starts at the same place on every row.
[[nodiscard]] CellEdges BuildCellEdges(const RowLayout &row, int grouping, TextMeasure &measure);

} // namespace byteloom
