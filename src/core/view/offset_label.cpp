#include "view/offset_label.h"

#include <cstdio>

namespace byteloom {

namespace {

std::uint32_t HiRom(std::uint32_t offset, std::uint32_t header)
{
    return offset - header + 0xC00000u;
}

std::uint32_t LoRom(std::uint32_t offset, std::uint32_t header)
{
    const std::uint32_t v = offset - header;
    return ((v & 0x7F8000u) << 1) | 0x8000u | (v & 0x7FFFu);
}

std::string Printed(const char *format, std::uint32_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string BankOffset(std::uint32_t offset, const DisplaySettings &display)
{
    const std::uint32_t size = display.bankSize == 0 ? 1 : display.bankSize;
    const std::uint32_t bank = offset / size;
    const std::string bankPart = bank >= 65535 ? "0000:" : Printed("%04X:", bank);
    return bankPart + Printed("%04X ", ((offset % size) + display.bankBase) & 0xFFFFu);
}

// The label without any prefix; the status bar and the offset column differ only in that.
// bareInStatus: the status bar shows this label without its "Offset: " (a bank too large).
std::string
Label(std::uint32_t offset, const DisplaySettings &display, std::int64_t size, bool &bareInStatus)
{
    bareInStatus = false;
    const std::uint32_t header = HasCopierHeader(size) ? display.copierHeaderSize : 0;
    if (display.snesHiRom)
        return Printed("%08X ", HiRom(offset, header));
    if (display.snesLoRom)
        return Printed("%08X ", LoRom(offset, header));
    if (display.bankOffset) {
        bareInStatus = offset / (display.bankSize == 0 ? 1 : display.bankSize) >= 65535;
        return BankOffset(offset, display);
    }
    if (display.offsetRadix == 1)
        return Printed("%08X ", offset);
    return Printed("%08u ", offset);
}

} // namespace

bool HasCopierHeader(std::int64_t documentSize)
{
    return documentSize % 0x8000 == 0x200;
}

std::string
OffsetLabel(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize)
{
    bool bare = false;
    return Label(static_cast<std::uint32_t>(offset), display, documentSize, bare);
}

std::string
StatusOffsetText(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize)
{
    bool bare = false;
    const std::string label
        = Label(static_cast<std::uint32_t>(offset), display, documentSize, bare);
    return bare ? label : "Offset: " + label;
}

int OffsetColumnChars(const DisplaySettings &display)
{
    const bool decimal = display.offsetRadix != 1 && !display.snesHiRom && !display.snesLoRom
                         && !display.bankOffset;
    return decimal ? 11 : 9;
}

void SetOffsetMode(DisplaySettings &display, OffsetMode mode)
{
    display.snesHiRom = mode == OffsetMode::SnesHiRom;
    display.snesLoRom = mode == OffsetMode::SnesLoRom;
    display.bankOffset = mode == OffsetMode::BankOffset;
    if (mode == OffsetMode::Hex)
        display.offsetRadix = 1;
    else if (mode == OffsetMode::Decimal)
        display.offsetRadix = 2;
}

} // namespace byteloom
