#include "search/search_pattern.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Kinds = std::vector<AsteriskKind>;
constexpr auto W = AsteriskKind::Wildcard;
constexpr auto L = AsteriskKind::Literal;

TEST(SearchPattern, HexTextIgnoresSpacesAndNeedsCompleteBytes)
{
    for (const char *text : {"41 42", "4142", "41  42", " 4 1 4 2 "})
        EXPECT_EQ(ParseHexPattern(text)->bytes, (Bytes{0x41, 0x42})) << text;
    EXPECT_FALSE(ParseHexPattern("414").has_value());
    EXPECT_FALSE(ParseHexPattern("4G").has_value());
    EXPECT_FALSE(ParseHexPattern("41-42").has_value());
    EXPECT_FALSE(ParseHexPattern("4*1").has_value());
    EXPECT_EQ(ParseHexPattern("41 00 42")->bytes, (Bytes{0x41, 0x00, 0x42}));
    EXPECT_TRUE(ParseHexPattern("")->bytes.empty());
    EXPECT_EQ(HexHistoryText("41 42  43"), "414243");

    const auto wild = ParseHexPattern("41*43");
    EXPECT_EQ(wild->bytes, (Bytes{0x41, 0x2A, 0x43}));
    EXPECT_EQ(wild->asteriskKinds, (Kinds{W}));
    EXPECT_EQ(ParseHexPattern("2A")->asteriskKinds, (Kinds{L}));
    EXPECT_EQ(ParseHexPattern("*")->asteriskKinds, (Kinds{W}));
    // Any number of asterisks, and only the first 99 characters count.
    EXPECT_EQ(ParseHexPattern(std::string(120, '*'))->length(), 99u);
}

TEST(SearchPattern, TextMarksEscapedAsterisksAsLiteral)
{
    const SearchPattern pattern = PrepareTextPattern("a\\*b*c");
    EXPECT_EQ(pattern.bytes, (Bytes{'a', '*', 'b', '*', 'c'}));
    EXPECT_EQ(pattern.asteriskKinds, (Kinds{L, W}));
    EXPECT_EQ(pattern.WildcardPositions(), (std::vector<bool>{false, false, false, true, false}));

    EXPECT_EQ(PrepareTextPattern("\\*").asteriskKinds, (Kinds{L}));
    const SearchPattern slashes = PrepareTextPattern("\\\\*");
    EXPECT_EQ(slashes.bytes, (Bytes{'\\', '*'}));
    EXPECT_EQ(slashes.asteriskKinds, (Kinds{L}));
    EXPECT_EQ(PrepareTextPattern("a\\b").bytes, (Bytes{'a', '\\', 'b'}));
    EXPECT_EQ(PrepareTextPattern(std::string(150, 'x')).length(), 99u);
    EXPECT_EQ(PrepareTextPattern("******").asteriskKinds.size(), 6u);
}

TEST(SearchPattern, SearchesStartAfterTheCaretExceptAtAFreshStart)
{
    EXPECT_EQ(FirstCandidate(0, false), 0);
    EXPECT_EQ(FirstCandidate(0, true), 1);
    EXPECT_EQ(FirstCandidate(0x122, false), 0x123);
}

} // namespace
} // namespace byteloom
