#include "view/cell_edges.h"

#include <string>

namespace byteloom {

CellEdges BuildCellEdges(const RowLayout &row, int grouping, TextMeasure &measure)
{
    CellEdges cells;
    auto &edges = cells.edges;
    // The offset column, then one blank before the first byte.
    edges[0] = measure.HexWidth(std::string(static_cast<std::size_t>(row.offsetChars) + 1, '0'));
    for (int i = 0; i < kBytesPerRow; ++i) {
        const auto at = static_cast<std::size_t>(i);
        // A missing byte of a short row, and the blank its last byte lacks, take the place they
        // would take on a full row.
        const bool endsGroup = (i + 1) % grouping == 0 && i + 1 < kBytesPerRow;
        const std::string_view text
            = at < row.hex.size() ? std::string_view(row.hex[at].text) : "00";
        int width = measure.HexWidth(text);
        if (endsGroup && !text.ends_with(' '))
            width += measure.HexWidth(" ");
        edges[at + 1] = edges[at] + width;
    }
    cells.hexRight = edges[kBytesPerRow];
    edges[kBytesPerRow] = cells.hexRight + measure.HexWidth(" ");
    for (int i = 0; i < kBytesPerRow; ++i) {
        const auto at = static_cast<std::size_t>(i);
        int width = 0;
        if (at < row.text.size()) {
            const TextCell &cell = row.text[at];
            width = cell.marker != Marker::None ? kMarkerWidth
                    : cell.text.empty()         ? 0
                                                : measure.TextWidth(row.font, cell.text);
        }
        edges[kBytesPerRow + at + 1] = edges[kBytesPerRow + at] + width;
    }
    return cells;
}

} // namespace byteloom
