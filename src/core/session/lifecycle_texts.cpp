#include "session/lifecycle_texts.h"

#include "view/offset_label.h"

#include <array>
#include <cstdio>

namespace byteloom {

std::span<const FileFilter> DocumentFilters()
{
    static const std::array<FileFilter, 15> filters{{
        {"All Files (*.*)", "*.*"},
        {"Executable Files (*.exe)", "*.exe"},
        {"CD Images(*.bin,*.iso)", "*.bin;*.iso"},
        {"Wonderswan Color(*.wsc)", "*.wsc"},
        {"Super Nintendo(*.smc,*.fig,*.swc,*.sfc,*.usa)", "*.smc;*.fig;*.swc;*.sfc;*.usa"},
        {"Nintendo(*.fam,*.nes)", "*.nes;*.fam;"},
        {"Famicom Disk System(*.fds)", "*.fds"},
        {"Gameboy(*.gb,*.gbc,*.gba)", "*.gb;*.gbc;*.gba"},
        {"Nintendo 64(*.n64,*.v64)", "*.n64;*.v64"},
        {"Virtual Boy(*.vb)", "*.vb"},
        {"PC-Engine(*.pce)", "*.pce"},
        {"Sega Master System/Mega Drive(*.smd,*.bin)", "*.smd;*.bin"},
        {"Coleco Vision(*.rom)", "*.rom"},
        {"Apple ][(*.dsk)", "*.dsk"},
        {"SNES Save Ram(*.srm)", "*.srm"},
    }};
    return filters;
}

std::string TableChangedQuestion(std::string_view tableTitle)
{
    return "Table " + std::string(tableTitle) + " has been changed.\r\n\r\nWould you like to save?";
}

std::string TableNotSavedMessage(std::string_view tableTitle, std::string_view why)
{
    return "Table " + std::string(tableTitle) + " could not be saved; its changes are kept.\n\n"
           + std::string(why);
}

namespace {

// 300 bytes, 64 KiB, 1.5 MiB: bytes, or KiB to TiB to one decimal.
std::string ReadableSize(std::int64_t size)
{
    constexpr const char *kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
    std::string readable = std::to_string(size) + (size == 1 ? " byte" : " bytes");
    double scaled = static_cast<double>(size);
    for (const char *unit : kUnits) {
        if (scaled < 1024)
            break;
        scaled /= 1024;
        char number[32];
        std::snprintf(number, sizeof number, "%.1f", scaled);
        std::string shown = number;
        if (shown.ends_with(".0"))
            shown.resize(shown.size() - 2);
        readable = shown + " " + unit;
    }
    return readable;
}

// An offset column label without its trailing blank.
std::string Trimmed(std::string label)
{
    while (!label.empty() && label.back() == ' ')
        label.pop_back();
    return label;
}

} // namespace

std::string SizeStatusText(std::int64_t size)
{
    char text[64];
    std::snprintf(text, sizeof text, "Size: %08llX", static_cast<unsigned long long>(size));
    return std::string(text) + " (" + ReadableSize(size) + ")";
}

std::string SelectionStatusText(const ByteRange &selected,
                                const DisplaySettings &display,
                                std::int64_t documentSize)
{
    if (selected.length <= 0)
        return {};
    return "Selected: " + Trimmed(OffsetLabel(selected.offset, display, documentSize)) + "-"
           + Trimmed(OffsetLabel(selected.offset + selected.length - 1, display, documentSize))
           + (ShowsDecimalOffsets(display) ? " (decimal, " : " (") + ReadableSize(selected.length)
           + ")";
}

} // namespace byteloom
