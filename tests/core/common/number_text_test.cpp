#include "common/number_text.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

// Offsets are read 64 bits wide: the dialogs stop at the first other character and give the
// largest offset for a number beyond it; the command line takes only whole numbers that fit.
TEST(NumberText, OffsetsAreReadSixtyFourBitsWide)
{
    EXPECT_EQ(ReadLeadingOffset("123456780", 16), 0x123456780);
    EXPECT_EQ(ReadLeadingOffset("FFFFFFFFFFFFzz", 16), 0xFFFFFFFFFFFF);
    EXPECT_EQ(ReadLeadingOffset("7FFFFFFFFFFFFFFF", 16), INT64_MAX);
    EXPECT_EQ(ReadLeadingOffset("8000000000000000", 16), INT64_MAX);
    EXPECT_EQ(ReadLeadingOffset("99999999999999999999999", 10), INT64_MAX);
    EXPECT_EQ(ReadLeadingOffset("g1", 16), 0);
    EXPECT_EQ(ReadLeadingNumber("123456780", 16), 0x23456780u); // 32-bit fields keep low bits

    EXPECT_EQ(ParseWholeOffset("123456780", 16), 0x123456780);
    EXPECT_EQ(ParseWholeOffset("9223372036854775807", 10), INT64_MAX);
    EXPECT_EQ(ParseWholeOffset("9223372036854775808", 10), std::nullopt);
    EXPECT_EQ(ParseWholeOffset("10000000000000000", 16), std::nullopt);
    EXPECT_EQ(ParseWholeOffset("12x", 16), std::nullopt);
    EXPECT_EQ(ParseWholeOffset("", 16), std::nullopt);
    EXPECT_EQ(ParseWholeNumber("FFFFFFFF", 16), 0xFFFFFFFFu);
    EXPECT_EQ(ParseWholeNumber("100000000", 16), std::nullopt);
}

} // namespace
} // namespace byteloom
