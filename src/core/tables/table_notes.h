#pragma once

#include <array>
#include <string>
#include <string_view>

namespace byteloom {

// What the loader did not take, or took doubtfully, by kind, with the first line of each.
enum class TableNote : int {
    Comment,     // "#" and ";" lines
    OtherTool,   // "$", "!" and "@" lines not in the forms read, or naming no table of the file
    LongKey,     // a key of more than 8 digits: the line is passed over
    BareKey,     // hex digits without "=": no text for the key
    WildcardKey, // "FFF2**": a pattern of keys, which other tools read
    NonHexKey,   // "8G=H": read as the key 08
    RepeatedKey, // the first entry of the key wins
    CodePage,    // a code page this system cannot convert
    CutLine,     // a line longer than 254 characters, read as several
    Unknown,     // a line that fits no form
    Count
};

struct TableNotes
{
    std::array<int, static_cast<std::size_t>(TableNote::Count)> count{};
    std::array<int, static_cast<std::size_t>(TableNote::Count)> firstLine{};
    bool noTableLine = false; // the file holds no table line at all (a ROM opened as a table?)

    void Note(TableNote note, int line);
    [[nodiscard]] int Of(TableNote note) const { return count[static_cast<std::size_t>(note)]; }
    [[nodiscard]] int FirstLineOf(TableNote note) const
    {
        return firstLine[static_cast<std::size_t>(note)];
    }
};

// How a kind is named in the summaries ("comment", "line of another tool", …).
[[nodiscard]] const char *TableNoteName(TableNote note, bool plural = false);

// One line for the status bar after Open Table, or nothing when every line was taken: each
// kind with its count and first line, "Table loaded: 3 lines skipped (2 comments from line 1,
// 1 key with wildcard characters at line 9)".
// Why a file with no table line is refused as a table: "rom.sfc is not a table file: ...".
[[nodiscard]] std::string NotATableMessage(std::string_view fileName);
[[nodiscard]] std::string TableNotesSummary(const TableNotes &notes);

} // namespace byteloom
