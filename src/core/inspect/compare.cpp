#include "inspect/compare.h"

#include "document/document.h"

#include <algorithm>
#include <cstring>

namespace byteloom {

namespace {

// Grows the open run with the differing bytes of a and b (equal lengths) found from at.
void AddDifferences(std::span<const std::uint8_t> a,
                    std::span<const std::uint8_t> b,
                    std::int64_t at,
                    Comparison &comparison)
{
    constexpr std::size_t kBlock = 64;
    std::size_t i = 0;
    while (i < a.size()) {
        // Equal blocks are passed over whole.
        const std::size_t block = std::min(kBlock, a.size() - i);
        if (std::memcmp(a.data() + i, b.data() + i, block) == 0) {
            i += block;
            continue;
        }
        for (const std::size_t end = i + block; i < end; ++i) {
            if (a[i] == b[i])
                continue;
            const std::int64_t offset = at + static_cast<std::int64_t>(i);
            auto &runs = comparison.runs;
            if (!runs.empty() && runs.back().offset + runs.back().length == offset)
                ++runs.back().length;
            else
                runs.push_back({offset, 1, 0});
            ++comparison.differingBytes;
        }
    }
}

} // namespace

Comparison CompareDocuments(Document &first, Document &second, const ProgressCallback &progress)
{
    Comparison comparison;
    const std::int64_t common = std::min(first.Size(), second.Size());
    for (std::int64_t at = 0; at < common;) {
        if (progress && !progress(at, common)) {
            comparison.status = Status::Cancelled();
            return comparison;
        }
        const std::span<const std::uint8_t> a = first.SpanAt(at);
        const std::span<const std::uint8_t> b = second.SpanAt(at);
        const auto count = static_cast<std::size_t>(std::min({static_cast<std::int64_t>(a.size()),
                                                              static_cast<std::int64_t>(b.size()),
                                                              common - at}));
        if (count == 0)
            break;
        if (std::memcmp(a.data(), b.data(), count) != 0)
            AddDifferences(a.first(count), b.first(count), at, comparison);
        at += static_cast<std::int64_t>(count);
    }
    for (Document *document : {&first, &second}) {
        if (auto error = document->TakeIoError()) {
            comparison.status = Status::Error(*error);
            return comparison;
        }
    }
    if (first.Size() != second.Size())
        comparison.runs.push_back({common,
                                   std::max(first.Size(), second.Size()) - common,
                                   first.Size() > second.Size() ? 1 : 2});
    return comparison;
}

std::string ComparisonSummary(const Comparison &comparison)
{
    if (comparison.runs.empty())
        return "The files are identical.";
    const auto counted = [](std::int64_t count, const char *what) {
        return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
    };
    const DifferenceRun &last = comparison.runs.back();
    const auto common = static_cast<std::int64_t>(comparison.runs.size()) - (last.onlyIn ? 1 : 0);
    std::string text;
    if (common > 0)
        text
            = counted(common, "difference") + " over " + counted(comparison.differingBytes, "byte");
    if (last.onlyIn) {
        text += (common > 0 ? ", and " : "") + counted(last.length, "byte") + " only in the "
                + (last.onlyIn == 1 ? "first" : "second") + " file";
    }
    return text + ".";
}

std::optional<std::int64_t> NextDifference(std::span<const DifferenceRun> runs, std::int64_t offset)
{
    const auto next = std::upper_bound(
        runs.begin(), runs.end(), offset, [](std::int64_t at, const DifferenceRun &run) {
            return at < run.offset;
        });
    return next == runs.end() ? std::nullopt : std::optional(next->offset);
}

std::optional<std::int64_t> PreviousDifference(std::span<const DifferenceRun> runs,
                                               std::int64_t offset)
{
    const auto after = std::lower_bound(
        runs.begin(), runs.end(), offset, [](const DifferenceRun &run, std::int64_t at) {
            return run.offset < at;
        });
    return after == runs.begin() ? std::nullopt : std::optional(std::prev(after)->offset);
}

} // namespace byteloom
