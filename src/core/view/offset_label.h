#pragma once

#include "view/display_settings.h"

#include <cstdint>
#include <string>

namespace byteloom {

// The offset column's label of a row whose first byte is at offset, in the current mode
// (hexadecimal, decimal, SNES HiROM, SNES LoROM or Bank:Offset), with its trailing blank.
// Arithmetic wraps at 32 bits, as the SNES modes expect.
[[nodiscard]] std::string OffsetLabel(std::int64_t offset, const DisplaySettings &display);

// The status bar's text for the byte at offset, e.g. "Offset: 00000010 ".
[[nodiscard]] std::string StatusOffsetText(std::int64_t offset, const DisplaySettings &display);

// The five offset modes of the address popup.
enum class OffsetMode { Hex, Decimal, SnesHiRom, SnesLoRom, BankOffset };
void SetOffsetMode(DisplaySettings &display, OffsetMode mode);

} // namespace byteloom
