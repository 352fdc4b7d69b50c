#include "tables/loaded_tables.h"
#include "common/path_text.h"

#include "common/utf.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

namespace byteloom {

int LoadedTables::Add(TableFile table)
{
    tables_.push_back(std::make_unique<TableFile>(std::move(table)));
    current_ = Count() - 1;
    return current_;
}

void LoadedTables::SetCurrentTableIndex(int slot)
{
    current_ = slot >= 0 && slot < Count() ? slot : -1;
}

TableFile *LoadedTables::Current()
{
    return current_ < 0 ? nullptr : &At(current_);
}

const TableFile *LoadedTables::Current() const
{
    return current_ < 0 ? nullptr : &At(current_);
}

const TableFile *LoadedTables::FindByTitle(std::string_view title) const
{
    // Two tables may share a title: the current one, which the view reads through, comes first.
    if (const TableFile *current = Current(); current && current->GetTitle() == title)
        return current;
    for (const auto &table : tables_) {
        if (table->GetTitle() == title)
            return table.get();
    }
    return nullptr;
}

void LoadedTables::StepBack()
{
    if (tables_.empty()) {
        current_ = -1;
        return;
    }
    current_ = current_ < 0 ? Count() - 1 : current_ - 1;
}

void LoadedTables::DropAll()
{
    tables_.clear();
    current_ = -1;
}

TableLoadResult
LoadTableFile(FileSystem &files, const std::filesystem::path &path, LoadedTables &tables)
{
    // A table already loaded from this file becomes current again; loading it twice would
    // repeat its bookmarks.
    for (int slot = 0; slot < tables.Count(); ++slot) {
        if (SameFile(files, PathOfText(tables.At(slot).GetPath()), path)) {
            tables.SetCurrentTableIndex(slot);
            return {Status::Ok(), slot, {}, {}};
        }
    }
    const TextFileResult file = ReadBinaryFile(path, files);
    if (!file.status.ok())
        return {file.status, -1, {}, {}};
    ParsedTable parsed = ParseStoredTable(file.text, TextOfPath(path.filename()));
    // A ROM or any other file opened as a table by mistake is refused, not taken as an empty
    // table whose text column would then show nothing.
    if (parsed.notes.noTableLine)
        return {Status::Error(NotATableMessage(TextOfPath(path.filename()))), -1, parsed.notes, {}};
    parsed.table.SetPath(TextOfPath(path));
    auto &bookmarks = tables.Bookmarks();
    bookmarks.insert(bookmarks.end(), parsed.bookmarks.begin(), parsed.bookmarks.end());
    std::string summary = TableNotesSummary(parsed.notes);
    return {Status::Ok(), tables.Add(std::move(parsed.table)), parsed.notes, std::move(summary)};
}

std::string BookmarkMenuText(std::string_view name)
{
    return std::string(FirstCharacters(name, kBookmarkMenuTextLength));
}

std::filesystem::path CompanionTablePath(const std::filesystem::path &document)
{
    // Byte for byte, so "GAME.TBL" is a document whose table is "GAME.tbl".
    if (document.extension() == ".tbl")
        return {};
    std::filesystem::path table = document;
    table.replace_extension(".tbl");
    return table;
}

} // namespace byteloom
