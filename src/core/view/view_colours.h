#pragma once

#include "view/display_settings.h"

#include <cstdint>

namespace byteloom {

// The desktop theme's colours, as 0x00BBGGRR like the settings' colours.
struct DesktopColours
{
    std::uint32_t window = 0xEFEFEF;
    std::uint32_t windowText = 0x000000;
    std::uint32_t base = 0xFFFFFF;
    std::uint32_t text = 0x000000;
    std::uint32_t highlight = 0xD77830;
    std::uint32_t highlightedText = 0xFFFFFF;
    std::uint32_t link = 0xFF0000;
};

// The colours the data window paints with.
struct ViewColours
{
    std::uint32_t address = 0;
    std::uint32_t addressBackground = 0;
    std::uint32_t oddColumn = 0;
    std::uint32_t evenColumn = 0;
    std::uint32_t hexBackground = 0;
    std::uint32_t text = 0;
    std::uint32_t textBackground = 0;
    std::uint32_t highlight = 0;
    std::uint32_t highlightText = 0;

    bool operator==(const ViewColours &) const = default;
};

// Text readable on its background: the contrast of WCAG 2, at least 4.5:1.
inline constexpr double kLegibleContrast = 4.5;
// From 1 (the same lightness) to 21 (black on white), whichever of the two is lighter.
[[nodiscard]] double ContrastRatio(std::uint32_t first, std::uint32_t second);

// The user's colours as they chose them; or, with "Use system colours", the desktop's: the bytes
// on the theme's base colour, the offsets on its window colour, the even groups in its link
// colour, the selection in its highlight colours; every text made legible on what is behind it.
[[nodiscard]] ViewColours ColoursFor(const DisplaySettings &display, const DesktopColours &desktop);

} // namespace byteloom
