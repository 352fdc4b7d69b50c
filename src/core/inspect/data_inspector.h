#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace byteloom {

// The kinds of value the data inspector shows for the bytes at the caret.
enum class ValueKind {
    Int8,
    UInt8,
    Int16,
    UInt16,
    Int24,
    UInt24,
    Int32,
    UInt32,
    Int64,
    UInt64,
    Float16,
    Float32,
    Float64,
    Binary8
};

// "int16", "float32", "binary"…, as the inspector labels its rows.
[[nodiscard]] std::string_view NameOf(ValueKind kind);
// How many bytes a value of the kind takes.
[[nodiscard]] int ByteCount(ValueKind kind);
// Every kind, in the inspector's order.
[[nodiscard]] std::span<const ValueKind> EveryValueKind();

// The value of the first ByteCount(kind) bytes, read in the byte order given (one-byte kinds
// ignore it), as text: integers in decimal, floats as the shortest text that reads back as the
// same value ("1", "-2.5", "NaN", "Infinity"), the byte in binary ("01111111"). Nothing when
// there are fewer bytes than the kind takes (at the end of the file).
[[nodiscard]] std::optional<std::string>
FormatValue(ValueKind kind, std::span<const std::uint8_t> bytes, bool bigEndian);

// A selection of 1 to 8 bytes as one unsigned number in the byte order given, in decimal;
// nothing for a longer or empty one.
[[nodiscard]] std::optional<std::string> SelectionValue(std::span<const std::uint8_t> bytes,
                                                        bool bigEndian);

// A float16 (IEEE 754 binary16, subnormals included) as a double.
[[nodiscard]] double HalfToDouble(std::uint16_t half);

// The bytes a typed value of the kind is written as, or why it cannot be ("Value 70000 does not
// fit in 16 bits", "\"1x\" is not a number"). Integers take a decimal number, negative for the
// signed kinds; floats any decimal number; the binary kind eight binary digits.
[[nodiscard]] std::variant<std::vector<std::uint8_t>, std::string>
EncodeValue(ValueKind kind, std::string_view typed, bool bigEndian);

class Document;
class UndoJournal;

// Writes a typed value of the kind at offset as one undo record; the message says why nothing
// was written (a value out of range, not a number, or too few bytes before the end of the file).
[[nodiscard]] std::optional<std::string> WriteTypedValue(Document &document,
                                                         UndoJournal &journal,
                                                         std::int64_t offset,
                                                         ValueKind kind,
                                                         std::string_view typed,
                                                         bool bigEndian);

} // namespace byteloom
