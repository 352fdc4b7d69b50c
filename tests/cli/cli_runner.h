#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom::test {

struct CliRun
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Where the tool's standard input comes from and its standard output goes; by default nothing
// comes in and what goes out is collected.
struct CliStreams
{
    std::string in;  // empty: nothing
    std::string out; // a path such as /dev/full; empty: collected into CliRun::out
};

// Runs byteloom-cli with the arguments (each passed as one word) and collects what it printed.
[[nodiscard]] CliRun RunCli(const std::vector<std::string> &arguments,
                            const CliStreams &streams = {});

// The same with the arguments written as one line of words separated by spaces, each "{}" taking
// the next of words whole (a path, which may hold spaces).
[[nodiscard]] CliRun Cli(std::string_view line,
                         std::initializer_list<std::string> words = {},
                         const CliStreams &streams = {});

[[nodiscard]] std::filesystem::path ExamplesFolder();
// A file of the bundled examples, as a command-line word.
[[nodiscard]] std::string Example(const char *name);

} // namespace byteloom::test
