#include "inspect/data_inspector.h"

#include "document/undo_journal.h"
#include "support/documents.h"

#include <gtest/gtest.h>

#include <cmath>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string Value(ValueKind kind, Bytes bytes, bool bigEndian = false)
{
    return FormatValue(kind, bytes, bigEndian).value_or("none");
}

TEST(DataInspector, IntegersAtEveryBoundaryInBothByteOrders)
{
    EXPECT_EQ(Value(ValueKind::Int16, {0xFE, 0xFF}), "-2");
    EXPECT_EQ(Value(ValueKind::UInt16, {0xFE, 0xFF}, true), "65279");
    EXPECT_EQ(Value(ValueKind::Int8, {0x7F}), "127");
    EXPECT_EQ(Value(ValueKind::Int8, {0x80}), "-128");
    EXPECT_EQ(Value(ValueKind::UInt8, {0x80}), "128");
    EXPECT_EQ(Value(ValueKind::Int16, {0xFF, 0x7F}), "32767");
    EXPECT_EQ(Value(ValueKind::Int16, {0x00, 0x80}), "-32768");
    EXPECT_EQ(Value(ValueKind::Int24, {0x00, 0x00, 0x80}), "-8388608");
    EXPECT_EQ(Value(ValueKind::UInt24, {0x80, 0x00, 0x00}, true), "8388608");
    // A selection of 1 to 8 bytes is one unsigned number.
    EXPECT_EQ(SelectionValue(Bytes{0x34, 0x12, 0x00}, false), "4660");
    EXPECT_EQ(SelectionValue(Bytes{0x34, 0x12, 0x00}, true), "3412480");
    EXPECT_EQ(SelectionValue(Bytes(8, 0xFF), false), "18446744073709551615");
    EXPECT_EQ(SelectionValue(Bytes(9, 0), false), std::nullopt);
    EXPECT_EQ(SelectionValue(Bytes{}, false), std::nullopt);
    EXPECT_EQ(Value(ValueKind::Int32, {0x00, 0x00, 0x00, 0x80}), "-2147483648");
    EXPECT_EQ(Value(ValueKind::Int64, Bytes(8, 0xFF)), "-1");
    EXPECT_EQ(Value(ValueKind::UInt64, Bytes(8, 0xFF)), "18446744073709551615");
    EXPECT_EQ(Value(ValueKind::Binary8, {0x7F}), "01111111");
    // At the end of the file there may be too few bytes.
    EXPECT_EQ(Value(ValueKind::Int32, {0x01, 0x02}), "none");
    for (const ValueKind kind : EveryValueKind())
        EXPECT_FALSE(NameOf(kind).empty());
}

TEST(DataInspector, FloatsWithNaNInfinitiesAndHalfSubnormals)
{
    EXPECT_EQ(Value(ValueKind::Float32, {0x00, 0x00, 0x80, 0x3F}), "1");
    EXPECT_EQ(Value(ValueKind::Float32, {0x3F, 0x80, 0x00, 0x00}, true), "1");
    EXPECT_EQ(Value(ValueKind::Float32, {0x00, 0x00, 0x80, 0xFF}), "-Infinity");
    EXPECT_EQ(Value(ValueKind::Float32, {0x00, 0x00, 0xC0, 0x7F}), "NaN");
    EXPECT_EQ(Value(ValueKind::Float64, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}), "1");
    EXPECT_EQ(Value(ValueKind::Float16, {0x00, 0x3C}), "1");
    EXPECT_EQ(Value(ValueKind::Float16, {0x00, 0x7C}), "Infinity");
    EXPECT_EQ(Value(ValueKind::Float16, {0x01, 0x7C}), "NaN");
    EXPECT_EQ(Value(ValueKind::Float16, {0xFF, 0x7B}), "65504");
    EXPECT_EQ(HalfToDouble(0x0001), std::ldexp(1.0, -24)); // the smallest subnormal
    EXPECT_EQ(HalfToDouble(0x03FF), std::ldexp(1023.0, -24));
    EXPECT_EQ(HalfToDouble(0x8400), -std::ldexp(1.0, -14));
}

TEST(DataInspector, TypedValuesAreRangeCheckedAndWrittenInTheirByteOrder)
{
    using Encoded = std::variant<Bytes, std::string>;
    EXPECT_EQ(EncodeValue(ValueKind::UInt16, "4660", false), Encoded(Bytes{0x34, 0x12}));
    EXPECT_EQ(EncodeValue(ValueKind::UInt16, "4660", true), Encoded(Bytes{0x12, 0x34}));
    EXPECT_EQ(EncodeValue(ValueKind::UInt16, "70000", false),
              Encoded(std::string("Value 70000 does not fit in 16 bits")));
    EXPECT_EQ(EncodeValue(ValueKind::Int8, "-128", false), Encoded(Bytes{0x80}));
    EXPECT_EQ(EncodeValue(ValueKind::Int8, "128", false),
              Encoded(std::string("Value 128 does not fit in 8 bits")));
    EXPECT_EQ(EncodeValue(ValueKind::UInt8, "-1", false),
              Encoded(std::string("Value -1 does not fit in 8 bits")));
    EXPECT_EQ(EncodeValue(ValueKind::Int24, "-1", true), Encoded(Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(EncodeValue(ValueKind::UInt64, "18446744073709551615", false),
              Encoded(Bytes(8, 0xFF)));
    EXPECT_EQ(EncodeValue(ValueKind::UInt64, "18446744073709551616", false),
              Encoded(std::string("Value 18446744073709551616 does not fit in 64 bits")));
    EXPECT_EQ(EncodeValue(ValueKind::Int16, "1x", false),
              Encoded(std::string("\"1x\" is not a number")));
    EXPECT_EQ(EncodeValue(ValueKind::Float32, "1", false), Encoded(Bytes{0x00, 0x00, 0x80, 0x3F}));
    EXPECT_EQ(EncodeValue(ValueKind::Float16, "65504", false), Encoded(Bytes{0xFF, 0x7B}));
    EXPECT_EQ(EncodeValue(ValueKind::Float16, "5.9604644775390625e-08", false),
              Encoded(Bytes{0x01, 0x00}));
    EXPECT_EQ(EncodeValue(ValueKind::Binary8, "10000001", false), Encoded(Bytes{0x81}));
    // Every value read back writes the same bytes.
    for (const ValueKind kind :
         {ValueKind::Int16, ValueKind::UInt24, ValueKind::Float32, ValueKind::Float16})
        for (const Bytes &bytes : {Bytes{0x12, 0x34, 0x56, 0x78}, Bytes{0xFF, 0x7B, 0x00, 0x3F}}) {
            const auto text = FormatValue(kind, bytes, false);
            const auto back = EncodeValue(kind, *text, false);
            ASSERT_TRUE(std::holds_alternative<Bytes>(back)) << *text;
            EXPECT_EQ(std::get<Bytes>(back), Bytes(bytes.begin(), bytes.begin() + ByteCount(kind)))
                << NameOf(kind) << " " << *text;
        }
}

TEST(DataInspector, ATypedValueIsWrittenAsOneUndoStepOrRefusedWithItsReason)
{
    const auto document = test::DocumentOf({0xFE, 0xFF, 0x00});
    UndoJournal journal;
    EXPECT_EQ(WriteTypedValue(*document, journal, 0, ValueKind::UInt16, "4660", false),
              std::nullopt);
    EXPECT_EQ(test::ContentsOf(*document), (Bytes{0x34, 0x12, 0x00}));
    EXPECT_EQ(journal.UndoCount(), 1u);
    EXPECT_EQ(WriteTypedValue(*document, journal, 0, ValueKind::UInt16, "70000", false),
              "Value 70000 does not fit in 16 bits");
    EXPECT_EQ(WriteTypedValue(*document, journal, 1, ValueKind::Int32, "1", false),
              "There are not 4 bytes before the end of the file.");
    EXPECT_EQ(journal.UndoCount(), 1u);
    ASSERT_TRUE(journal.Undo(*document));
    EXPECT_EQ(test::ContentsOf(*document), (Bytes{0xFE, 0xFF, 0x00}));
}

} // namespace
} // namespace byteloom
