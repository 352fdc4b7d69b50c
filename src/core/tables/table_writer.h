#pragma once

#include "common/status.h"
#include "platform/file_system.h"
#include "tables/table_file.h"

#include <filesystem>
#include <string>

namespace byteloom {

// The table in the canonical table-file form, every line ending in CR LF: code page, title
// without its code-page suffix, Main's entries, each subtable with its triggers, ranges and
// entries, then the table's own bookmarks.
[[nodiscard]] std::string FormatTableFile(const TableFile &table);

// The bytes a table is saved as. A table read from a file is that file with only what changed
// changed: an entry changed in place, a new one after the last entry of its subtable, a removed
// one's line gone, a changed title, code page or trigger rewritten where it stood; every other
// line (comments, lines of other tools, lines the loader skipped), the order, the encoding and
// its mark, and the line ends are as they were. Any other table is in the canonical form.
[[nodiscard]] std::string TableFileBytes(const TableFile &table);

// Writes TableFileBytes to path, replacing the file safely; a file that already holds exactly
// those bytes is not written.
Status SaveTableFile(const TableFile &table, const std::filesystem::path &path, FileSystem &files);

} // namespace byteloom
