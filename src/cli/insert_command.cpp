// byteloom-cli insert FILE SCRIPT (--table TABLE | --raw) [--address N] [--end N]: Insert
// Script, then save. The first line of the output is the count of bytes written; what did not fit
// or was skipped goes to stderr with the exit status 1.
#include "commands.h"
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
    std::string script;
    std::string table;
    bool raw = false;
    bool utf8 = false;
    std::string address;
    std::string end;
    bool decimal = false;
};

int RunInsert(const InsertOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file, false))
        return kExitFailure;
    if (!options.raw && !OpenTable(session, options.table))
        return kExitFailure;
    const TableFile *table = options.raw ? nullptr : session.tables().Current();
    const auto stored = ReadInput(options.script);
    if (!stored)
        return kExitFailure;
    // A UTF-16 script is read in the code page it is inserted through (UTF-8 for --utf8).
    const int codePage = !table ? 0 : options.utf8 ? kUtf8CodePage : table->GetCodePage();
    const TextFileResult read = ScriptTextFromStoredBytes(*stored, codePage);
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
        std::fputs(report.c_str(), stderr);
    return result.Lost() ? kExitLoss : 0;
}

} // namespace

Subcommand AddInsertCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "insert",
        "Insert a script into a file and save it, as Insert Script does",
        [](CLI::App &command, InsertOptions &options) {
            command.add_option("FILE", options.file, "The file to write into")->required();
            command.add_option("SCRIPT", options.script, "The script file (- for standard input)")
                ->required();
            auto *table = command.add_option(
                "--table", options.table, "Encode the script through this table file");
            auto *raw = command.add_flag("--raw", options.raw, "Copy the script's bytes unchanged");
            auto *utf8 = command.add_flag(
                "--utf8", options.utf8, "The script is UTF-8: convert it to the table's code page");
            table->excludes(raw);
            utf8->excludes(raw);
            command.add_option(
                "--address",
                options.address,
                "Where a script without offset headers goes (a dump with headers places "
                "its strings itself)");
            command.add_option("--end",
                               options.end,
                               "Write nothing at or past this offset (the end of the text's room)");
            AddDecimalFlag(command, options.decimal);
            command.callback([table, raw] {
                if (table->count() == 0 && raw->count() == 0)
                    throw CLI::ValidationError("insert", "give --table TABLE or --raw");
            });
        },
        RunInsert);
}

} // namespace byteloom::cli
