#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// A table file as it was read, line by line, so that saving it changes only the lines whose
// entries changed: comments, blank lines, lines of other tools, skipped entries, the order, the
// encoding and the line ends stay as they were.
struct TableSource
{
    enum class Encoding { Bytes, Utf8Mark, Utf16Le, Utf16Be };
    struct Line
    {
        std::string text;   // without its end; UTF-8 for a UTF-16 file
        std::string ending; // "\r\n", "\n", or "" for a last line without one
    };
    // What the loader took from a line.
    struct Item
    {
        enum class Kind {
            Entry,
            CodePage,
            Title,
            SubtableStart,
            SubtableEnd,
            TableId // "@name", which names Main or opens a table of its own
        } kind
            = Kind::Entry;
        int line = 0;          // index into lines
        int subtable = 0;      // the subtable the line belongs to (or opens or closes)
        std::uint32_t key = 0; // the entry's key, or the trigger a subtable line gives
        std::string text;      // the entry's text, or a directive's value
        std::string label;     // a marker key's label
    };

    Encoding encoding = Encoding::Bytes;
    int codePage = 0;  // the code page the file was read in
    std::string title; // the title it was read with
    std::vector<Line> lines;
    std::string tail; // from a byte 1A on, which ends the table's text, kept as it is
    std::vector<Item> items;
};

// The lines of a table file's text (in the encoding it is held in), each with its end, and what
// follows a byte 1A.
[[nodiscard]] TableSource SplitTableSource(std::string_view text);

} // namespace byteloom
