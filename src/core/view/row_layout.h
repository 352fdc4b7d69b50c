#pragma once

#include "inspect/compare.h"
#include "platform/text_measure.h"

#include "view/display_settings.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

class CodePageList;
class Document;
class TableFile;
class TextDecoder;

inline constexpr int kBytesPerRow = 16;

// The selection: the bytes from the smaller of anchor and end up to (not including) the larger.
struct Selection
{
    std::int64_t anchor = 0;
    std::int64_t end = 0;
    bool active = false;

    [[nodiscard]] bool Contains(std::int64_t offset) const
    {
        return active
               && (end > anchor ? anchor <= offset && offset < end
                                : end <= offset && offset < anchor);
    }
};

// One byte's two hex digits, with the blank that ends its group unless it is the row's last.
struct HexCell
{
    std::string text;
    bool evenGroup = false; // the 2nd, 4th ... group of the row takes the even colour
    bool selected = false;
    bool differs = false; // the byte differs from the compared file's
};

enum class Marker { None, Newline, EndString };

// What one byte of the text column shows. A byte before the last of a character or table entry
// has nothing (a cell of zero width); the last byte carries the glyph or the marker.
struct TextCell
{
    std::string text; // UTF-8
    Marker marker = Marker::None;
    bool selected = false;
    bool differs = false;

    [[nodiscard]] bool ZeroWidth() const { return text.empty() && marker == Marker::None; }
};

struct RowLayout
{
    std::int64_t offset = 0;
    int byteCount = 0; // 16, or fewer on the last row
    std::string offsetLabel;
    int offsetChars = 9;        // the offset column's width in characters
    std::vector<HexCell> hex;   // one per byte of the row
    std::vector<TextCell> text; // one per byte of the row
    TextFont font = TextFont::Default;
    int carryOut = 0; // bytes of the next row that this row's last table entry covered
};

// What the rows are built from. Each offset is decoded through the table's subtable for it;
// building a row changes nothing in the table.
struct RowSource
{
    Document &document;
    const DisplaySettings &display;
    const TableFile *table; // the current table, or nullptr
    const CodePageList &codePages;
    TextDecoder &decoder;
    Selection selection;
    // Where the document differs from a file compared with it, in offset order.
    std::span<const DifferenceRun> differences = {};
};

// The row of 16 bytes that starts at rowOffset (a multiple of 16). carryIn is what the row
// above left (0 for the first row drawn).
[[nodiscard]] RowLayout BuildRow(RowSource &source, std::int64_t rowOffset, int carryIn);

// The grouping the hex column uses: 1, 2, 4 or 8; any other stored value is taken as 2.
[[nodiscard]] int EffectiveGrouping(const DisplaySettings &display);

// The hex column of a row as one line: its cells, then blanks to the length of a full row.
[[nodiscard]] std::string HexColumnText(const RowLayout &row, int grouping);

} // namespace byteloom
