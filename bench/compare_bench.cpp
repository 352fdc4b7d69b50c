// Comparing two 1 GiB paged files that differ in 1,000 places, beside a plain memcmp over the
// same 8 MiB reads.
#include "bench_files.h"
#include "document/document.h"
#include "inspect/compare.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

namespace byteloom {
namespace {

constexpr std::int64_t kSize = 1024LL * 1024 * 1024;
constexpr std::size_t kRead = 8 * 1024 * 1024;

// The second file: the first with 1,000 bytes changed, made once.
const std::filesystem::path &ChangedCopy()
{
    static const std::filesystem::path path = [] {
        const auto original = bench::BenchFile("compare-1GiB.bin", kSize);
        auto copy = original;
        copy.replace_filename("compare-1GiB-changed.bin");
        std::filesystem::copy_file(
            original, copy, std::filesystem::copy_options::overwrite_existing);
        const int fd = ::open(copy.c_str(), O_RDWR);
        std::mt19937_64 random(11);
        for (int i = 0; i < 1000; ++i) {
            const auto at = static_cast<off_t>(random() % static_cast<std::uint64_t>(kSize));
            unsigned char byte = 0;
            if (::pread(fd, &byte, 1, at) == 1) {
                byte = static_cast<unsigned char>(byte ^ 0x5A);
                (void)::pwrite(fd, &byte, 1, at);
            }
        }
        ::close(fd);
        return copy;
    }();
    return path;
}

void BM_CompareDocuments1GiB(benchmark::State &state)
{
    Document first(kPageSize, RealFileSystem());
    Document second(kPageSize, RealFileSystem());
    if (first.Load(bench::BenchFile("compare-1GiB.bin", kSize), true).status != LoadStatus::Loaded
        || second.Load(ChangedCopy(), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the files");
        return;
    }
    std::size_t runs = 0;
    for (auto _ : state)
        runs = CompareDocuments(first, second).runs.size();
    state.counters["runs"] = static_cast<double>(runs);
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_CompareDocuments1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemcmpReference1GiB(benchmark::State &state)
{
    const auto firstPath = bench::BenchFile("compare-1GiB.bin", kSize);
    const auto &secondPath = ChangedCopy();
    std::vector<unsigned char> a(kRead);
    std::vector<unsigned char> b(kRead);
    for (auto _ : state) {
        const int first = ::open(firstPath.c_str(), O_RDONLY);
        const int second = ::open(secondPath.c_str(), O_RDONLY);
        std::int64_t differing = 0;
        for (off_t at = 0; at < kSize; at += static_cast<off_t>(kRead)) {
            const ssize_t got = ::pread(first, a.data(), kRead, at);
            if (got <= 0 || ::pread(second, b.data(), static_cast<std::size_t>(got), at) != got)
                break;
            differing += std::memcmp(a.data(), b.data(), static_cast<std::size_t>(got)) != 0;
        }
        ::close(first);
        ::close(second);
        benchmark::DoNotOptimize(differing);
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_MemcmpReference1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace byteloom
