// Command scripts: a project's script of 100,000 strings and 100,000 pointers inserted into a
// 4 MiB image, by phase (parse; parse and encode, which computes every write; apply) and whole.
#include "bench_files.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "scripts/command_insert.h"
#include "scripts/command_script.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <random>

namespace byteloom {
namespace {

constexpr std::int64_t kImageSize = 4 * 1024 * 1024;
constexpr int kStrings = 100'000;
constexpr int kBlocks = 10;

// Printable ASCII, an end token, a line token and 200 two-letter words, so that every letter is
// read with what follows it.
std::filesystem::path TableFile()
{
    const auto path = bench::BenchFile("script-bench.tbl", 0);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    char line[32];
    for (int c = 0x20; c < 0x7F; ++c) {
        std::snprintf(line, sizeof line, "%02X=%c\n", c, c);
        out << line;
    }
    for (int i = 0; i < 200; ++i) {
        std::snprintf(line, sizeof line, "%04X=%c%c\n", 0x8000 + i, 'a' + i % 26, 'a' + i / 26);
        out << line;
    }
    out << "/00=<END>\n*01=<LINE>\n";
    return path;
}

const std::string &Script()
{
    static const std::string script = [] {
        std::string text = "// A generated project script\n#VAR(Table, TABLE)\n"
                           "#ADDTBL(\"script-bench.tbl\", Table)\n#ACTIVETBL(Table)\n"
                           "#VAR(Ptr, CUSTOMPOINTER)\n#CREATEPTR(Ptr, \"LOROM00\", 0, 24)\n"
                           "#VAR(PtrTbl, POINTERTABLE)\n#PTRTBL(PtrTbl, $0, 3, Ptr)\n";
        std::mt19937 random(7);
        char jump[64];
        for (int block = 0; block < kBlocks; ++block) {
            const int start = 0x40000 + block * 0x58000;
            std::snprintf(jump, sizeof jump, "#JMP($%X, $%X)\n", start, start + 0x58000 - 1);
            text += jump;
            for (int s = 0; s < kStrings / kBlocks; ++s) {
                text += "#WRITE(PtrTbl)\n";
                const int words = 3 + static_cast<int>(random() % 5);
                for (int w = 0; w < words; ++w) {
                    for (int c = 1 + static_cast<int>(random() % 7); c > 0; --c)
                        text.push_back(static_cast<char>('a' + random() % 26));
                    text += w == 2 ? "<LINE>\n" : " ";
                }
                text += "<END>\n";
            }
        }
        return text;
    }();
    return script;
}

std::vector<CommandScriptSource> Sources()
{
    return {{TableFile().parent_path() / "script.txt", Script()}};
}

OpenFile Image()
{
    return {bench::BenchFile("script-bench.sfc", kImageSize), kImageSize};
}

// The image as the editor holds it, opened afresh for each run.
std::unique_ptr<Document> OpenedImage()
{
    auto document = std::make_unique<Document>(kPageSize, RealFileSystem());
    (void)document->Load(Image().path, false);
    return document;
}

void Report(benchmark::State &state, const CommandScriptPlan &plan)
{
    state.counters["script_MB"] = static_cast<double>(Script().size()) / 1e6;
    state.counters["pointers"] = static_cast<double>(plan.report.PointerCount());
    state.counters["text_bytes"] = static_cast<double>(plan.report.BytesWritten());
}

void BM_CommandScriptParse(benchmark::State &state)
{
    for (auto _ : state) {
        const ParsedCommandScript parsed = ParseCommandScript(Script());
        benchmark::DoNotOptimize(parsed.steps.size());
    }
}
BENCHMARK(BM_CommandScriptParse)->Unit(benchmark::kMillisecond);

// Parsing, encoding and computing every write: all the work before anything is written.
void BM_CommandScriptPlan(benchmark::State &state)
{
    CommandScriptPlan plan;
    for (auto _ : state) {
        plan = PlanCommandScripts(RealFileSystem(), Sources(), Image());
        if (plan.report.Failed())
            state.SkipWithError(ReportText(plan.report).c_str());
    }
    Report(state, plan);
}
BENCHMARK(BM_CommandScriptPlan)->Unit(benchmark::kMillisecond);

void BM_CommandScriptApply(benchmark::State &state)
{
    CommandScriptPlan plan = PlanCommandScripts(RealFileSystem(), Sources(), Image());
    for (auto _ : state) {
        state.PauseTiming();
        const auto document = OpenedImage();
        UndoJournal journal;
        state.ResumeTiming();
        if (!ApplyCommandScriptPlan(RealFileSystem(), *document, journal, plan).ok())
            state.SkipWithError("the plan could not be applied");
    }
    Report(state, plan);
}
BENCHMARK(BM_CommandScriptApply)->Unit(benchmark::kMillisecond);

// The whole insert, as byteloom-cli runs it before saving.
void BM_CommandScriptInsert(benchmark::State &state)
{
    CommandScriptPlan plan;
    for (auto _ : state) {
        state.PauseTiming();
        const auto document = OpenedImage();
        UndoJournal journal;
        state.ResumeTiming();
        plan = PlanCommandScripts(RealFileSystem(), Sources(), Image());
        if (!ApplyCommandScriptPlan(RealFileSystem(), *document, journal, plan).ok())
            state.SkipWithError("the plan could not be applied");
    }
    Report(state, plan);
}
BENCHMARK(BM_CommandScriptInsert)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace byteloom
