// Tables: dumping through a large table, encoding a script, loading a table file.
#include "bench_files.h"
#include "document/document.h"
#include "tables/loaded_tables.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>

namespace byteloom {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

std::string Hex(int value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
    return text;
}

// About 7,000 entries with 2-byte keys, as a Japanese game's table has (a kanji each, in UTF-8),
// and the printable one-byte keys but "*", which would take the line breaks. With dictionary
// entries, 200 two-byte keys stand for words that the one-byte keys also spell, so that every
// letter's text must be read with what follows it.
std::string LargeTableText(int wideEntries, bool dictionary = false)
{
    std::string text = ".title=Bench\n/FF\n*FE\n";
    for (int c = 0x20; c < 0x7F; ++c) {
        if (c != '*')
            text += Hex(c, 2) + "=" + static_cast<char>(c) + "\n";
    }
    for (int i = 0; i < wideEntries; ++i) {
        const int kanji = 0x4E00 + i;
        std::string word = dictionary && i < 200
                               ? std::string(1, static_cast<char>('a' + i % 26))
                                     + static_cast<char>('a' + i / 26 % 26) + ' '
                               : std::string{static_cast<char>(0xE0 | kanji >> 12),
                                             static_cast<char>(0x80 | (kanji >> 6 & 0x3F)),
                                             static_cast<char>(0x80 | (kanji & 0x3F))};
        text += Hex(0x8000 + i, 4) + "=" + word + "\n";
    }
    return text;
}

// A file made only of the table's keys, so that every step of a dump finds an entry. Text-like
// files use the keys as text uses characters: a few very often, most rarely (the rank of each
// key is drawn log-uniformly, roughly Zipf's law); the uniform file draws every key alike,
// which is the worst case for the caches.
std::filesystem::path KeyedFile(const char *name, std::int64_t size, bool textLike)
{
    const auto path = bench::BenchFile(name, 0);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const auto rank = [&](int count) {
        if (!textLike)
            return static_cast<int>(random() % static_cast<unsigned>(count));
        return std::min(count - 1, static_cast<int>(std::pow(count, unit(random))) - 1);
    };
    std::string chunk;
    for (std::int64_t written = 0; written < size;) {
        chunk.clear();
        while (chunk.size() < 65536) {
            if (random() % 2 == 0) {
                const auto key = 0x8000 + rank(7000);
                chunk += static_cast<char>(key >> 8);
                chunk += static_cast<char>(key & 0xFF);
            } else {
                chunk += static_cast<char>(0x20 + rank(0x5F));
            }
            if (random() % 40 == 0)
                chunk += '\xFE';
        }
        const auto count
            = std::min<std::int64_t>(size - written, static_cast<std::int64_t>(chunk.size()));
        out.write(chunk.data(), count);
        written += count;
    }
    return path;
}

void DumpThrough7000Entries(benchmark::State &state,
                            const std::filesystem::path &file,
                            bool dictionary = false)
{
    const TableFile table = ParseTable(LargeTableText(7000, dictionary), "bench.tbl").table;
    Document document(kPageSize, RealFileSystem());
    if (document.Load(file, true).status != LoadStatus::Loaded) {
        state.SkipWithError("cannot load the file");
        return;
    }
    std::int64_t produced = 0;
    for (auto _ : state) {
        const Status status = DumpScript(
            document, &table, {0, document.Size()}, false, [&](std::string_view piece) {
                produced += static_cast<std::int64_t>(piece.size());
                return Status::Ok();
            });
        if (!status.ok())
            state.SkipWithError("dump failed");
    }
    state.SetBytesProcessed(state.iterations() * document.Size());
    state.counters["scriptBytesPerByte"]
        = static_cast<double>(produced) / static_cast<double>(state.iterations() * document.Size());
}

void BM_DumpScript64MiBTextLike(benchmark::State &state)
{
    DumpThrough7000Entries(state, KeyedFile("text-like-64MiB.bin", 64 * kMiB, true));
}
BENCHMARK(BM_DumpScript64MiBTextLike)->Unit(benchmark::kMillisecond);

void BM_DumpScript64MiBUniform(benchmark::State &state)
{
    DumpThrough7000Entries(state, KeyedFile("uniform-64MiB.bin", 64 * kMiB, false));
}
BENCHMARK(BM_DumpScript64MiBUniform)->Unit(benchmark::kMillisecond);

void BM_DumpScript64MiBTextLikeDictionary(benchmark::State &state)
{
    DumpThrough7000Entries(state, KeyedFile("text-like-64MiB.bin", 64 * kMiB, true), true);
}
BENCHMARK(BM_DumpScript64MiBTextLikeDictionary)->Unit(benchmark::kMillisecond);

// memmem over the same text-like file, read the same way: the dump's reference.
void BM_MemmemReference64MiB(benchmark::State &state)
{
    const auto file = KeyedFile("text-like-64MiB.bin", 64 * kMiB, true);
    for (auto _ : state)
        benchmark::DoNotOptimize(bench::MemmemOverFile(file, "Byteloom absent!"));
    state.SetBytesProcessed(state.iterations() * 64 * kMiB);
}
BENCHMARK(BM_MemmemReference64MiB)->Unit(benchmark::kMillisecond);

void BM_EncodeScript1MB(benchmark::State &state)
{
    const TableFile table = ParseTable(LargeTableText(7000), "bench.tbl").table;
    std::string script;
    std::mt19937 random(5);
    while (script.size() < 1000000) {
        script += random() % 3 == 0
                      ? "\xE4\xB8" + std::string(1, static_cast<char>(0x80 + random() % 64))
                      : std::string(1, static_cast<char>(0x20 + random() % 0x5F));
        if (random() % 50 == 0)
            script += "\r\n";
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeScript(table, script, 0));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(script.size()));
}
BENCHMARK(BM_EncodeScript1MB)->Unit(benchmark::kMillisecond);

void BM_LoadTable10000Entries(benchmark::State &state)
{
    const auto path = bench::BenchFile("table-10000.tbl", 0);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << LargeTableText(10000 - 0x5F);
    }
    for (auto _ : state) {
        LoadedTables tables;
        if (!LoadTableFile(RealFileSystem(), path, tables).status.ok())
            state.SkipWithError("cannot load the table");
        benchmark::DoNotOptimize(tables.Current());
    }
}
BENCHMARK(BM_LoadTable10000Entries)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace byteloom
