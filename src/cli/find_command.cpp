// byteloom-cli find FILE PATTERN [--hex] [--relative] [--from HEX] [--all]: the Find dialog's
// search, printing the offset of each hit.
#include "commands.h"
#include "search/search_engines.h"

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
    std::string from = "0";
    bool decimal = false;
    bool all = false;
};

int RunFind(const FindOptions &options)
{
    // The Find dialog reads 99 characters; a longer pattern is refused, not cut.
    if (options.pattern.size() > kMaxPatternLength)
        return Fail("PATTERN is longer than the " + std::to_string(kMaxPatternLength)
                    + " characters a search takes");
    std::optional<SearchPattern> pattern
        = options.hex ? ParseHexPattern(options.pattern) : PrepareTextPattern(options.pattern);
    if (!pattern)
        return Fail(kIncompleteHexMessage);
    if (pattern->length() == 0)
        return Fail("Please give a pattern to search for");
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
                             ? RelativeSearch(document, *pattern, candidate, progress.Callback())
                             : ValueSearch(document, *pattern, candidate, progress.Callback());
        if (auto error = document.TakeIoError())
            return Fail(*error);
        if (!hit)
            break;
        progress.Clear();
        std::printf("%08llX\n", static_cast<unsigned long long>(*hit));
        ++hits;
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
                             "Match the spacing between the bytes instead of the bytes");
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
