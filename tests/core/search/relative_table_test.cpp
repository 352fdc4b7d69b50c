#include "search/relative_table.h"

#include "support/documents.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::string DecodedAt(const TableFile &table, Document &document, std::int64_t offset)
{
    const DecodedEntry decoded = DecodeAt(table, document, offset);
    return decoded.IsFallback() ? "?" : decoded.entry->text;
}

// A hit's table holds the whole order, keyed in the hit's width and byte order; it reads the hit
// back as the typed text, and says what it could not hold.
TEST(RelativeTable, TheHitsOrderBecomesATableThatReadsTheHitBack)
{
    const auto wide = test::DocumentOf({0x20, 0x00, 0x21, 0x00, 0x22, 0x00});
    RelativeQuery query{{'a', 'b', 'c'}, 2, false};
    HitTable made = MakeTableFromHit(*wide, query, "", 0);
    EXPECT_NE(made.text.find("2000=a\n"), std::string::npos);
    EXPECT_NE(made.text.find("3900=z\n"), std::string::npos);
    EXPECT_NE(made.text.find("0100=B\n"), std::string::npos);
    EXPECT_EQ(made.entries, 51);
    ASSERT_EQ(made.leftOut.size(), 1u); // A would be 00 00, a one-byte key to a table
    EXPECT_EQ(made.leftOut[0],
              "A: its key 0000 begins with 00, which a table reads as a one-byte key");
    TableFile table = ParseTable(made.text, "hit").table;
    EXPECT_EQ(DecodedAt(table, *wide, 0) + DecodedAt(table, *wide, 2) + DecodedAt(table, *wide, 4),
              "abc");

    // Big-endian, placed by a wildcard-led hit; values past 16 bits are left out.
    const auto big = test::DocumentOf({0x99, 0x99, 0xFF, 0xF0, 0xFF, 0xF1});
    made = MakeTableFromHit(*big, {{std::nullopt, 'A', 'B'}, 2, true}, "", 0);
    EXPECT_NE(made.text.find("FFF0=A\n"), std::string::npos);
    EXPECT_EQ(made.entries, 16); // A to P
    EXPECT_EQ(made.leftOut.front(), "Q: its value would be 65536, outside 16 bits");

    // A kana row, one byte a character, from a hit in its middle.
    const auto kana = test::DocumentOf({0x10, 0x12, 0x12, 0x13, 0x14});
    const std::string row = "\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x81\x88\xE3\x81\x8A";
    made = MakeTableFromHit(*kana, {{2, 3}, 1, false}, row, 2);
    EXPECT_EQ(
        made.text,
        "10=\xE3\x81\x82\n11=\xE3\x81\x84\n12=\xE3\x81\x86\n13=\xE3\x81\x88\n14=\xE3\x81\x8A\n");
    EXPECT_TRUE(made.leftOut.empty());
    table = ParseTable(made.text, "kana", kUtf8CodePage).table;
    EXPECT_EQ(DecodedAt(table, *kana, 3), "\xE3\x81\x88");
}

} // namespace
} // namespace byteloom
