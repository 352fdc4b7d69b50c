#pragma once

#include "common/status.h"
#include "platform/file_system.h"
#include "tables/loaded_tables.h"
#include "tables/table_file.h"

#include <filesystem>
#include <string>
#include <vector>

namespace byteloom {

// The table in the canonical table-file form, every line ending in CR LF: code page, title
// without its code-page suffix, Main's entries, each subtable with its triggers, ranges and
// entries, then every bookmark.
[[nodiscard]] std::string FormatTableFile(const TableFile &table,
                                          const std::vector<Bookmark> &bookmarks);

// Writes FormatTableFile's text to path, replacing the file safely.
Status SaveTableFile(const TableFile &table,
                     const std::vector<Bookmark> &bookmarks,
                     const std::filesystem::path &path,
                     FileSystem &files = RealFileSystem());

} // namespace byteloom
