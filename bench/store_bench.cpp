// The paged byte store: reading inside a page, swapping pages, committing dirty pages.
#include "bench_files.h"
#include "document/document.h"
#include "platform/binary_file.h"

#include <benchmark/benchmark.h>

namespace byteloom {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

void ReadEveryByte(benchmark::State &state, const char *name, std::int64_t size)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(bench::BenchFile(name, size), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    for (auto _ : state) {
        unsigned sum = 0;
        for (std::int64_t offset = 0; offset < size; ++offset)
            sum += document.ReadByte(offset);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["paged"] = document.IsPaged() ? 1 : 0;
}

void BM_ReadByteSequentialPaged64MiB(benchmark::State &state)
{
    ReadEveryByte(state, "paged-64MiB.bin", 64 * kMiB);
}
BENCHMARK(BM_ReadByteSequentialPaged64MiB)->Unit(benchmark::kMillisecond);

void BM_ReadByteSequentialWhole4MiB(benchmark::State &state)
{
    ReadEveryByte(state, "whole-4MiB.bin", 4 * kMiB);
}
BENCHMARK(BM_ReadByteSequentialWhole4MiB)->Unit(benchmark::kMillisecond);

// Each iteration swaps one page out and the next of three in, so that the page that comes in is
// never the one kept beside it (going back and forth between two costs no read); the dirty
// variant also parks the page it swaps out in its page file.
void PageSwap(benchmark::State &state, bool dirty)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(bench::BenchFile("paged-64MiB.bin", 64 * kMiB), true).status
        != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    std::int64_t other = kPageSize;
    for (auto _ : state) {
        if (dirty)
            document.WriteByte(document.PageBase(), 1);
        benchmark::DoNotOptimize(document.ReadByte(other));
        other = (other + kPageSize) % (3 * kPageSize);
    }
    state.counters["pageFileBytesPerSwap"]
        = benchmark::Counter(static_cast<double>(document.Stats().bytesWrittenToPageFiles),
                             benchmark::Counter::kAvgIterations);
}

void BM_PageSwapClean(benchmark::State &state)
{
    PageSwap(state, false);
}
BENCHMARK(BM_PageSwapClean)->Unit(benchmark::kMillisecond);

void BM_PageSwapDirty(benchmark::State &state)
{
    PageSwap(state, true);
}
BENCHMARK(BM_PageSwapDirty)->Unit(benchmark::kMillisecond);

// Two dirty pages of a 1 GiB file: one parked in its page file, one in memory. The first
// argument is how many bytes of each page change: one, or all of them.
void BM_CommitTwoDirtyPagesOf1GiB(benchmark::State &state)
{
    const auto changed = static_cast<std::int64_t>(state.range(0));
    Document document(kPageSize, RealFileSystem());
    if (document.Load(bench::BenchFile("paged-1GiB.bin", 1024 * kMiB), true).status
        != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    std::int64_t written = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (const std::int64_t page : {3, 100}) {
            if (changed == 1)
                document.AddToByte(page * kPageSize + 7, 1);
            else
                for (std::int64_t at = 0; at < changed; ++at)
                    document.AddToByte(page * kPageSize + at, 1);
        }
        const std::int64_t before = document.Stats().bytesWrittenToFile;
        state.ResumeTiming();
        if (!document.CommitPages().ok())
            state.SkipWithError("commit failed");
        written += document.Stats().bytesWrittenToFile - before;
    }
    state.counters["bytesWrittenPerCommit"]
        = benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_CommitTwoDirtyPagesOf1GiB)->Arg(1)->Arg(kPageSize)->Unit(benchmark::kMillisecond);

// The reference: the same two pages written whole straight into the file and synced, as a
// commit without a rollback file did; the commit above keeps the old bytes of what changed in
// the rollback file first, and writes only the blocks that changed.
void BM_WriteTwoPagesInPlaceReference(benchmark::State &state)
{
    BinaryFile file(RealFileSystem());
    if (!file.Open(bench::BenchFile("paged-1GiB.bin", 1024 * kMiB), BinaryFile::Mode::Update)
             .ok()) {
        state.SkipWithError("cannot open the file");
        return;
    }
    std::vector<std::uint8_t> first(static_cast<std::size_t>(kPageSize));
    std::vector<std::uint8_t> second(first.size());
    for (auto _ : state) {
        state.PauseTiming();
        if (!file.ReadAt(3 * kPageSize, first).ok() || !file.ReadAt(100 * kPageSize, second).ok())
            state.SkipWithError("read failed");
        state.ResumeTiming();
        if (!file.WriteAt(3 * kPageSize, first).ok() || !file.WriteAt(100 * kPageSize, second).ok()
            || !file.Sync().ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteTwoPagesInPlaceReference)->Unit(benchmark::kMillisecond);

// Opening: a sparse image of 16 GiB costs what a file of 1 KiB does (the first page is read,
// nothing else).
void OpenFile(benchmark::State &state, const std::filesystem::path &path)
{
    for (auto _ : state) {
        Document document(kPageSize, RealFileSystem());
        if (document.Load(path, true).status != LoadStatus::Loaded)
            state.SkipWithError("cannot load the file");
        benchmark::DoNotOptimize(document.ReadByte(0));
    }
}

void BM_Open1KiB(benchmark::State &state)
{
    OpenFile(state, bench::BenchFile("small-1KiB.bin", 1024));
}
BENCHMARK(BM_Open1KiB)->Unit(benchmark::kMicrosecond);

void BM_OpenSparse16GiB(benchmark::State &state)
{
    OpenFile(state, bench::SparseBenchFile("sparse-16GiB.iso", std::int64_t{16} << 30));
}
BENCHMARK(BM_OpenSparse16GiB)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace byteloom
