// byteloom-cli compare A B: the runs of bytes that differ, offset n against offset n, one line
// each (offset and length in hexadecimal); exits 0 when the files are equal and 1 when they
// differ, as cmp does.
#include "commands.h"
#include "inspect/compare.h"

#include <cstdio>

namespace byteloom::cli {

namespace {

struct CompareOptions
{
    std::string first;
    std::string second;
};

int RunCompare(const CompareOptions &options)
{
    // Standard input is read once: it can stand for one of the files only.
    if (options.first == "-" && options.second == "-")
        return Fail("Standard input can be only one of the two files");
    Session first;
    Session second;
    if (!OpenDocument(first, options.first) || !OpenDocument(second, options.second))
        return kExitFailure;
    TerminalProgress progress("Comparing");
    const Comparison comparison
        = CompareDocuments(first.document(), second.document(), progress.Callback());
    progress.Clear();
    if (!comparison.status.ok())
        return Fail(comparison.status.message());
    for (const DifferenceRun &run : comparison.runs)
        std::printf("%08llX %llX%s\n",
                    static_cast<unsigned long long>(run.offset),
                    static_cast<unsigned long long>(run.length),
                    run.onlyIn == 1   ? " only in A"
                    : run.onlyIn == 2 ? " only in B"
                                      : "");
    return comparison.runs.empty() ? 0 : kExitNotFound;
}

} // namespace

Subcommand AddCompareCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "compare",
        "List the runs of bytes in which two files differ (offset and length); exit 1 when they "
        "differ",
        [](CLI::App &command, CompareOptions &options) {
            command.add_option("A", options.first, "The first file (- for standard input)")
                ->required();
            command.add_option("B", options.second, "The second file")->required();
        },
        RunCompare);
}

} // namespace byteloom::cli
