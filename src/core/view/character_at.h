#pragma once

#include <cstdint>
#include <string>

namespace byteloom {

class CodePageList;
class Document;
class TableFile;
class TextDecoder;
struct DisplaySettings;

// What the bytes at an offset stand for as text, for the data inspector.
struct CharacterRows
{
    // The character of the text column's mode: the code page shown (a lead byte with the byte
    // after it), the default code page, or the UTF-16 unit in the Unicode modes; as
    // "'A' U+0041", or "U+000A" for a character that has no glyph. Empty at the end of the file.
    std::string codePage;
    // The table entry the bytes begin with, as "8A = A" ("FF = <end>" for an end token); empty
    // without a table or when no entry matches.
    std::string table;
};

[[nodiscard]] CharacterRows CharactersAt(Document &document,
                                         std::int64_t offset,
                                         const DisplaySettings &display,
                                         const CodePageList &codePages,
                                         TextDecoder &decoder,
                                         const TableFile *table);

} // namespace byteloom
