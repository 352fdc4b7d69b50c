// One paint of a full-HD data window with a table of two-byte keys, for a small file and for a
// 1 GiB paged one: the cost must not depend on the file's size.
#include "bench_files.h"
#include "session/session.h"
#include "tables/loaded_tables.h"
#include "view/data_window.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

namespace byteloom {
namespace {

std::filesystem::path TwoByteTable()
{
    const auto path = bench::BenchFile("paint.tbl", 0);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ".title=Paint\n/FF\n*FE\n";
    char line[32];
    for (int c = 0x20; c < 0x7F; ++c) {
        std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
        out << line;
    }
    for (int i = 0; i < 7000; ++i) {
        std::snprintf(line, sizeof line, "%04X=w%d\n", 0x8000 + i, i % 100);
        out << line;
    }
    return path;
}

void PaintFullHd(benchmark::State &state, const char *name, std::int64_t size)
{
    Session session;
    if (session.OpenDocument(bench::BenchFile(name, size), true).status != LoadStatus::Loaded
        || !LoadTableFile(RealFileSystem(), TwoByteTable(), session.tables()).status.ok()) {
        state.SkipWithError("cannot load the file or the table");
        return;
    }
    DataWindow window(session);
    window.resize(1920, 1080);
    window.SettingsChanged();
    // In the middle of the file, where the rows of a paged document stand on two pages.
    window.verticalScrollBar()->setValue(window.verticalScrollBar()->maximum() / 2);
    // The viewport takes the window's size once the pending layout has run.
    QApplication::processEvents();
    QImage image(window.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        window.viewport()->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
    state.counters["rows"] = static_cast<double>(window.PaintedEdges().size());
    state.counters["paged"] = session.document().IsPaged() ? 1 : 0;
}

void BM_PaintFullHd1KiB(benchmark::State &state)
{
    PaintFullHd(state, "paint-1KiB.bin", 1024);
}
BENCHMARK(BM_PaintFullHd1KiB)->Unit(benchmark::kMillisecond);

void BM_PaintFullHd1GiBPaged(benchmark::State &state)
{
    PaintFullHd(state, "paged-1GiB.bin", 1024LL * 1024 * 1024);
}
BENCHMARK(BM_PaintFullHd1GiBPaged)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace byteloom

int main(int argc, char **argv)
{
    // Painting needs no screen: the offscreen platform draws into memory.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
