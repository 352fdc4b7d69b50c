#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace byteloom {

// How a game addresses a file offset: the mapping from the address a pointer holds to the file.
enum class AddressType { Linear, LoRom00, LoRom80, HiRom, Gb };

// "LINEAR", "LOROM00", "LOROM80", "HIROM" or "GB"; nothing for any other word.
[[nodiscard]] std::optional<AddressType> AddressTypeOfName(std::string_view name);
[[nodiscard]] std::string_view NameOf(AddressType type);

// The address the game uses for v, a file offset less the header.
[[nodiscard]] std::int64_t GameAddress(AddressType type, std::int64_t v);

// The inverse of GameAddress: the v (file offset less the header) that the address stands for, or
// nothing when no offset maps to it (the lower half of a LoROM bank, an address below HiROM's
// C00000, a Game Boy address outside its bank's window).
[[nodiscard]] std::optional<std::int64_t> OffsetOfAddress(AddressType type, std::int64_t address);

// A pointer's form: its address type, the offsetting subtracted from the address, and its size
// in bits (8, 16, 24 or 32).
struct PointerForm
{
    AddressType type = AddressType::Linear;
    std::int64_t offsetting = 0;
    int bits = 32;
};

// Whether bits is a pointer's size: 8, 16, 24 or 32.
[[nodiscard]] constexpr bool IsPointerSize(std::int64_t bits)
{
    return bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// The value a pointer of the form holds for the file offset position under header bytes of
// header: the game address less the offsetting, cut to the pointer's size.
[[nodiscard]] std::uint32_t
PointerValue(const PointerForm &form, std::int64_t position, std::int64_t header);

// The mask of a pointer's bits.
[[nodiscard]] constexpr std::uint32_t PointerMask(int bits)
{
    return bits >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bits) - 1;
}

// The file offset a pointer of the form holding value points to, under header bytes of header:
// the bits the pointer lacks (above its size) come from base, a game address in the same window
// (by default the pointer table's own). Nothing when the address stands for no offset.
[[nodiscard]] std::optional<std::int64_t>
PointerTarget(const PointerForm &form, std::uint32_t value, std::int64_t header, std::int64_t base);

// The value of count bytes, least significant first unless bigEndian.
[[nodiscard]] std::uint32_t ValueOfBytes(std::span<const std::uint8_t> bytes, bool bigEndian);

// The lowest bytes of value, count of them, least significant first unless bigEndian.
[[nodiscard]] std::vector<std::uint8_t> ValueBytes(std::uint32_t value, int count, bool bigEndian);

} // namespace byteloom
