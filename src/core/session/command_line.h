#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// The start-up file as given on the command line: surrounding blanks and one pair of enclosing
// double quotes are taken off, so that "C:\My ROMs\game.smc" names the file inside.
[[nodiscard]] std::string UnquoteCommandLinePath(std::string_view text);

// Whether a file is a table by its name: the extension ".tbl", in any case.
[[nodiscard]] bool IsTableFileName(std::string_view path);

// What the editor opens at start: one document, then the tables (those named with --table and
// every ".tbl" among the files), in order.
struct StartupFiles
{
    std::string document;
    std::vector<std::string> tables;
};

// Sorts the files named on the command line. Several words that name no file each but one file
// together are that file (a path with blanks that reached the program unquoted).
[[nodiscard]] StartupFiles SortStartupFiles(const std::vector<std::string> &words,
                                            const std::vector<std::string> &tableOptions,
                                            const std::function<bool(const std::string &)> &exists);

// --offset: hexadecimal digits (an optional "0x" before them) naming a byte of the document;
// nothing for anything else.
[[nodiscard]] std::optional<std::int64_t> ReadOffsetOption(std::string_view text);

} // namespace byteloom
