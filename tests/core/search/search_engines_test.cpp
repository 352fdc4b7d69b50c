#include "search/search_engines.h"
#include "support/documents.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <tuple>

#include <random>

namespace byteloom {
namespace {

using test::DocumentOf;

SearchPattern Hex(const char *text)
{
    return *ParseHexPattern(text);
}

std::optional<std::int64_t>
Value(std::vector<std::uint8_t> bytes, const char *pattern, std::int64_t from = 0)
{
    return ValueSearch(*DocumentOf(std::move(bytes)), Hex(pattern), from);
}

std::optional<std::int64_t>
Relative(std::vector<std::uint8_t> bytes, const char *pattern, std::int64_t from = 0)
{
    return RelativeSearch(*DocumentOf(std::move(bytes)), Hex(pattern), from);
}

TEST(ValueSearch, EveryCandidateIsTriedAndHitsLieInsideTheDocument)
{
    EXPECT_EQ(Value({0x00, 0x41, 0x41, 0x42, 0x43}, "414243"), 2);
    EXPECT_EQ(Value({0x41, 0x42}, "4142"), 0); // offset 0 itself
    EXPECT_EQ(Value({0x41, 0x42}, "4142", 1), std::nullopt);
    EXPECT_EQ(Value({0x00, 0xFF}, "FF"), 1);
    EXPECT_EQ(Value({0x00, 0x41, 0x42}, "4142"), 1); // ends at the last byte
    EXPECT_EQ(Value({0x00, 0x00, 0x41}, "4142"), std::nullopt);
    EXPECT_EQ(Value({0x00, 0x41}, "41*"), std::nullopt); // a wildcard past the end does not match
    EXPECT_EQ(Value({0x41, 0x00, 0x43}, "41*43"), 0);
    EXPECT_EQ(Value({0x41, 0xFF, 0x43}, "41*43"), 0);
    EXPECT_EQ(Value({0x41, 0xFF, 0x43, 0x41, 0x2A, 0x43}, "412A43"), 3);
    EXPECT_EQ(Value({0x10, 0x20}, "**"), 0);
    EXPECT_EQ(Value({0x10}, "**"), std::nullopt);
    EXPECT_EQ(Value({0x10, 0x20}, "", 1), 1); // an empty pattern hits the first candidate
    EXPECT_EQ(Value({0x10, 0x20}, "", 2), std::nullopt);

    // Many wildcards in one pattern.
    const SearchPattern text = PrepareTextPattern("a**\\*b***c");
    std::vector<std::uint8_t> bytes{'x', 'a', '1', '2', '*', 'b', '3', '4', '5', 'c'};
    EXPECT_EQ(ValueSearch(*DocumentOf(bytes), text, 0), 1);
    bytes[4] = '-';
    EXPECT_EQ(ValueSearch(*DocumentOf(bytes), text, 0), std::nullopt);
}

TEST(RelativeSearch, MatchesTheSpacingOfTheBytes)
{
    EXPECT_EQ(Relative({0x10, 0x11, 0x12}, "616263"), 0);
    EXPECT_EQ(Relative({0x00, 0x61, 0x62, 0x63}, "616263"), 1);
    EXPECT_EQ(Relative({0x10, 0x12, 0x14}, "616263"), std::nullopt);
    EXPECT_EQ(Relative({0x00, 0x02, 0x04}, "414345"), 0);
    EXPECT_EQ(Relative({0x00, 0x01}, "7F80"), 0);
    EXPECT_EQ(Relative({0xFF, 0x00}, "7F80"), std::nullopt); // no wrap-around
    EXPECT_EQ(Relative({0x05, 0x01, 0x02, 0x03}, "102030"), std::nullopt);
    EXPECT_EQ(Relative({0x05, 0x01, 0x02, 0x03}, "010203"), 1);

    // A wildcard on either side of a pair lets the pair pass.
    EXPECT_EQ(Relative({0x10, 0x99, 0x12}, "41*43"), 0);
    EXPECT_EQ(Relative({0x10, 0x11, 0x77}, "4142*"), 0);
    // Length 1 hits the first candidate; length 0 never hits.
    EXPECT_EQ(Relative({0x10, 0x11}, "41", 1), 1);
    EXPECT_EQ(Relative({0x10, 0x11}, "", 0), std::nullopt);
}

// Naive forms of both engines, one candidate and one byte at a time.
bool NaiveMatch(const std::vector<std::uint8_t> &data,
                const SearchPattern &pattern,
                std::size_t p,
                bool relative)
{
    const auto wildcard = pattern.WildcardPositions();
    const std::size_t n = pattern.length();
    if (p + n > data.size())
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!relative) {
            if (!wildcard[i] && data[p + i] != pattern.bytes[i])
                return false;
        } else if (i + 1 < n && !wildcard[i] && !wildcard[i + 1]) {
            if (data[p + i] - data[p + i + 1] != pattern.bytes[i] - pattern.bytes[i + 1])
                return false;
        }
    }
    return n > 0 || !relative;
}

// Small pages and few values (many near misses at page edges), then long runs of bytes from the
// ends of the range (differences that wrap around modulo 256, found sixteen bytes a step).
TEST(SearchEngines, PagedSearchesFindWhatANaiveScanFinds)
{
    test::TempFolder folder;
    std::mt19937 random(99);
    const std::vector<std::vector<std::uint8_t>> alphabets{{0, 1, 2, 3},
                                                           {0, 1, 0x7F, 0x80, 0xFE, 0xFF}};
    for (const auto &[pageSize, size, alphabet] :
         {std::tuple{std::int64_t{64}, std::size_t{1000}, alphabets[0]},
          std::tuple{std::int64_t{4096}, std::size_t{20000}, alphabets[1]}}) {
        std::vector<std::uint8_t> data(size);
        for (auto &byte : data)
            byte = alphabet[random() % alphabet.size()];
        test::WriteBytes(folder / "s.bin", data);
        Document document(pageSize, RealFileSystem());
        ASSERT_EQ(document.Load(folder / "s.bin", true).status, LoadStatus::Loaded);
        ASSERT_TRUE(document.IsPaged());

        for (int round = 0; round < 300; ++round) {
            SearchPattern pattern;
            const std::size_t length = 1 + random() % 6;
            for (std::size_t i = 0; i < length; ++i) {
                const bool asterisk = random() % 5 == 0;
                pattern.bytes.push_back(asterisk ? 0x2A : alphabet[random() % alphabet.size()]);
                if (asterisk)
                    pattern.asteriskKinds.push_back(random() % 2 ? AsteriskKind::Wildcard
                                                                 : AsteriskKind::Literal);
            }
            const auto from = static_cast<std::int64_t>(random() % data.size());
            for (const bool relative : {false, true}) {
                std::optional<std::int64_t> expected;
                for (std::size_t p = static_cast<std::size_t>(from); p < data.size() && !expected;
                     ++p) {
                    if (NaiveMatch(data, pattern, p, relative))
                        expected = static_cast<std::int64_t>(p);
                }
                const auto found = relative ? RelativeSearch(document, pattern, from)
                                            : ValueSearch(document, pattern, from);
                ASSERT_EQ(found, expected)
                    << "round " << round << (relative ? " relative" : " value");
            }
        }
    }
}

// 16-bit relative searches against a plain scan, in both byte orders, whole and paged through
// small pages: data of few byte values, so that units agree often, and places that differ by
// more than a byte can, with wildcards.
TEST(RelativeSearch, WideValuesFindWhatAPlainScanFinds)
{
    test::TempFolder folder;
    std::mt19937 random(7);
    std::vector<std::uint8_t> data(3000);
    for (auto &byte : data)
        byte = static_cast<std::uint8_t>(random() % 3);
    test::WriteBytes(folder / "w.bin", data);
    const auto whole = DocumentOf(data);
    Document paged(64, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "w.bin", true).status, LoadStatus::Loaded);
    const auto unit = [&](std::size_t at, bool big) {
        return big ? data[at] << 8 | data[at + 1] : data[at + 1] << 8 | data[at];
    };
    for (int round = 0; round < 400; ++round) {
        RelativeQuery query;
        query.width = 2;
        query.bigEndian = random() % 2 == 0;
        const std::size_t length = 1 + random() % 5;
        for (std::size_t i = 0; i < length; ++i) {
            if (random() % 6 == 0)
                query.places.emplace_back();
            else
                query.places.emplace_back(
                    static_cast<std::int32_t>((random() % 3) << 8 | random() % 3));
        }
        const auto matchesAt = [&](std::size_t p) {
            if (p + 2 * length > data.size())
                return false;
            for (std::size_t i = 0; i + 1 < length; ++i) {
                const auto &a = query.places[i];
                const auto &b = query.places[i + 1];
                if (a && b
                    && unit(p + 2 * i, query.bigEndian) - unit(p + 2 * i + 2, query.bigEndian)
                           != *a - *b)
                    return false;
            }
            return true;
        };
        const auto from = static_cast<std::size_t>(random() % data.size());
        std::optional<std::int64_t> expected;
        for (std::size_t p = from; p < data.size() && !expected; ++p)
            if (matchesAt(p))
                expected = static_cast<std::int64_t>(p);
        const auto start = static_cast<std::int64_t>(from);
        ASSERT_EQ(RelativeSearch(*whole, query, start), expected) << "round " << round;
        ASSERT_EQ(RelativeSearch(paged, query, start), expected) << "round " << round << " paged";
    }
}

TEST(SearchEngines, ProgressHearsOfEachPageAndCanStopTheSearch)
{
    test::TempFolder folder;
    test::WriteBytes(folder / "p.bin", std::vector<std::uint8_t>(256, 0));
    Document document(64, RealFileSystem());
    ASSERT_EQ(document.Load(folder / "p.bin", true).status, LoadStatus::Loaded);
    int calls = 0;
    EXPECT_FALSE(ValueSearch(document, Hex("01"), 0, [&](std::int64_t, std::int64_t total) {
        EXPECT_EQ(total, 256);
        return ++calls < 2;
    }));
    EXPECT_EQ(calls, 2);
}

} // namespace
} // namespace byteloom
