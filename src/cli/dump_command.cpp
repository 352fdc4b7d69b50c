// byteloom-cli dump FILE --table TABLE: a script file of a range, as Dump Script writes it.
#include "commands.h"
#include "document/safe_file_writer.h"
#include "tables/script_dump.h"
#include "view/code_page_list.h"

#include <filesystem>
#include <memory>

namespace byteloom::cli {

namespace {

struct DumpOptions
{
    std::string file;
    std::string table;
    std::string start = "0";
    std::string length;
    bool noClean = false;
    bool decimal = false;
    bool utf8 = false;
    std::string newline = "crcrlf";
    std::string output;
};

// The dump's line breaks, stored as CR CR LF, in the form asked for.
std::string WithNewlines(const std::string &stored, const std::string &newline)
{
    if (newline == "crcrlf")
        return stored;
    const std::string_view replacement = newline == "crlf" ? "\r\n" : "\n";
    std::string text;
    text.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored.compare(i, 3, "\r\r\n") == 0) {
            text += replacement;
            i += 2;
        } else {
            text += stored[i];
        }
    }
    return text;
}

// Whether -o names the file dumped or the table read: either would be lost.
bool WritesOverItsInput(const DumpOptions &options)
{
    if (options.output.empty() || options.output == kStandardStream)
        return false;
    std::error_code error;
    return (options.file != kStandardStream
            && std::filesystem::equivalent(options.file, options.output, error))
           || std::filesystem::equivalent(options.table, options.output, error);
}

Status WriteOut(const std::string &output, std::string_view bytes)
{
    if (output.empty() || output == kStandardStream)
        return WriteToStdout(bytes) ? Status::Ok()
                                    : Status::Error("Unable to write to standard output");
    return WriteFileSafely(
        output,
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()),
        RealFileSystem());
}

int RunDump(const DumpOptions &options)
{
    if (WritesOverItsInput(options))
        return Fail("-o " + options.output
                    + " is the file being dumped or its table; choose another name");
    Session session;
    if (!OpenDocument(session, options.file) || !OpenTable(session, options.table))
        return kExitFailure;
    const auto start = ParseOffset(options.start, options.decimal, "--start");
    if (!start || !RequireInside(session, *start, "--start"))
        return kExitFailure;
    std::int64_t length = session.document().Size() - *start;
    if (!options.length.empty()) {
        const auto given = ParseOffset(options.length, options.decimal, "--length");
        if (!given)
            return kExitFailure;
        length = *given;
    }
    Document &document = session.document();
    const TableFile *table = session.tables().Current();
    const ByteRange range{*start, length};
    const bool clean = !options.noClean;
    const bool toStdout = options.output.empty() || options.output == kStandardStream;
    // Progress shares the screen with the dump only when the dump goes elsewhere.
    TerminalProgress progress("Dumping", !(toStdout && StdoutIsTerminal()));
    Status status = Status::Ok();
    std::int64_t notExact = 0;
    if (!options.utf8 && options.newline == "crcrlf") {
        // As stored: straight to the file, or to standard output a piece at a time.
        status = toStdout ? DumpScript(
                     document,
                     table,
                     range,
                     clean,
                     [&progress](std::string_view piece) {
                         progress.Clear();
                         return WriteOut({}, piece);
                     },
                     progress.Callback(),
                     &notExact)
                          : DumpScriptToFile(RealFileSystem(),
                                             document,
                                             table,
                                             range,
                                             clean,
                                             options.output,
                                             progress.Callback(),
                                             &notExact);
    } else {
        // Whole in memory, so that line breaks and characters are never cut between pieces.
        std::string stored;
        status = DumpScript(
            document,
            table,
            range,
            clean,
            [&stored](std::string_view piece) {
                stored += piece;
                return Status::Ok();
            },
            progress.Callback(),
            &notExact);
        progress.Clear();
        if (auto error = document.TakeIoError(); error && status.ok())
            status = Status::Error(*error);
        if (status.ok()) {
            std::string text = WithNewlines(stored, options.newline);
            if (options.utf8) {
                const std::string inCodePage = text;
                text = session.decoder().ToUtf8(
                    table->GetCodePage(),
                    std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
                // Some code pages have characters that UTF-8 gives back as others (or not at
                // all): such a script would not insert back as it was dumped.
                if (session.decoder().FromUtf8String(table->GetCodePage(), text) != inCodePage) {
                    if (!clean)
                        return Fail("This dump has characters that UTF-8 would not give back as "
                                    "they are in code page "
                                    + std::to_string(table->GetCodePage())
                                    + ", so it would not insert back exactly; dump it without "
                                      "--utf8. Nothing was written.");
                    ++notExact;
                }
            }
            status = WriteOut(options.output, text);
        }
    }
    if (auto error = document.TakeIoError(); error && status.ok())
        status = Status::Error(*error);
    if (!status.ok())
        return Fail(status.message());
    if (notExact == 0)
        return 0;
    if (clean)
        std::fprintf(stderr,
                     "byteloom-cli: %lld keys of this Clean dump would not insert back as they "
                     "were (texts other texts spell, texts of several keys, bytes no entry "
                     "matches); dump with --no-clean for a script that inserts back exactly.\n",
                     static_cast<long long>(notExact));
    else
        std::fprintf(stderr,
                     "byteloom-cli: %lld keys of this dump cannot be written so that they insert "
                     "back: a line-break or string-end text of the table reads as their codes.\n",
                     static_cast<long long>(notExact));
    return kExitLoss;
}

} // namespace

Subcommand AddDumpCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "dump",
        "Dump a range of a file through a table, as Dump Script does",
        [](CLI::App &command, DumpOptions &options) {
            command
                .add_option("FILE", options.file, "The file to dump from (- for standard input)")
                ->required();
            command.add_option("--table", options.table, "The table file")->required();
            command.add_option("--start", options.start, "First offset (default 0)");
            command.add_option(
                "--length", options.length, "Number of bytes (default: to the end of the file)");
            command.add_flag(
                "--no-clean",
                options.noClean,
                "Write offset headers and codes, so that the dump inserts back exactly (a "
                "Clean dump, the default, is plain text and does not insert back exactly)");
            command.add_flag("--utf8",
                             options.utf8,
                             "Write the script in UTF-8 instead of the table's code page");
            command
                .add_option(
                    "--newline",
                    options.newline,
                    "Line breaks: crcrlf (the editor's, default), crlf or lf; insert reads each")
                ->check(CLI::IsMember({"crcrlf", "crlf", "lf"}));
            AddDecimalFlag(command, options.decimal);
            command.add_option("-o,--output",
                               options.output,
                               "Write to OUT instead of standard output (- for it)");
        },
        RunDump);
}

} // namespace byteloom::cli
