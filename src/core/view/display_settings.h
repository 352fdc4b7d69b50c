#pragma once

#include <cstdint>
#include <string>

namespace byteloom {

// How the view shows the document: colours (0x00BBGGRR), grouping, fonts, offsets and the text
// mode. The stored fields are kept by the settings; the rest start fresh every run.
struct DisplaySettings
{
    std::uint32_t addressColor = 0x000000;
    std::uint32_t addressBackground = 0xCCCCCC;
    std::uint32_t oddColumnColor = 0x7F0000;
    std::uint32_t evenColumnColor = 0xFF0000;
    std::uint32_t hexBackground = 0xFFFFFF;
    std::uint32_t highlightColor = 0xBBBBBB;
    std::uint32_t textColor = 0x000000;
    std::uint32_t textBackground = 0xFFFFFF;
    std::uint32_t highlightTextColor = 0x000000;
    // The desktop theme's colours instead of the nine above (which are kept for when it is off).
    bool useSystemColours = true;
    std::int32_t grouping = 2; // bytes per hex group: 1, 2, 4 or 8
    std::int32_t fontSize = -20;
    // An empty face is the system's own: its fixed-pitch font for the hex and default text
    // columns, its general font for Unicode; the system's fallbacks draw what a face lacks.
    std::string hexFontFace;
    std::string defaultTextFontFace;
    std::string unicodeFontFace;
    std::int32_t codePageIndex = 0; // into the code page list
    bool defaultCodePage = true;    // the text column uses the default code page

    // Not stored.
    std::int32_t offsetRadix = 1; // 1 hexadecimal, 2 decimal
    bool snesHiRom = false;
    bool snesLoRom = false;
    bool bankOffset = false;
    std::uint32_t bankSize = 0x8000;
    std::uint32_t bankBase = 0x8000;
    std::uint32_t copierHeaderSize = 0x200;
    bool unicodeText = false;
    // The one byte order of the Unicode text mode and of the Copy Hex As arrays.
    bool bigEndian = false;

    bool operator==(const DisplaySettings &) const = default;
};

} // namespace byteloom
