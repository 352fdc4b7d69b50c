#pragma once

#include <string_view>

namespace byteloom {

// Which font draws the text column.
enum class TextFont { Default, Unicode, CodePage, Table };

// How wide a text is drawn, in pixels: the hex font for the offset and hex columns, and the
// font a row's text column uses. The editor measures with its fonts; tests with a fixed width.
class TextMeasure
{
public:
    virtual ~TextMeasure() = default;
    [[nodiscard]] virtual int HexWidth(std::string_view text) = 0;
    [[nodiscard]] virtual int TextWidth(TextFont font, std::string_view utf8) = 0;
};

} // namespace byteloom
