// byteloom-cli dump FILE --table TABLE: a script file of a range, as Dump Script writes it; with
// --pointers, a command script of the strings a pointer table points to.
#include "commands.h"
#include "common/number_text.h"
#include "common/path_text.h"
#include "document/safe_file_writer.h"
#include "scripts/pointer_dump.h"
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
    // A pointer table.
    std::string pointers;
    std::string count;
    int pointerSize = 16;
    std::string addressType = "LINEAR";
    std::string header = "0";
    std::string offsetting = "0";
    std::string step;
    bool bigEndian = false;
    std::string base;
    std::string endToken;
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
            && std::filesystem::equivalent(
                PathOfText(options.file), PathOfText(options.output), error))
           || std::filesystem::equivalent(
               PathOfText(options.table), PathOfText(options.output), error);
}

Status WriteOut(const std::string &output, std::string_view bytes)
{
    if (output.empty() || output == kStandardStream)
        return WriteToStdout(bytes) ? Status::Ok()
                                    : Status::Error("Unable to write to standard output");
    return WriteFileSafely(
        PathOfText(output),
        std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()),
        RealFileSystem());
}

// The strings of a pointer table, as a command script.
int RunPointerDump(Session &session, const DumpOptions &options)
{
    PointerTable pointerTable;
    const auto start = ParseOffset(options.pointers, options.decimal, "--pointers");
    const auto count = ParseOffset(options.count, options.decimal, "--count");
    const auto header = ParseOffset(options.header, options.decimal, "--header");
    const auto offsetting = ParseSignedOffset(options.offsetting, options.decimal, "--offsetting");
    if (!start || !count || !header || !offsetting)
        return kExitFailure;
    pointerTable.start = *start;
    pointerTable.count = *count;
    pointerTable.header = *header;
    pointerTable.form = {*AddressTypeOfName(options.addressType), *offsetting, options.pointerSize};
    pointerTable.bigEndian = options.bigEndian;
    if (!options.step.empty()) {
        const auto step = ParseOffset(options.step, options.decimal, "--step");
        if (!step)
            return kExitFailure;
        pointerTable.step = *step;
    }
    if (!options.base.empty()) {
        const auto base = ParseOffset(options.base, options.decimal, "--base");
        if (!base)
            return kExitFailure;
        pointerTable.base = *base;
    }
    if (!options.endToken.empty()) {
        const auto key = ParseWholeNumber(options.endToken, 16);
        if (!key)
            return Fail("--end-token takes a key in hexadecimal, such as A0");
        pointerTable.endToken = *key;
    }
    const PointerDump dump = DumpPointerTable(session.document(),
                                              *session.tables().Current(),
                                              TextOfPath(PathOfText(options.table).filename()),
                                              pointerTable);
    if (!dump.status.ok())
        return Fail(dump.status.message());
    if (const Status written = WriteOut(options.output, dump.script); !written.ok())
        return Fail(written.message());
    std::fprintf(
        stderr, "byteloom-cli: %d strings, %d pointers dumped", dump.strings, dump.pointers);
    if (dump.notExact > 0)
        std::fprintf(
            stderr, "; %d strings have no text that reads back as their bytes", dump.notExact);
    if (dump.setAside == 0) {
        std::fputs(".\n", stderr);
        return dump.notExact > 0 ? kExitLoss : 0;
    }
    // Pointers whose strings cannot be dumped would not be rewritten by an insert.
    std::fprintf(stderr,
                 "; %d %s kept out of the blocks (the script's comments say why).\n",
                 dump.setAside,
                 dump.setAside == 1 ? "pointer was" : "pointers were");
    return kExitLoss;
}

int RunDump(const DumpOptions &options)
{
    if (WritesOverItsInput(options))
        return Fail("-o " + options.output
                    + " is the file being dumped or its table; choose another name");
    Session session;
    if (!OpenDocument(session, options.file) || !OpenTable(session, options.table))
        return kExitFailure;
    if (!options.pointers.empty())
        return RunPointerDump(session, options);
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
                                             PathOfText(options.output),
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
            auto *pointers = command.add_option(
                "--pointers",
                options.pointers,
                "Dump the strings of the pointer table at this offset, as a command script");
            auto *count = command.add_option("--count", options.count, "Pointers in the table");
            pointers->needs(count);
            count->needs(pointers);
            for (const char *name : {"--start", "--length", "--no-clean", "--utf8", "--newline"})
                pointers->excludes(name);
            const auto needsPointers = [&](CLI::Option *option) {
                option->needs(pointers);
            };
            needsPointers(
                command.add_option("--pointer-size", options.pointerSize, "8, 16, 24 or 32")
                    ->check(CLI::IsMember({8, 16, 24, 32})));
            needsPointers(
                command
                    .add_option("--address-type",
                                options.addressType,
                                "LINEAR (default), LOROM00, LOROM80, HIROM or GB")
                    ->check(CLI::IsMember({"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB"})));
            needsPointers(
                command.add_option("--header", options.header, "Header bytes before the image"));
            needsPointers(command.add_option(
                "--offsetting", options.offsetting, "Subtracted from each address (- to add)"));
            needsPointers(command.add_option(
                "--step", options.step, "Bytes from one pointer to the next (default: its size)"));
            needsPointers(
                command.add_flag("--big-endian", options.bigEndian, "Pointers are big-endian"));
            needsPointers(command.add_option(
                "--base",
                options.base,
                "The game address whose upper bits narrow pointers lack (default: the table's)"));
            needsPointers(
                command.add_option("--end-token",
                                   options.endToken,
                                   "The key that ends a string, for a table without one"));
        },
        RunDump);
}

} // namespace byteloom::cli
