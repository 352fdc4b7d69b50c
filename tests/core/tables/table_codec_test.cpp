#include "document/document.h"
#include "support/documents.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

std::pair<std::string, int>
Decode(const TableFile &table, std::vector<std::uint8_t> bytes, int subtable = 0)
{
    const DecodedEntry decoded = DecodeBytes(table, table.GetSubtable(subtable), bytes);
    return {decoded.entry->text, decoded.byteCount};
}

bool IsFallback(const TableFile &table, std::vector<std::uint8_t> bytes)
{
    return DecodeBytes(table, table.GetSubtable(0), bytes).IsFallback();
}

TEST(TableCodec, DecodingTakesTheLongestKeyAndFallsBackToOneByte)
{
    const TableFile table = ParseTable("81=x\n8140=y\n", "t").table;
    EXPECT_EQ(Decode(table, {0x81, 0x40}), std::make_pair(std::string("y"), 2));
    EXPECT_EQ(Decode(table, {0x81, 0x41}), std::make_pair(std::string("x"), 1));
    EXPECT_EQ(Decode(table, {0x9C, 0x00}), std::make_pair(std::string("."), 1));
    EXPECT_TRUE(IsFallback(table, {0x9C}));
    // At the end of the document only the remaining byte forms the key.
    EXPECT_EQ(Decode(table, {0x81}), std::make_pair(std::string("x"), 1));

    // 00 41 is the one-byte key 41 to a two-byte lookup, so it never matches 8140's run.
    const TableFile wide = ParseTable("8140=y\n", "w").table;
    EXPECT_TRUE(IsFallback(wide, {0x00, 0x41}));

    const TableFile four = ParseTable("/01020304\n41=A\n", "f").table;
    EXPECT_EQ(Decode(four, {1, 2, 3, 4}), std::make_pair(std::string("BYTELOOM_ENDSTRING"), 4));
    EXPECT_EQ(Decode(four, {0x41, 2, 3, 4}), std::make_pair(std::string("A"), 1));
}

TEST(TableCodec, DecodeAtReadsTheDocumentAndNeverPastItsEnd)
{
    const TableFile table = ParseTable("81=x\n8140=y\n/FFFFFFFF\n", "t").table;
    auto owned = test::DocumentOf({0x81, 0x40, 0x81});
    Document &document = *owned;
    EXPECT_EQ(DecodeAt(table, document, 0).entry->text, "y");
    EXPECT_EQ(DecodeAt(table, document, 0).byteCount, 2);
    EXPECT_EQ(DecodeAt(table, document, 2).entry->text, "x");
    EXPECT_TRUE(DecodeAt(table, document, 3).IsFallback());
    EXPECT_TRUE(DecodeAt(table, document, -1).IsFallback());
}

// The subtable for an offset decides, for decoding and for encoding; the runs that a walk asks
// for end at the next range boundary.
TEST(TableCodec, OffsetsChooseTheSubtable)
{
    const TableFile table
        = ParseTable("41=A\nsubtable=80\nstart=1000\nend=1fff\n41=a\nsubtableend=81\n", "s").table;
    auto owned = test::DocumentOf(std::vector<std::uint8_t>(0x2000, 0x41));
    EXPECT_EQ(DecodeAt(table, *owned, 0x1000).entry->text, "a");
    EXPECT_EQ(DecodeAt(table, *owned, 0x0FFF).entry->text, "A");
    EXPECT_EQ(table.SubtableRunAt(0).number, 0);
    EXPECT_EQ(table.SubtableRunAt(0).until, 0x1000);
    EXPECT_EQ(table.SubtableRunAt(0x1800).number, 1);
    EXPECT_EQ(table.SubtableRunAt(0x1800).until, 0x2000);
    // "AA" written from 0FFF: its first key lands in Main, its second in the subtable.
    EXPECT_EQ(EncodeText(table, "AAa", 0x0FFF), (std::vector<std::uint8_t>{0x41, 0x41}));
    EXPECT_EQ(EncodeText(table, "aA", 0x0FFF), (std::vector<std::uint8_t>{0x41}));
}

TEST(TableCodec, EncodingTakesTheLongestTextAndSkipsUnknownCharacters)
{
    const TableFile table = ParseTable("01=ab\n02=a\n03=b\n8140=xy\n/FF\n", "e").table;
    EXPECT_EQ(EncodeText(table, "abb", 0), (std::vector<std::uint8_t>{0x01, 0x03}));
    EXPECT_EQ(EncodeText(table, "a?b", 0), (std::vector<std::uint8_t>{0x02, 0x03}));
    EXPECT_EQ(EncodeText(table, "xy", 0), (std::vector<std::uint8_t>{0x81, 0x40}));
    EXPECT_EQ(EncodeText(table, "aBYTELOOM_ENDSTRING", 0), (std::vector<std::uint8_t>{0x02, 0xFF}));
    EXPECT_TRUE(EncodeText(table, "", 0).empty());
    EXPECT_TRUE(EncodeText(TableFile(), "abc", 0).empty());
    // Of entries that share a text, the first in the file is encoded, whatever the keys.
    EXPECT_EQ(EncodeText(ParseTable("41=A\n61=A\n", "s").table, "A", 0),
              (std::vector<std::uint8_t>{0x41}));
    EXPECT_EQ(EncodeText(ParseTable("61=A\n41=A\n", "s").table, "A", 0),
              (std::vector<std::uint8_t>{0x61}));
}

TEST(TableCodec, EditsKeepTheLookupsCurrent)
{
    TableFile table = ParseTable("41=A\n", "e").table;
    table.AddEntry(0, 0x8140, "wide");
    const int sub = table.AddSubtable(0xE0, 0xE1);
    table.AddRange(sub, 0x10, 0x20);
    table.AddEntry(sub, 0x41, "sub");
    EXPECT_EQ(table.GetMaxKeyBytes(), 2);
    EXPECT_EQ(table.GetMaxTextLen(), 4);
    EXPECT_EQ(Decode(table, {0x81, 0x40}).first, "wide");
    EXPECT_EQ(table.FindSubtableForOffset(0x15), sub);
    EXPECT_EQ(Decode(table, {0x41}, sub).first, "sub");
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// Large runs of two-byte keys are looked up through a direct index, small ones by bisection;
// both must find the same entries, the first of equal keys included.
TEST(TableCodec, LargeAndSmallKeyRunsFindTheSameEntries)
{
    for (const int count : {10, 1000}) {
        std::string text = "8100=first\n81=one\n";
        for (int i = 0; i < count; ++i) {
            char line[32];
            std::snprintf(line, sizeof line, "%04X=e%d\n", 0x8100 + i * 3, i);
            text += line;
        }
        const TableFile table = ParseTable(text, "big").table;
        EXPECT_EQ(table.FindEntryByKey(0, 2, 0x8100)->text, "first") << count;
        EXPECT_EQ(
            table.FindEntryByKey(0, 2, static_cast<std::uint32_t>(0x8100 + 3 * (count - 1)))->text,
            "e" + std::to_string(count - 1));
        EXPECT_EQ(table.FindEntryByKey(0, 2, 0x8101), nullptr) << count;
        EXPECT_EQ(table.FindEntryByKey(0, 2, 0x0081), nullptr) << count;
        EXPECT_EQ(table.FindEntryByKey(0, 1, 0x81)->text, "one") << count;
        EXPECT_EQ(Decode(table, {0x81, 0x00}), std::make_pair(std::string("first"), 2));
        EXPECT_EQ(Decode(table, {0x81, 0x01}), std::make_pair(std::string("one"), 1));
        EXPECT_TRUE(IsFallback(table, {0x00, 0x81}));
    }
}

} // namespace
} // namespace byteloom
