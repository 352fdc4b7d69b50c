#include "scripts/pointer_forms.h"

#include <array>
#include <utility>

namespace byteloom {

namespace {

constexpr std::array<std::pair<std::string_view, AddressType>, 5> kTypeNames{{
    {"LINEAR", AddressType::Linear},
    {"LOROM00", AddressType::LoRom00},
    {"LOROM80", AddressType::LoRom80},
    {"HIROM", AddressType::HiRom},
    {"GB", AddressType::Gb},
}};

// LoROM maps each 32 KiB of the file to the upper half of a bank: two banks of addresses for
// every 64 KiB of offsets.
std::int64_t LoRomAddress(std::int64_t v)
{
    const std::int64_t bank = (v >> 16) & 0xFF;
    const std::int64_t word = v & 0xFFFF;
    return bank * 0x20000 + (word < 0x8000 ? word + 0x8000 : 0x10000 + word);
}

// Game Boy bank 0 stands at 0000-3FFF; every other bank is switched in at 4000-7FFF.
std::int64_t GbAddress(std::int64_t v)
{
    const std::int64_t bank = v / 0x4000;
    return bank == 0 ? v : bank * 0x10000 + v % 0x4000 + 0x4000;
}

// Each bank of LoROM addresses shows 32 KiB of the file in its upper half: an even bank the
// lower half of a 64 KiB run of offsets, the odd bank after it the upper half.
std::optional<std::int64_t> LoRomOffset(std::int64_t address)
{
    const std::int64_t bank = address >> 16;
    const std::int64_t word = address & 0xFFFF;
    if (address < 0 || bank > 0x1FF || word < 0x8000)
        return std::nullopt;
    return (bank >> 1) << 16 | (bank & 1 ? word : word - 0x8000);
}

std::optional<std::int64_t> GbOffset(std::int64_t address)
{
    if (address >= 0 && address < 0x4000)
        return address;
    const std::int64_t bank = address >> 16;
    const std::int64_t word = address & 0xFFFF;
    if (bank < 1 || word < 0x4000 || word > 0x7FFF)
        return std::nullopt;
    return bank * 0x4000 + word - 0x4000;
}

} // namespace

std::optional<AddressType> AddressTypeOfName(std::string_view name)
{
    for (const auto &[text, type] : kTypeNames)
        if (text == name)
            return type;
    return std::nullopt;
}

std::string_view NameOf(AddressType type)
{
    for (const auto &[text, known] : kTypeNames)
        if (known == type)
            return text;
    return {};
}

std::int64_t GameAddress(AddressType type, std::int64_t v)
{
    switch (type) {
    case AddressType::Linear:
        return v;
    case AddressType::LoRom00:
        return LoRomAddress(v);
    case AddressType::LoRom80:
        return LoRomAddress(v) + 0x800000;
    case AddressType::HiRom:
        return v + 0xC00000;
    case AddressType::Gb:
        return GbAddress(v);
    }
    return v;
}

std::optional<std::int64_t> OffsetOfAddress(AddressType type, std::int64_t address)
{
    switch (type) {
    case AddressType::Linear:
        return address >= 0 ? std::optional(address) : std::nullopt;
    case AddressType::LoRom00:
        return LoRomOffset(address);
    case AddressType::LoRom80:
        return LoRomOffset(address - 0x800000);
    case AddressType::HiRom:
        return address >= 0xC00000 ? std::optional(address - 0xC00000) : std::nullopt;
    case AddressType::Gb:
        return GbOffset(address);
    }
    return std::nullopt;
}

std::optional<std::int64_t>
PointerTarget(const PointerForm &form, std::uint32_t value, std::int64_t header, std::int64_t base)
{
    const std::uint32_t mask = PointerMask(form.bits);
    const auto low
        = static_cast<std::uint32_t>(static_cast<std::int64_t>(value) + form.offsetting) & mask;
    // Game Boy bank 0 stands at 0000-3FFF whichever bank is switched in.
    const bool bankZero = form.type == AddressType::Gb && low < 0x4000 && mask <= 0xFFFF;
    const std::int64_t address = bankZero ? low : (base & ~static_cast<std::int64_t>(mask)) | low;
    const auto v = OffsetOfAddress(form.type, address);
    if (!v)
        return std::nullopt;
    return *v + header;
}

std::uint32_t ValueOfBytes(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        value |= std::uint32_t{bytes[bigEndian ? bytes.size() - 1 - i : i]} << (8 * i);
    return value;
}

std::uint32_t PointerValue(const PointerForm &form, std::int64_t position, std::int64_t header)
{
    const std::int64_t address = GameAddress(form.type, position - header) - form.offsetting;
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(address) & PointerMask(form.bits));
}

std::vector<std::uint8_t> ValueBytes(std::uint32_t value, int count, bool bigEndian)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const auto byte = static_cast<std::uint8_t>(value >> (8 * i));
        bytes[static_cast<std::size_t>(bigEndian ? count - 1 - i : i)] = byte;
    }
    return bytes;
}

} // namespace byteloom
