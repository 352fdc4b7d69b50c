#pragma once

#include "view/display_settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace byteloom {

// Whether an image of this size carries a copier's header: 0x200 bytes more than a multiple of
// 0x8000. Only then do the SNES modes leave the header out of their addresses.
[[nodiscard]] bool HasCopierHeader(std::int64_t documentSize);

// The offset column's label of a row whose first byte is at offset, in the current mode
// (hexadecimal, decimal, SNES HiROM, SNES LoROM or Bank:Offset), with its trailing blank, for a
// document of documentSize bytes. The SNES and Bank:Offset modes wrap at 32 bits, as their
// addresses do.
[[nodiscard]] std::string
OffsetLabel(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize);

// Whether offsets are shown in decimal: beside the hexadecimal size, the status bar says so.
[[nodiscard]] bool ShowsDecimalOffsets(const DisplaySettings &display);

// The status bar's text for the byte at offset, e.g. "Offset: 00000010 ".
[[nodiscard]] std::string
StatusOffsetText(std::int64_t offset, const DisplaySettings &display, std::int64_t documentSize);

// The offset column's width in characters, its blank included: room for ten decimal digits
// in the Decimal mode, eight hex digits otherwise, and for every digit of the last offset of a
// document beyond 4 GiB.
[[nodiscard]] int OffsetColumnChars(const DisplaySettings &display, std::int64_t documentSize);
// How many digits the hexadecimal or decimal labels of a document of documentSize bytes have
// at least: eight below 4 GiB, as many as its last offset needs beyond.
[[nodiscard]] int OffsetDigits(std::int64_t documentSize, bool hex);

// What Go To makes of the text typed: a hexadecimal file offset, or in the SNES modes an address
// as the offset column shows it ("$08:8010", "08:8010" or "088010" in LoROM, "C0:1234" in
// HiROM; the copier header the view detects is added back), the inverse of its labels. A text that
// no address of the mode stands for is read as a file offset. description says which file offset it
// is, or why there is none ("File offset 00040010", "Address $08:8010 is file offset 00040010").
struct GoToReading
{
    std::optional<std::int64_t> offset;
    std::string description;
};
[[nodiscard]] GoToReading
ReadGoToText(std::string_view text, const DisplaySettings &display, std::int64_t documentSize);

// The five offset modes of the address popup.
enum class OffsetMode { Hex, Decimal, SnesHiRom, SnesLoRom, BankOffset };
void SetOffsetMode(DisplaySettings &display, OffsetMode mode);
// The mode the offset column shows, the one its popup ticks.
[[nodiscard]] OffsetMode OffsetModeOf(const DisplaySettings &display);

} // namespace byteloom
