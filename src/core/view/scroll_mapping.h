#pragma once

#include <cstdint>
#include <limits>

namespace byteloom {

// The vertical scroll bar counts in int. Up to its limit a value is a row; beyond it (a
// document of more than 2^31 - 1 rows, 32 GiB) the bar's values are spread evenly over the
// rows, so that its ends are the first and the last row and every row is reached by the keys
// and Go To, which move the rows themselves.
inline constexpr std::int64_t kMaxScrollValue = std::numeric_limits<int>::max();
__extension__ using WideRowProduct = __int128; // a row times a value needs 94 bits

[[nodiscard]] constexpr int ScrollValueOfRow(std::int64_t row, std::int64_t lastRow)
{
    if (lastRow <= kMaxScrollValue)
        return static_cast<int>(row);
    return static_cast<int>(static_cast<WideRowProduct>(row) * kMaxScrollValue / lastRow);
}

// The range the bar runs over: 0 to this.
[[nodiscard]] constexpr int ScrollMaximum(std::int64_t lastRow)
{
    return ScrollValueOfRow(lastRow, lastRow);
}

// The row a value of the bar stands for: the first row that value shows.
[[nodiscard]] constexpr std::int64_t RowOfScrollValue(int value, std::int64_t lastRow)
{
    if (lastRow <= kMaxScrollValue)
        return value;
    // The smallest row whose value is this one: a row maps back onto its own value.
    const auto row = static_cast<std::int64_t>(
        (static_cast<WideRowProduct>(value) * lastRow + kMaxScrollValue - 1) / kMaxScrollValue);
    return row > lastRow ? lastRow : row;
}

} // namespace byteloom
