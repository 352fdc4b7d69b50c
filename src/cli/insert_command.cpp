// byteloom-cli insert FILE SCRIPT (--table TABLE | --raw) [--address N] [--end N]: Insert
// Script, then save. byteloom-cli insert FILE SCRIPT... [--check]: command scripts, which name
// their own tables and places. The first line of the output is the count of bytes written; what
// did not fit or was skipped goes to stderr with the exit status 1.
#include "commands.h"
#include "common/path_text.h"
#include "console.h"
#include "scripts/command_insert.h"
#include "scripts/command_script.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"
#include "view/code_page_list.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct InsertOptions
{
    std::string file;
    std::vector<std::string> scripts;
    bool check = false;
    std::string table;
    bool raw = false;
    bool utf8 = false;
    bool shortest = false;
    std::string address;
    std::string end;
    bool decimal = false;
};

// Command scripts: every script planned and checked before anything is written; the report on
// stderr.
int RunCommandScripts(const InsertOptions &options, const std::vector<std::string> &stored)
{
    for (const auto &[given, option] : {std::pair{!options.table.empty(), "--table"},
                                        {options.raw, "--raw"},
                                        {options.utf8, "--utf8"},
                                        {options.shortest, "--shortest"},
                                        {!options.address.empty(), "--address"},
                                        {!options.end.empty(), "--end"}})
        if (given)
            return Fail(std::string(option)
                        + " is not for command scripts: they name their own tables and places. "
                          "Nothing was inserted.");
    Session session;
    if (!OpenDocument(session, options.file, false))
        return kExitFailure;
    std::vector<CommandScriptSource> sources;
    for (std::size_t i = 0; i < stored.size(); ++i)
        sources.push_back({std::filesystem::absolute(PathOfText(options.scripts[i])), stored[i]});
    TerminalProgress progress("Inserting");
    CommandScriptPlan plan = PlanCommandScripts(
        session.files(),
        sources,
        {std::filesystem::absolute(PathOfText(options.file)), session.document().Size()},
        progress.Callback());
    progress.Clear();
    if (plan.report.Failed()) {
        WriteText(stderr, ReportText(plan.report));
        return kExitFailure;
    }
    if (!options.check) {
        const Status applied
            = ApplyCommandScriptPlan(session.files(), session.document(), session.journal(), plan);
        if (!applied.ok())
            return Fail(applied.message());
        if (session.journal().CanUndo() && !SaveDocument(session))
            return kExitFailure;
    }
    std::printf("%lld\n", static_cast<long long>(plan.report.BytesWritten()));
    WriteText(stderr, ReportText(plan.report));
    return plan.report.Lost() ? kExitLoss : 0;
}

int RunInsert(const InsertOptions &options)
{
    std::vector<std::string> stored;
    for (const std::string &script : options.scripts) {
        auto read = ReadInput(script);
        if (!read)
            return kExitFailure;
        stored.push_back(std::move(*read));
    }
    const bool commands = IsCommandScript(stored.front());
    for (std::size_t i = 1; i < stored.size(); ++i)
        if (!commands || !IsCommandScript(stored[i]))
            return Fail(options.scripts[i]
                        + ": only command scripts (which begin with a "
                          "command such as #JMP) can follow one another. "
                          "Nothing was inserted.");
    if (commands)
        return RunCommandScripts(options, stored);
    if (options.check)
        return Fail("--check is for command scripts; nothing was inserted.");
    if (options.table.empty() && !options.raw)
        return Fail("Give --table TABLE or --raw: the script is not a command script, which "
                    "would name its tables.");
    Session session;
    if (!OpenDocument(session, options.file, false))
        return kExitFailure;
    if (!options.raw && !OpenTable(session, options.table))
        return kExitFailure;
    const TableFile *table = options.raw ? nullptr : session.tables().Current();
    const std::string *storedText = &stored.front();
    // A UTF-16 script is read in the code page it is inserted through (UTF-8 for --utf8).
    const int codePage = !table ? 0 : options.utf8 ? kUtf8CodePage : table->GetCodePage();
    const TextFileResult read = ScriptTextFromStoredBytes(*storedText, codePage);
    if (!read.status.ok())
        return Fail(read.status.message());
    std::string text = read.text;
    if (options.utf8 && !text.empty()) {
        // Into the table's code page; a character it cannot hold would be lost, so nothing is.
        text = session.decoder().FromUtf8String(table->GetCodePage(), text);
        if (text.empty())
            return Fail("The script has characters that code page "
                        + std::to_string(table->GetCodePage())
                        + " cannot hold, or is not UTF-8; nothing was inserted.");
    }
    InsertPlace place;
    place.shortest = options.shortest;
    if (table && HasOffsetHeaders(text)) {
        if (!options.address.empty())
            return Fail("The script places its strings by its offset headers; --address is only "
                        "for a script without them. Nothing was inserted.");
    } else {
        if (options.address.empty())
            return Fail("The script has no offset headers: give --address, where it goes.");
        const auto address = ParseOffset(options.address, options.decimal, "--address");
        if (!address || !RequireInside(session, *address, "--address"))
            return kExitFailure;
        place.address = *address;
    }
    if (!options.end.empty()) {
        const auto end = ParseOffset(options.end, options.decimal, "--end");
        if (!end)
            return kExitFailure;
        place.end = *end;
    }
    TerminalProgress progress("Inserting");
    const InsertResult result = InsertScriptText(
        session.document(), session.journal(), table, text, place, progress.Callback());
    progress.Clear();
    if (!result.status.ok())
        return Fail(result.status.message());
    if (result.bytesWritten > 0 && !SaveDocument(session))
        return kExitFailure;
    std::printf("%lld\n", static_cast<long long>(result.bytesWritten));
    // What did not go as written (bytes past the end, strings cut at their room's end, skipped
    // characters) goes to stderr, and the status says so, so that a build script stops on it.
    const std::string report = InsertReport(result);
    if (!report.empty())
        WriteText(stderr, report);
    return result.Lost() ? kExitLoss : 0;
}

} // namespace

Subcommand AddInsertCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "insert",
        "Insert a script into a file and save it, as Insert Script does; command scripts "
        "(several may follow one another) place their own text and rewrite pointers",
        [](CLI::App &command, InsertOptions &options) {
            command.add_option("FILE", options.file, "The file to write into")->required();
            command
                .add_option("SCRIPT",
                            options.scripts,
                            "The script file (- for standard input), or command scripts, "
                            "inserted in order")
                ->required();
            command.add_flag("--check",
                             options.check,
                             "Command scripts: check, encode and report, but write nothing");
            auto *table = command.add_option(
                "--table", options.table, "Encode the script through this table file");
            auto *raw = command.add_flag("--raw", options.raw, "Copy the script's bytes unchanged");
            auto *utf8 = command.add_flag(
                "--utf8", options.utf8, "The script is UTF-8: convert it to the table's code page");
            auto *shortest = command.add_flag(
                "--shortest",
                options.shortest,
                "Encode each run of text with the fewest bytes the table allows (a table without "
                "subtables), not the longest entry first");
            table->excludes(raw);
            utf8->excludes(raw);
            shortest->excludes(raw);
            command.add_option(
                "--address",
                options.address,
                "Where a script without offset headers goes (a dump with headers places "
                "its strings itself)");
            command.add_option("--end",
                               options.end,
                               "Write nothing at or past this offset (the end of the text's room)");
            AddDecimalFlag(command, options.decimal);
        },
        RunInsert);
}

} // namespace byteloom::cli
