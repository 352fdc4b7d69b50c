// Peak resident memory of a paged document read from end to end: only one page is held.
#include "bench_files.h"
#include "document/document.h"

#include <benchmark/benchmark.h>

namespace byteloom {
namespace {

void BM_ReadWhole1GiBPaged(benchmark::State &state)
{
    const std::int64_t size = 1024LL * 1024 * 1024;
    const auto path = bench::BenchFile("paged-1GiB.bin", size);
    for (auto _ : state) {
        Document document(kPageSize, RealFileSystem());
        if (document.Load(path, true).status != LoadStatus::Loaded) {
            state.SkipWithError("cannot load the file");
            return;
        }
        unsigned sum = 0;
        for (std::int64_t offset = 0; offset < size; ++offset)
            sum += document.ReadByte(offset);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * size);
    state.counters["peakResidentMiB"]
        = static_cast<double>(bench::PeakResidentBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ReadWhole1GiBPaged)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
} // namespace byteloom
