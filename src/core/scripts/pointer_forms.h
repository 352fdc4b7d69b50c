#pragma once

#include <cstdint>
#include <optional>
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

// The lowest bytes of value, count of them, least significant first unless bigEndian.
[[nodiscard]] std::vector<std::uint8_t> ValueBytes(std::uint32_t value, int count, bool bigEndian);

} // namespace byteloom
