#pragma once

#include "common/progress.h"
#include "common/status.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace byteloom {

class Document;

// A run of bytes that differ: offset n of one file against offset n of the other. A length
// difference is one run at the end, held by the longer file only.
struct DifferenceRun
{
    std::int64_t offset = 0;
    std::int64_t length = 0;
    int onlyIn = 0; // 0: in both files; 1 or 2: past the end of the other

    bool operator==(const DifferenceRun &) const = default;
};

struct Comparison
{
    Status status = Status::Ok(); // Cancelled when progress stopped it
    std::vector<DifferenceRun> runs;
    std::int64_t differingBytes = 0; // over the runs in both files

    [[nodiscard]] bool Equal() const { return status.ok() && runs.empty(); }
};

// Compares two documents byte by byte, page by page through their caches (both must have the
// same page size), comparing whole blocks at memcmp speed and only differing ones byte by byte.
// progress hears of every page and may stop it; a store failure is in the status.
[[nodiscard]] Comparison
CompareDocuments(Document &first, Document &second, const ProgressCallback &progress = {});

// "The files are identical.", or "3 differences over 2 bytes, and 1 byte only in the second
// file."
[[nodiscard]] std::string ComparisonSummary(const Comparison &comparison);

// Next Difference: the start of the first run after offset. Previous Difference: the start of
// the last run before offset (the run the caret is in, when it is past its first byte).
[[nodiscard]] std::optional<std::int64_t> NextDifference(std::span<const DifferenceRun> runs,
                                                         std::int64_t offset);
[[nodiscard]] std::optional<std::int64_t> PreviousDifference(std::span<const DifferenceRun> runs,
                                                             std::int64_t offset);

} // namespace byteloom
