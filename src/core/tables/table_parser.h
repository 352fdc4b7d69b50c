#pragma once

#include "tables/loaded_tables.h"
#include "tables/table_file.h"

#include <string_view>
#include <vector>

namespace byteloom {

struct ParsedTable
{
    TableFile table;
    std::vector<Bookmark> bookmarks; // in the order the file lists them
};

// Reads the lines of a table file whose text has been read as text (CR LF as LF, ending at a
// byte 1A). Lines that fit no form are passed over; the table is indexed and ready for lookups.
// fileName (name and extension) is the title when the file names none.
[[nodiscard]] ParsedTable ParseTable(std::string_view text, std::string_view fileName);

} // namespace byteloom
