#pragma once

#include <QColor>

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

} // namespace byteloom
