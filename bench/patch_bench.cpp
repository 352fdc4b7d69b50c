// Patches: a BPS patch of a 64 MiB image with 1 MiB changed (target: well under a second, and
// memory under three times the two images), and applying it.
#include "bench_files.h"
#include "patch/bps_patch.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace byteloom {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

struct Images
{
    std::vector<std::uint8_t> original;
    std::vector<std::uint8_t> modified;
};

// 64 MiB of varied bytes; 1 MiB of it rewritten in 256 pieces of 4 KiB spread over the image.
const Images &TheImages()
{
    static const Images images = [] {
        Images made;
        std::mt19937 random(64);
        made.original.resize(64 * kMiB);
        for (auto &byte : made.original)
            byte = static_cast<std::uint8_t>(random() % 7 == 0 ? random() : random() % 16);
        made.modified = made.original;
        for (std::size_t piece = 0; piece < 256; ++piece) {
            const std::size_t at = piece * (made.modified.size() / 256) + 1000;
            for (std::size_t i = 0; i < 4096; ++i)
                made.modified[at + i] = static_cast<std::uint8_t>(random());
        }
        return made;
    }();
    return images;
}

void BM_CreateBps64MiBWith1MiBChanged(benchmark::State &state)
{
    const Images &images = TheImages();
    std::size_t size = 0;
    for (auto _ : state) {
        const PatchResult patch = CreateBpsPatch(images.original, images.modified);
        size = patch.bytes.size();
        benchmark::DoNotOptimize(patch.bytes.data());
    }
    state.counters["patchKiB"] = static_cast<double>(size) / 1024.0;
    state.counters["peakMiB"] = static_cast<double>(bench::PeakResidentBytes()) / kMiB;
}
BENCHMARK(BM_CreateBps64MiBWith1MiBChanged)->Unit(benchmark::kMillisecond);

void BM_ApplyBps64MiBWith1MiBChanged(benchmark::State &state)
{
    const Images &images = TheImages();
    const PatchResult patch = CreateBpsPatch(images.original, images.modified);
    for (auto _ : state) {
        const PatchResult applied = ApplyBpsPatch(images.original, patch.bytes);
        if (!applied.status.ok())
            state.SkipWithError("apply failed");
        benchmark::DoNotOptimize(applied.bytes.data());
    }
}
BENCHMARK(BM_ApplyBps64MiBWith1MiBChanged)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace byteloom
