#include "inspect/compare.h"

#include "document/document.h"
#include "support/documents.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <random>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The runs a plain byte-by-byte loop finds.
std::vector<DifferenceRun> PlainRuns(const Bytes &a, const Bytes &b)
{
    std::vector<DifferenceRun> runs;
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (a[i] == b[i])
            continue;
        const auto offset = static_cast<std::int64_t>(i);
        if (!runs.empty() && runs.back().offset + runs.back().length == offset)
            ++runs.back().length;
        else
            runs.push_back({offset, 1, 0});
    }
    if (a.size() != b.size())
        runs.push_back({static_cast<std::int64_t>(common),
                        static_cast<std::int64_t>(std::max(a.size(), b.size()) - common),
                        a.size() > b.size() ? 1 : 2});
    return runs;
}

TEST(Compare, RunsOfDifferencesAndALengthDifferenceAtTheEnd)
{
    const auto a = test::DocumentOf({0x00, 0x11, 0x22, 0x33, 0x44});
    const auto b = test::DocumentOf({0x00, 0x99, 0x22, 0x33, 0x55, 0x66});
    const Comparison comparison = CompareDocuments(*a, *b);
    ASSERT_TRUE(comparison.status.ok());
    EXPECT_EQ(comparison.runs, (std::vector<DifferenceRun>{{1, 1, 0}, {4, 1, 0}, {5, 1, 2}}));
    EXPECT_EQ(comparison.differingBytes, 2);
    EXPECT_EQ(ComparisonSummary(comparison),
              "2 differences over 2 bytes, and 1 byte only in the second file.");
    EXPECT_EQ(ComparisonSummary(CompareDocuments(*a, *a)), "The files are identical.");
    const auto shorter = test::DocumentOf({0x00, 0x11, 0x22});
    EXPECT_EQ(ComparisonSummary(CompareDocuments(*a, *shorter)), "2 bytes only in the first file.");
    // Next Difference steps 0, 1, 4, 5; Previous from inside a run goes to its start.
    EXPECT_EQ(NextDifference(comparison.runs, 0), 1);
    EXPECT_EQ(NextDifference(comparison.runs, 1), 4);
    EXPECT_EQ(NextDifference(comparison.runs, 4), 5);
    EXPECT_EQ(NextDifference(comparison.runs, 5), std::nullopt);
    EXPECT_EQ(PreviousDifference(comparison.runs, 5), 4);
    EXPECT_EQ(PreviousDifference(comparison.runs, 2), 1);
    EXPECT_EQ(PreviousDifference(comparison.runs, 1), std::nullopt);
    const std::vector<DifferenceRun> wide{{4, 8, 0}};
    EXPECT_EQ(PreviousDifference(wide, 6), 4);
    EXPECT_EQ(NextDifference(wide, 6), std::nullopt);
    EXPECT_TRUE(CompareDocuments(*a, *a).Equal());
    EXPECT_TRUE(CompareDocuments(*a, *b, [](std::int64_t, std::int64_t) {
                    return false;
                }).status.cancelled());
}

// Random files, whole and paged through small pages, with differences alone, in runs, across
// page and block boundaries, and lengths that differ, against a plain loop.
TEST(Compare, RandomFilesWholeAndPagedGiveThePlainLoopsRuns)
{
    test::TempFolder folder;
    std::mt19937 random(3);
    for (int round = 0; round < 40; ++round) {
        Bytes a(static_cast<std::size_t>(random() % 3000));
        for (auto &byte : a)
            byte = static_cast<std::uint8_t>(random());
        Bytes b = a;
        b.resize(a.size() + random() % 3 - (a.size() > 2 ? random() % 3 : 0));
        for (int n = static_cast<int>(random() % 12); n > 0 && !b.empty(); --n) {
            const std::size_t at = random() % b.size();
            for (std::size_t k = 0; k < 1 + random() % 70 && at + k < b.size(); ++k)
                b[at + k] = static_cast<std::uint8_t>(b[at + k] + 1 + random() % 255);
        }
        const std::vector<DifferenceRun> expected = PlainRuns(a, b);
        test::WriteBytes(folder / "a.bin", a);
        test::WriteBytes(folder / "b.bin", b);
        for (const std::int64_t pageSize : {std::int64_t{64}, std::int64_t{100}, kPageSize}) {
            Document first(pageSize, RealFileSystem());
            Document second(pageSize, RealFileSystem());
            ASSERT_EQ(first.Load(folder / "a.bin", true).status, LoadStatus::Loaded);
            ASSERT_EQ(second.Load(folder / "b.bin", true).status, LoadStatus::Loaded);
            const Comparison comparison = CompareDocuments(first, second);
            ASSERT_TRUE(comparison.status.ok());
            EXPECT_EQ(comparison.runs, expected) << "round " << round << " pages " << pageSize;
        }
    }
}

} // namespace
} // namespace byteloom
