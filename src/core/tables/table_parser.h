#pragma once

#include "tables/loaded_tables.h"
#include "tables/table_file.h"
#include "tables/table_notes.h"
#include "tables/table_source.h"

#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

struct ParsedTable
{
    TableFile table;
    std::vector<Bookmark> bookmarks; // in the order the file lists them; the table has them too
    bool codePageGiven = false;      // a ".codepage" line was read
    TableNotes notes;
    std::vector<TableSource::Item> items; // what each line gave
};

inline constexpr int kUtf8CodePage = 65001;

// Reads the lines of a table file whose text has been read as text (CR LF as LF, ending at a
// byte 1A). Lines that fit no form are passed over; the table is indexed and ready for lookups.
// fileName (name and extension) is the title when the file names none. A fixed code page (the
// file's own encoding, told by a byte-order mark) is the table's whatever its lines say.
[[nodiscard]] ParsedTable
ParseTable(std::string_view text, std::string_view fileName, int fixedCodePage = 0);

// A table file's bytes as they are stored. It is UTF-8 (code page 65001) when it starts with
// the byte-order mark EF BB BF (which is skipped), when a ".codepage" line says 65001, or when
// no ".codepage" line names another and every byte at or above 80 belongs to a well-formed
// UTF-8 sequence (there being at least one); a file that starts with a UTF-16 byte-order mark
// is read as UTF-16 and held as UTF-8. Anything else is read as before. The table keeps the file
// as it was read (TableSource), so that saving it changes only what changed.
[[nodiscard]] ParsedTable ParseStoredTable(std::string_view stored, std::string_view fileName);

// Whether the bytes hold at least one byte at or above 80 and every such byte is part of a
// well-formed UTF-8 sequence.
[[nodiscard]] bool LooksLikeUtf8(std::string_view bytes);

} // namespace byteloom
