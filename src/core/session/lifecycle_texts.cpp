#include "session/lifecycle_texts.h"

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

std::string SizeStatusText(std::int64_t size)
{
    char text[64];
    std::snprintf(text, sizeof text, "Size: %08llX", static_cast<unsigned long long>(size));
    // Beside the hexadecimal, the size a person reads: bytes, or KiB to TiB to one decimal.
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
    return std::string(text) + " (" + readable + ")";
}

} // namespace byteloom
