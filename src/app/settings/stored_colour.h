#pragma once

#include "view/view_colours.h"

#include <QColor>
#include <QPalette>

#include <cstdint>

namespace byteloom {

// The settings keep colours as 0x00BBGGRR.
inline QColor StoredColour(std::uint32_t value)
{
    return QColor(static_cast<int>(value & 0xFF),
                  static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

inline std::uint32_t StoredColourValue(const QColor &colour)
{
    return static_cast<std::uint32_t>(colour.red())
           | static_cast<std::uint32_t>(colour.green()) << 8
           | static_cast<std::uint32_t>(colour.blue()) << 16;
}

// The theme's colours, from the palette of the active window.
inline DesktopColours DesktopColoursOf(const QPalette &palette)
{
    const auto colour = [&palette](QPalette::ColorRole role) {
        return StoredColourValue(palette.color(QPalette::Active, role));
    };
    return {colour(QPalette::Window),
            colour(QPalette::WindowText),
            colour(QPalette::Base),
            colour(QPalette::Text),
            colour(QPalette::Highlight),
            colour(QPalette::HighlightedText),
            colour(QPalette::Link)};
}

} // namespace byteloom
