#include "view/view_colours.h"

#include <algorithm>
#include <cmath>

namespace byteloom {

namespace {

double Channel(std::uint32_t colour, int shift)
{
    const double value = static_cast<double>((colour >> shift) & 0xFF) / 255.0;
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(std::uint32_t colour)
{
    return 0.2126 * Channel(colour, 0) + 0.7152 * Channel(colour, 8) + 0.0722 * Channel(colour, 16);
}

// first, moved a quarter, a half, three quarters and all the way to second.
std::uint32_t Mix(std::uint32_t first, std::uint32_t second, int quarters)
{
    std::uint32_t mixed = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const auto a = static_cast<int>((first >> shift) & 0xFF);
        const auto b = static_cast<int>((second >> shift) & 0xFF);
        mixed |= static_cast<std::uint32_t>(a + (b - a) * quarters / 4) << shift;
    }
    return mixed;
}

// The colour nearest to wanted, on the way to fallback, that reads on background; black or white
// when not even the fallback does.
std::uint32_t Legible(std::uint32_t background, std::uint32_t wanted, std::uint32_t fallback)
{
    for (int quarters = 0; quarters <= 4; ++quarters) {
        const std::uint32_t colour = Mix(wanted, fallback, quarters);
        if (ContrastRatio(background, colour) >= kLegibleContrast)
            return colour;
    }
    return ContrastRatio(background, 0x000000) >= ContrastRatio(background, 0xFFFFFF) ? 0x000000
                                                                                      : 0xFFFFFF;
}

} // namespace

double ContrastRatio(std::uint32_t first, std::uint32_t second)
{
    const double a = Luminance(first);
    const double b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

ViewColours ColoursFor(const DisplaySettings &display, const DesktopColours &desktop)
{
    if (!display.useSystemColours)
        return {display.addressColor,
                display.addressBackground,
                display.oddColumnColor,
                display.evenColumnColor,
                display.hexBackground,
                display.textColor,
                display.textBackground,
                display.highlightColor,
                display.highlightTextColor};
    const std::uint32_t text = Legible(desktop.base, desktop.text, desktop.text);
    return {Legible(desktop.window, desktop.windowText, desktop.windowText),
            desktop.window,
            text,
            Legible(desktop.base, desktop.link, text),
            desktop.base,
            text,
            desktop.base,
            desktop.highlight,
            Legible(desktop.highlight, desktop.highlightedText, desktop.highlightedText)};
}

} // namespace byteloom
