// Searching a 1 GiB paged file in the page cache: both engines side by side with grep -c -F.
#include "bench_files.h"
#include "document/document.h"
#include "scripts/pointer_search.h"
#include "search/search_engines.h"
#include "session/editing.h"
#include "session/search_state.h"
#include "view/caret_state.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace byteloom {
namespace {

constexpr std::int64_t kSize = 1024LL * 1024 * 1024;
// Absent from the file, so that every search reads it from end to end.
constexpr const char *kText = "Byteloom absent!";

std::filesystem::path LargeFile()
{
    return bench::BenchFile("paged-1GiB.bin", kSize);
}

void SearchWholeFile(benchmark::State &state, const SearchPattern &pattern, bool relative)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(LargeFile(), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    for (auto _ : state) {
        const auto hit
            = relative ? RelativeSearch(document, pattern, 0) : ValueSearch(document, pattern, 0);
        if (hit)
            state.SkipWithError("the pattern was found");
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_ValueSearch1GiB(benchmark::State &state)
{
    SearchWholeFile(state, PrepareTextPattern(kText), false);
}
BENCHMARK(BM_ValueSearch1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ValueSearchWithWildcards1GiB(benchmark::State &state)
{
    SearchWholeFile(state, PrepareTextPattern("Byte*oom ab*ent!"), false);
}
BENCHMARK(BM_ValueSearchWithWildcards1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RelativeSearch1GiB(benchmark::State &state)
{
    SearchWholeFile(state, PrepareTextPattern("translation"), true);
}
BENCHMARK(BM_RelativeSearch1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// 16-bit values at every byte offset, in both byte orders; against BM_MemchrEveryByteReference1GiB.
void RelativeSearchWide(benchmark::State &state, bool bigEndian)
{
    RelativeQuery query = RelativeQueryOf(PrepareTextPattern("translation"));
    query.width = 2;
    query.bigEndian = bigEndian;
    Document document(kPageSize, RealFileSystem());
    if (document.Load(LargeFile(), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    for (auto _ : state) {
        if (RelativeSearch(document, query, 0))
            state.SkipWithError("the pattern was found");
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_RelativeSearch16BitLittleEndian1GiB(benchmark::State &state)
{
    RelativeSearchWide(state, false);
}
BENCHMARK(BM_RelativeSearch16BitLittleEndian1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RelativeSearch16BitBigEndian1GiB(benchmark::State &state)
{
    RelativeSearchWide(state, true);
}
BENCHMARK(BM_RelativeSearch16BitBigEndian1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Find Pointers of one form over the whole file, beside memmem for the bytes that form gives:
// 24 bits (a few hits) and 16 bits (thousands, each checked against its window).
void FindPointersOfSize(benchmark::State &state, int bits)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(LargeFile(), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    const PointerShape shape{{AddressType::LoRom00, 0, bits}, false};
    std::size_t hits = 0;
    for (auto _ : state)
        hits = FindPointers(document, 0x40010, 0, {shape}).hits.size();
    state.counters["hits"] = static_cast<double>(hits);
    state.SetBytesProcessed(state.iterations() * kSize);
}

void BM_FindPointers24Bit1GiB(benchmark::State &state)
{
    FindPointersOfSize(state, 24);
}
BENCHMARK(BM_FindPointers24Bit1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FindPointers16Bit1GiB(benchmark::State &state)
{
    FindPointersOfSize(state, 16);
}
BENCHMARK(BM_FindPointers16Bit1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The bytes a 24-bit LoROM pointer to 0x40010 holds, found by memmem over the same reads.
void BM_MemmemPointerReference1GiB(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            bench::MemmemOverFile(LargeFile(), std::string_view("\x10\x80\x08", 3)));
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_MemmemPointerReference1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// Find as the editor runs it: the typed text prepared as the text column encodes it, the search
// from the caret, and the hit shown; against BM_ValueSearch1GiB, the engine alone.
void BM_FindThroughTheEditorsPath1GiB(benchmark::State &state)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(LargeFile(), true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    DisplaySettings display;
    TextDecoder decoder;
    const CodePageList codePages = CodePageList::Enumerate(decoder);
    const CaretView view{document.Size(), 40, {}};
    for (auto _ : state) {
        SearchState search;
        CaretState caret;
        const PreparedFind prepared
            = ConfirmFind(search, kText, nullptr, caret.Offset(), {display, codePages, decoder});
        const auto hit = FindFromCaret(document, search, caret);
        if (!prepared.pattern || hit)
            state.SkipWithError("the pattern was found");
        else
            ShowHit(caret, view, 0, 0, HitInTextColumn(search, false, true));
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_FindThroughTheEditorsPath1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same file through grep, for comparison.
void BM_GrepCountFixed1GiB(benchmark::State &state)
{
    const std::string command
        = std::string("grep -c -F '") + kText + "' '" + LargeFile().string() + "' > /dev/null";
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) == -1)
            state.SkipWithError("cannot run grep");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_GrepCountFixed1GiB)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();

// The C library over the same bytes, read the same way: the value search is measured against
// memmem for the same text, the relative search against memchr run over every byte (each hit
// taken up again), its floor for any scan that looks at every byte.
void BM_MemmemReference1GiB(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::MemmemOverFile(LargeFile(), kText));
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_MemmemReference1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MemchrEveryByteReference1GiB(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::MemchrOverFile(LargeFile(), 0xA5));
    state.SetBytesProcessed(state.iterations() * kSize);
}
BENCHMARK(BM_MemchrEveryByteReference1GiB)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
} // namespace byteloom
