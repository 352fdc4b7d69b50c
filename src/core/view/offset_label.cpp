#include "view/offset_label.h"

#include "common/number_text.h"

#include <algorithm>
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

// An offset in hexadecimal or decimal with at least digits digits.
std::string PrintedWide(std::uint64_t value, int digits, bool hex)
{
    char text[48];
    std::snprintf(text,
                  sizeof text,
                  hex ? "%0*llX " : "%0*llu ",
                  digits,
                  static_cast<unsigned long long>(value));
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
// The SNES and Bank:Offset modes are 32-bit addresses and wrap there.
std::string
Label(std::int64_t offset, const DisplaySettings &display, std::int64_t size, bool &bareInStatus)
{
    bareInStatus = false;
    const auto address = static_cast<std::uint32_t>(offset);
    const std::uint32_t header = HasCopierHeader(size) ? display.copierHeaderSize : 0;
    if (display.snesHiRom)
        return Printed("%08X ", HiRom(address, header));
    if (display.snesLoRom)
        return Printed("%08X ", LoRom(address, header));
    if (display.bankOffset) {
        bareInStatus = address / (display.bankSize == 0 ? 1 : display.bankSize) >= 65535;
        return BankOffset(address, display);
    }
    const bool hex = display.offsetRadix == 1;
    return PrintedWide(static_cast<std::uint64_t>(offset), OffsetDigits(size, hex), hex);
}

// The address typed: "$BB:WWWW", "BB:WWWW" or hex digits; nothing for any other text.
std::optional<std::uint32_t> TypedAddress(std::string_view text)
{
    if (text.starts_with('$'))
        text.remove_prefix(1);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        const auto value = ParseWholeNumber(text, 16);
        return value && text.size() <= 8 ? value : std::nullopt;
    }
    const auto bank = ParseWholeNumber(text.substr(0, colon), 16);
    const auto word = ParseWholeNumber(text.substr(colon + 1), 16);
    if (!bank || !word || *bank > 0xFF || *word > 0xFFFF)
        return std::nullopt;
    return *bank << 16 | *word;
}

// The file offset (less the header) an address of the SNES mode stands for, the inverse of the
// column's labels (whose LoROM banks run on past 7F, and HiROM addresses past FFFFFF, in images
// larger than 4 MiB); nothing for the lower half of a LoROM bank or an address below HiROM's.
std::optional<std::int64_t> SnesOffset(std::uint32_t address, bool loRom)
{
    if (loRom) {
        if ((address & 0x8000u) == 0 || address > 0xFFFFFFu)
            return std::nullopt;
        return std::int64_t{(address >> 16) << 15 | (address & 0x7FFFu)};
    }
    if (address >= 0xC00000u)
        return std::int64_t{address - 0xC00000u};
    return std::nullopt;
}

} // namespace

GoToReading
ReadGoToText(std::string_view text, const DisplaySettings &display, std::int64_t documentSize)
{
    GoToReading reading;
    if (text.empty())
        return reading;
    std::string said;
    if (display.snesLoRom || display.snesHiRom) {
        const auto address = TypedAddress(text);
        const auto v = address ? SnesOffset(*address, display.snesLoRom) : std::nullopt;
        if (v) {
            const std::int64_t header
                = HasCopierHeader(documentSize) ? display.copierHeaderSize : 0;
            reading.offset = *v + header;
            said = Printed("Address $%02X:", *address >> 16)
                   + Printed("%04X is ", *address & 0xFFFFu);
        } else if (text.find(':') != std::string_view::npos || text.starts_with('$')) {
            reading.description
                = std::string("Not an address of ") + (display.snesLoRom ? "LoROM" : "HiROM");
            return reading;
        }
    }
    if (!reading.offset) {
        const auto offset = ParseWholeOffset(text, 16);
        if (!offset || text.size() > 16) {
            reading.description = "Not a hexadecimal offset";
            return reading;
        }
        reading.offset = *offset;
    }
    if (*reading.offset >= documentSize) {
        // The last byte there is, not the size, which is one past it.
        std::string last = ", which is empty";
        if (documentSize > 0) {
            last = PrintedWide(static_cast<std::uint64_t>(documentSize - 1), 8, true);
            last = ", whose last byte is at " + last.substr(0, last.size() - 1);
        }
        reading.description
            = (said.empty() ? "Past" : said + "past") + " the end of the file" + last;
        reading.offset.reset();
        return reading;
    }
    reading.description = (said.empty() ? "File offset " : said + "file offset ")
                          + PrintedWide(static_cast<std::uint64_t>(*reading.offset),
                                        OffsetDigits(documentSize, true),
                                        true);
    reading.description.pop_back(); // the label's trailing blank
    return reading;
}

bool HasCopierHeader(std::int64_t documentSize)
{
    return documentSize % 0x8000 == 0x200;
}

std::string
OffsetLabel(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize)
{
    bool bare = false;
    return Label(offset, display, documentSize, bare);
}

std::string
StatusOffsetText(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize)
{
    bool bare = false;
    const std::string label = Label(offset, display, documentSize, bare);
    return (bare ? label : "Offset: " + label) + (ShowsDecimalOffsets(display) ? "(decimal)" : "");
}

bool ShowsDecimalOffsets(const DisplaySettings &display)
{
    return display.offsetRadix != 1 && !display.snesHiRom && !display.snesLoRom
           && !display.bankOffset;
}

int OffsetDigits(std::int64_t documentSize, bool hex)
{
    // Below 4 GiB the labels keep their eight digits (decimal ones grow by themselves).
    if (documentSize <= std::int64_t{1} << 32)
        return 8;
    int digits = 0;
    for (auto last = static_cast<std::uint64_t>(documentSize - 1); last > 0; last /= hex ? 16 : 10)
        ++digits;
    return digits;
}

int OffsetColumnChars(const DisplaySettings &display, std::int64_t documentSize)
{
    if (display.snesHiRom || display.snesLoRom || display.bankOffset)
        return 9;
    const bool hex = display.offsetRadix == 1;
    // Room for ten decimal digits below 4 GiB, as many as the last offset needs above.
    return std::max(hex ? 8 : 10, OffsetDigits(documentSize, hex)) + 1;
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

OffsetMode OffsetModeOf(const DisplaySettings &display)
{
    if (display.snesHiRom)
        return OffsetMode::SnesHiRom;
    if (display.snesLoRom)
        return OffsetMode::SnesLoRom;
    if (display.bankOffset)
        return OffsetMode::BankOffset;
    return display.offsetRadix == 2 ? OffsetMode::Decimal : OffsetMode::Hex;
}

} // namespace byteloom
