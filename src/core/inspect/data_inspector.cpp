#include "inspect/data_inspector.h"

#include "document/document.h"
#include "document/undo_journal.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace byteloom {

namespace {

constexpr std::array kKinds{ValueKind::Int8,
                            ValueKind::UInt8,
                            ValueKind::Int16,
                            ValueKind::UInt16,
                            ValueKind::Int24,
                            ValueKind::UInt24,
                            ValueKind::Int32,
                            ValueKind::UInt32,
                            ValueKind::Int64,
                            ValueKind::UInt64,
                            ValueKind::Float16,
                            ValueKind::Float32,
                            ValueKind::Float64,
                            ValueKind::Binary8};
constexpr std::array<std::string_view, kKinds.size()> kNames{"int8",
                                                             "uint8",
                                                             "int16",
                                                             "uint16",
                                                             "int24",
                                                             "uint24",
                                                             "int32",
                                                             "uint32",
                                                             "int64",
                                                             "uint64",
                                                             "float16",
                                                             "float32",
                                                             "float64",
                                                             "binary"};

bool IsSigned(ValueKind kind)
{
    return kind == ValueKind::Int8 || kind == ValueKind::Int16 || kind == ValueKind::Int24
           || kind == ValueKind::Int32 || kind == ValueKind::Int64;
}

bool IsFloat(ValueKind kind)
{
    return kind == ValueKind::Float16 || kind == ValueKind::Float32 || kind == ValueKind::Float64;
}

std::uint64_t Unsigned(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        value |= std::uint64_t{bytes[bigEndian ? bytes.size() - 1 - i : i]} << (8 * i);
    return value;
}

std::vector<std::uint8_t> BytesOf(std::uint64_t value, int count, bool bigEndian)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        bytes[static_cast<std::size_t>(bigEndian ? count - 1 - i : i)]
            = static_cast<std::uint8_t>(value >> (8 * i));
    return bytes;
}

std::string FloatText(double value, int digits)
{
    if (std::isnan(value))
        return "NaN";
    if (std::isinf(value))
        return value < 0 ? "-Infinity" : "Infinity";
    char text[48];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

// The nearest float16 to value (ties to even), for writing a typed number.
std::uint16_t DoubleToHalf(double value)
{
    const std::uint16_t sign = std::signbit(value) ? 0x8000 : 0;
    value = std::fabs(value);
    if (std::isnan(value))
        return 0x7E00;
    if (value >= 65520.0)
        return static_cast<std::uint16_t>(sign | 0x7C00);
    if (value < std::ldexp(1.0, -14)) { // subnormal: units of 2^-24
        return static_cast<std::uint16_t>(
            sign | static_cast<std::uint16_t>(std::nearbyint(value * std::ldexp(1.0, 24))));
    }
    int exponent = 0;
    const double fraction = std::frexp(value, &exponent); // value = fraction * 2^exponent
    auto mantissa = static_cast<std::uint32_t>(std::nearbyint((fraction * 2 - 1) * 1024));
    int biased = exponent - 1 + 15;
    if (mantissa == 1024) {
        mantissa = 0;
        ++biased;
    }
    if (biased >= 31)
        return static_cast<std::uint16_t>(sign | 0x7C00);
    return static_cast<std::uint16_t>(sign | static_cast<std::uint32_t>(biased) << 10 | mantissa);
}

} // namespace

std::string_view NameOf(ValueKind kind)
{
    return kNames[static_cast<std::size_t>(kind)];
}

int ByteCount(ValueKind kind)
{
    switch (kind) {
    case ValueKind::Int8:
    case ValueKind::UInt8:
    case ValueKind::Binary8:
        return 1;
    case ValueKind::Int16:
    case ValueKind::UInt16:
    case ValueKind::Float16:
        return 2;
    case ValueKind::Int24:
    case ValueKind::UInt24:
        return 3;
    case ValueKind::Int32:
    case ValueKind::UInt32:
    case ValueKind::Float32:
        return 4;
    default:
        return 8;
    }
}

std::span<const ValueKind> EveryValueKind()
{
    return kKinds;
}

double HalfToDouble(std::uint16_t half)
{
    const double sign = half & 0x8000 ? -1.0 : 1.0;
    const int exponent = (half >> 10) & 0x1F;
    const int mantissa = half & 0x3FF;
    if (exponent == 0)
        return sign * std::ldexp(mantissa, -24);
    if (exponent == 31)
        return mantissa == 0 ? sign * std::numeric_limits<double>::infinity()
                             : std::numeric_limits<double>::quiet_NaN();
    return sign * std::ldexp(mantissa + 1024, exponent - 25);
}

std::optional<std::string>
FormatValue(ValueKind kind, std::span<const std::uint8_t> bytes, bool bigEndian)
{
    const int count = ByteCount(kind);
    if (static_cast<int>(bytes.size()) < count)
        return std::nullopt;
    const std::uint64_t value = Unsigned(bytes.first(static_cast<std::size_t>(count)), bigEndian);
    switch (kind) {
    case ValueKind::Float16:
        return FloatText(HalfToDouble(static_cast<std::uint16_t>(value)), 5);
    case ValueKind::Float32:
        return FloatText(std::bit_cast<float>(static_cast<std::uint32_t>(value)), 9);
    case ValueKind::Float64:
        return FloatText(std::bit_cast<double>(value), 17);
    case ValueKind::Binary8: {
        std::string text;
        for (int bit = 7; bit >= 0; --bit)
            text.push_back(value >> bit & 1 ? '1' : '0');
        return text;
    }
    default:
        break;
    }
    if (IsSigned(kind) && count < 8 && value >> (8 * count - 1))
        return std::to_string(static_cast<std::int64_t>(value) - (std::int64_t{1} << (8 * count)));
    if (IsSigned(kind))
        return std::to_string(static_cast<std::int64_t>(value));
    return std::to_string(value);
}

std::optional<std::string> SelectionValue(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    if (bytes.empty() || bytes.size() > 8)
        return std::nullopt;
    return std::to_string(Unsigned(bytes, bigEndian));
}

std::variant<std::vector<std::uint8_t>, std::string>
EncodeValue(ValueKind kind, std::string_view typed, bool bigEndian)
{
    const std::string shown(typed);
    const int count = ByteCount(kind);
    if (kind == ValueKind::Binary8) {
        if (typed.size() != 8 || typed.find_first_not_of("01") != std::string_view::npos)
            return "\"" + shown + "\" is not eight binary digits";
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(std::stoul(shown, nullptr, 2))};
    }
    if (IsFloat(kind)) {
        double value = 0;
        const auto [end, error] = std::from_chars(typed.data(), typed.data() + typed.size(), value);
        if (error != std::errc() || end != typed.data() + typed.size())
            return "\"" + shown + "\" is not a number";
        if (kind == ValueKind::Float16)
            return BytesOf(DoubleToHalf(value), 2, bigEndian);
        if (kind == ValueKind::Float32)
            return BytesOf(std::bit_cast<std::uint32_t>(static_cast<float>(value)), 4, bigEndian);
        return BytesOf(std::bit_cast<std::uint64_t>(value), 8, bigEndian);
    }
    const bool negative = typed.starts_with('-');
    std::uint64_t magnitude = 0;
    const std::string_view digits = typed.substr(negative ? 1 : 0);
    const auto [end, error]
        = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    if (digits.empty() || error == std::errc::invalid_argument
        || end != digits.data() + digits.size())
        return "\"" + shown + "\" is not a number";
    const int bits = 8 * count;
    const std::string tooLarge
        = "Value " + shown + " does not fit in " + std::to_string(bits) + " bits";
    if (error == std::errc::result_out_of_range || (negative && !IsSigned(kind)))
        return tooLarge;
    const std::uint64_t limit = IsSigned(kind) ? std::uint64_t{1} << (bits - 1)
                                : bits == 64   ? std::numeric_limits<std::uint64_t>::max()
                                               : (std::uint64_t{1} << bits) - 1;
    if (IsSigned(kind) ? magnitude > (negative ? limit : limit - 1) : magnitude > limit)
        return tooLarge;
    const std::uint64_t value = negative ? ~magnitude + 1 : magnitude;
    return BytesOf(value, count, bigEndian);
}

std::optional<std::string> WriteTypedValue(Document &document,
                                           UndoJournal &journal,
                                           std::int64_t offset,
                                           ValueKind kind,
                                           std::string_view typed,
                                           bool bigEndian)
{
    if (offset < 0 || document.Size() - offset < ByteCount(kind))
        return "There are not " + std::to_string(ByteCount(kind))
               + " bytes before the end of the file.";
    const auto encoded = EncodeValue(kind, typed, bigEndian);
    if (const auto *message = std::get_if<std::string>(&encoded))
        return *message;
    const auto &bytes = std::get<std::vector<std::uint8_t>>(encoded);
    journal.RecordBeforeWrite(document, offset, static_cast<std::int64_t>(bytes.size()));
    (void)document.WriteBlock(offset, bytes);
    if (auto error = document.TakeIoError())
        return *error;
    return std::nullopt;
}

} // namespace byteloom
