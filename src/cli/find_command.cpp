// byteloom-cli find FILE PATTERN [--hex] [--relative [--width 16] [--big-endian]
// [--sequence FILE]] [--from HEX] [--all]: the Find dialog's search, printing the offset of each
// hit.
#include "commands.h"
#include "common/path_text.h"
#include "console.h"
#include "document/safe_file_writer.h"
#include "search/relative_table.h"
#include "search/search_engines.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct FindOptions
{
    std::string file;
    std::string pattern;
    bool hex = false;
    bool relative = false;
    int width = 8;
    bool bigEndian = false;
    std::string sequence;
    std::string makeTable;
    std::string from = "0";
    bool decimal = false;
    bool all = false;
};

// The table a hit gives, written safely; what it could not hold is said, and exits 1.
int MakeTable(const std::string &path, const HitTable &table)
{
    const Status written = WriteFileSafely(
        PathOfText(path),
        std::span(reinterpret_cast<const std::uint8_t *>(table.text.data()), table.text.size()),
        RealFileSystem());
    if (!written.ok())
        return Fail(written.message());
    WriteText(stderr, std::to_string(table.entries) + " entries written to " + path + "\n");
    for (const std::string &line : table.leftOut)
        WriteText(stderr, "left out: " + line + "\n");
    return table.leftOut.empty() ? 0 : kExitLoss;
}

int RunFind(const FindOptions &options)
{
    // The Find dialog reads 99 characters; a longer pattern is refused, not cut.
    if (options.pattern.size() > kMaxPatternLength)
        return Fail("PATTERN is longer than the " + std::to_string(kMaxPatternLength)
                    + " characters a search takes");
    if (!options.relative && (options.width != 8 || options.bigEndian || !options.sequence.empty()))
        return Fail("--width, --big-endian and --sequence belong to a --relative search");
    if (options.width != 8 && options.width != 16)
        return Fail("--width is 8 or 16");
    if (!options.makeTable.empty() && (!options.relative || options.all))
        return Fail("--make-table takes the first hit of a --relative search, without --all");
    if (options.hex && !options.sequence.empty())
        return Fail("--sequence orders typed characters; it does not go with --hex");
    std::optional<SearchPattern> pattern
        = options.hex ? ParseHexPattern(options.pattern) : PrepareTextPattern(options.pattern);
    if (!pattern)
        return Fail(kIncompleteHexMessage);
    if (pattern->length() == 0)
        return Fail("Please give a pattern to search for");
    RelativeQuery query = RelativeQueryOf(*pattern);
    std::string sequence;
    if (!options.sequence.empty()) {
        const TextFileResult read
            = ReadScriptFile(RealFileSystem(), PathOfText(options.sequence), kUtf8CodePage);
        if (!read.status.ok())
            return Fail(read.status.message());
        std::string message;
        sequence = CleanSequence(read.text);
        auto ordered = PrepareSequencePattern(options.pattern, sequence, message);
        if (!ordered)
            return Fail(message);
        query = std::move(*ordered);
    }
    query.width = options.width / 8;
    query.bigEndian = options.bigEndian;
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    const auto from = ParseOffset(options.from, options.decimal, "--from");
    if (!from)
        return kExitFailure;

    TerminalProgress progress("Searching");
    // Offset 0 is tried too on a first search from the start, as in the editor.
    std::int64_t candidate = FirstCandidate(*from, false);
    int hits = 0;
    for (;;) {
        Document &document = session.document();
        const auto hit = options.relative
                             ? RelativeSearch(document, query, candidate, progress.Callback())
                             : ValueSearch(document, *pattern, candidate, progress.Callback());
        if (auto error = document.TakeIoError())
            return Fail(*error);
        if (!hit)
            break;
        progress.Clear();
        std::printf("%08llX\n", static_cast<unsigned long long>(*hit));
        ++hits;
        if (!options.makeTable.empty())
            return MakeTable(options.makeTable, MakeTableFromHit(document, query, sequence, *hit));
        if (!options.all)
            break;
        // Find Next goes on from the hit's first byte, which is then selected.
        candidate = FirstCandidate(*hit, true);
    }
    return hits > 0 ? 0 : kExitNotFound;
}

} // namespace

Subcommand AddFindCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "find",
        "Search a file as the Find dialog does; exit status 1 when nothing is found",
        [](CLI::App &command, FindOptions &options) {
            command.add_option("FILE", options.file, "The file to search (- for standard input)")
                ->required();
            command
                .add_option("PATTERN",
                            options.pattern,
                            "Text (\\* is a literal asterisk, * a wildcard), or hex with --hex")
                ->required();
            command.add_flag("--hex", options.hex, "Read PATTERN as hex digits and * wildcards");
            command.add_flag("--relative",
                             options.relative,
                             "Match the spacing between the values instead of the bytes");
            command.add_option(
                "--width", options.width, "Bits per value of a --relative search: 8 or 16");
            command.add_flag("--big-endian",
                             options.bigEndian,
                             "16-bit values of a --relative search are big-endian");
            command.add_option("--sequence",
                               options.sequence,
                               "A UTF-8 file of the characters in the game's order (a kana row): "
                               "PATTERN's characters are placed by it");
            command.add_option("--make-table",
                               options.makeTable,
                               "Write the table the first relative hit gives (A-Z and a-z, or "
                               "the sequence) to this file");
            command.add_option(
                "--from",
                options.from,
                "Search after this offset (default: from the start, offset 0 included)");
            AddDecimalFlag(command, options.decimal);
            command.add_flag("--all", options.all, "Print every hit, going on as Find Next does");
        },
        RunFind);
}

} // namespace byteloom::cli
