#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// One argument of a command: a number ($hex, $-hex or decimal), a string in double quotes, or a
// name (a variable or a type word).
struct ScriptArgument
{
    enum class Kind { Number, String, Name };
    Kind kind = Kind::Number;
    std::int64_t number = 0;
    std::string text; // the string's contents or the name
};

// A command line, or a run of text lines between two commands.
struct ScriptStep
{
    int line = 0; // of the command, or of the run's first line
    bool isText = false;
    std::string name; // the command's name, without "#"
    std::vector<ScriptArgument> arguments;
    std::string text; // the run's lines joined without their line breaks, as stored
    // For each line of the run: where it starts in text, and its line number.
    std::vector<std::pair<std::size_t, int>> lineStarts;

    // The script line that holds the byte at position of the run's text.
    [[nodiscard]] int LineAt(std::size_t position) const;
};

struct ScriptProblem
{
    int line = 0;
    std::string message;
};

struct ParsedCommandScript
{
    std::vector<ScriptStep> steps;
    std::vector<ScriptProblem> errors; // every line that is not a well-formed, known command
    bool utf8 = false;                 // the text is UTF-8 (else bytes in the tables' code page)
};

// The largest number a script may give, so that offsets, sizes and counts stay far from the
// limits of 64-bit arithmetic: 1 TiB.
inline constexpr std::int64_t kLargestScriptNumber = std::int64_t{1} << 40;

// The lines of a script or list file (a UTF-8 byte-order mark skipped), without their breaks:
// LF, CR LF or a lone CR.
[[nodiscard]] std::vector<std::string_view> ScriptLines(std::string_view stored);

// Reads a whole command script: commands with their arguments checked against the forms each
// command takes, and the text runs between them. Every malformed line is an error with its line.
[[nodiscard]] ParsedCommandScript ParseCommandScript(std::string_view stored);

// Whether a script's first line that is neither blank nor a "//" comment is a command.
[[nodiscard]] bool IsCommandScript(std::string_view stored);

} // namespace byteloom
