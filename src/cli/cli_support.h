#pragma once

#include "common/progress.h"
#include "session/session.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace byteloom::cli {

// A subcommand of the tool: where its options are parsed, and what runs it once they are
// (returning the exit status).
struct Subcommand
{
    CLI::App *command;
    std::function<int()> run;
};

// Adds the subcommand name with an Options record that lives as long as the tool: declare adds
// the options to the subcommand, run carries it out with them.
template<class Options, class Declare>
Subcommand AddSubcommand(CLI::App &app,
                         const char *name,
                         const char *description,
                         Declare declare,
                         int (*run)(const Options &))
{
    auto options = std::make_shared<Options>();
    CLI::App *command = app.add_subcommand(name, description);
    declare(*command, *options);
    return {command, [options, run] {
                return run(*options);
            }};
}

// The exit statuses: 0 success, 1 nothing found (find) or something lost (insert: bytes that
// did not fit or characters skipped; dump: a Clean dump's keys that would not insert back),
// 2 every error.
inline constexpr int kExitNotFound = 1;
inline constexpr int kExitLoss = 1;
inline constexpr int kExitFailure = 2;

// The file name that stands for standard input (FILE, SCRIPT) or output (-o).
inline constexpr std::string_view kStandardStream = "-";

// Reports a failure on stderr in the tool's name and returns the failure exit status.
int Fail(std::string_view message);

// Parses a number option the way the dialogs take it (hexadecimal unless decimal), but wholly:
// a typing slip is reported instead of read as far as it goes.
std::optional<std::int64_t>
ParseOffset(const std::string &text, bool decimal, std::string_view option);

// The same for a number that may be negative ("-A000").
std::optional<std::int64_t>
ParseSignedOffset(const std::string &text, bool decimal, std::string_view option);

// --start and --length together; reports the first that is not a number.
std::optional<std::pair<std::int64_t, std::int64_t>>
ParseRange(const std::string &start, const std::string &length, bool decimal);

// Opens the document into the session, paging large files; "-" reads standard input into
// memory, for the subcommands that only read (a document that is written must be a file).
// Reports a failure on stderr.
bool OpenDocument(Session &session,
                  const std::string &path,
                  bool onlyRead = true,
                  bool allowPaging = true);

// Whether standard output is a terminal (where progress on the same screen would cut lines).
bool StdoutIsTerminal();

// Reports on stderr an offset at or beyond the end of the document (option names it).
bool RequireInside(Session &session, std::int64_t offset, std::string_view option);

// The whole of standard input, or of the file; nothing (reported) when it cannot be read.
std::optional<std::string> ReadInput(const std::string &path);

// Loads a table file into the session as the current table; reports a failure on stderr.
bool OpenTable(Session &session, const std::string &path);

// Writes bytes to standard output exactly, with no newline translation.
bool WriteToStdout(std::string_view bytes);

// Adds --decimal to a subcommand.
void AddDecimalFlag(CLI::App &command, bool &decimal);

// Reports progress of long work on stderr when stderr is a terminal, quietly otherwise.
class TerminalProgress
{
public:
    // Shown only when wanted and stderr is a terminal.
    explicit TerminalProgress(std::string what, bool wanted = true);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    ProgressCallback Callback();
    // Takes the progress line off the terminal, before results are printed.
    void Clear();

private:
    std::string what_;
    bool wanted_ = true;
    bool shown_ = false;
    int lastPercent_ = -1;
};

// Saves the document into its own file (whole documents safely through a new file, paged ones
// by committing their pages); reports a failure on stderr.
bool SaveDocument(Session &session);

} // namespace byteloom::cli
