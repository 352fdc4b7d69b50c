#include "clipboard/copy_hex_as.h"
#include "support/documents.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::unique_ptr<Document> Counting(int first, int count)
{
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(first + i));
    return test::DocumentOf(bytes);
}

TEST(CopyHexAs, TextGroupsPairsSixteenBytesToALine)
{
    auto document = Counting(0x10, 17);
    EXPECT_EQ(CopyHexAsText(*document, 0, 17), "1011 1213 1415 1617 1819 1A1B 1C1D 1E1F \r\n20");
    EXPECT_EQ(CopyHexAsText(*document, 0, 5), "1011 1213 14");
    EXPECT_EQ(CopyHexAsText(*document, 5, 0), "1011 1213 14"); // selected right to left
    EXPECT_EQ(CopyHexAsText(*document, 3, 3), "");
}

TEST(CopyHexAs, ArraysInBothByteOrders)
{
    auto document = Counting(0x10, 11);
    const std::string header = "/*Copied from Byteloom*/\r\nunsigned ";
    EXPECT_EQ(CopyHexAsCharArray(*document, 0, 11),
              header
                  + "char HexData[0x0000000B] {\r\n"
                    "0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, \r\n"
                    "0x18, 0x19, 0x1A\r\n};");
    EXPECT_EQ(CopyHexAsShortArray(*document, 0, 11, false),
              header
                  + "short HexData[0x00000006] {\r\n"
                    "0x1110, 0x1312, 0x1514, 0x1716, \r\n0x1918, 0x001A\r\n};");
    EXPECT_EQ(CopyHexAsShortArray(*document, 11, 0, true),
              header
                  + "short HexData[0x00000006] {\r\n"
                    "0x1011, 0x1213, 0x1415, 0x1617, \r\n0x1819, 0x1A00\r\n};");
    EXPECT_EQ(CopyHexAsIntArray(*document, 0, 11, false),
              header + "int HexData[0x00000003] {\r\n0x13121110, 0x17161514, \r\n0x001A1918\r\n};");
    EXPECT_EQ(CopyHexAsIntArray(*document, 0, 11, true),
              header + "int HexData[0x00000003] {\r\n0x10111213, 0x14151617, \r\n0x18191A00\r\n};");

    EXPECT_NE(CopyHexAsShortArray(*document, 0, 1, false).find("{\r\n0x0010\r\n};"),
              std::string::npos);
    EXPECT_NE(CopyHexAsShortArray(*document, 0, 1, true).find("{\r\n0x1000\r\n};"),
              std::string::npos);
    EXPECT_NE(CopyHexAsIntArray(*document, 0, 1, false).find("{\r\n0x00000010\r\n};"),
              std::string::npos);
    EXPECT_NE(CopyHexAsIntArray(*document, 0, 1, true).find("{\r\n0x10000000\r\n};"),
              std::string::npos);
    EXPECT_EQ(CopyHexAsCharArray(*document, 4, 4), "");
}

} // namespace
} // namespace byteloom
