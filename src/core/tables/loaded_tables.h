#pragma once

#include "common/status.h"
#include "platform/file_system.h"
#include "tables/table_file.h"
#include "tables/table_notes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// The tables loaded for the document, in load order, one of them current, and the bookmarks
// that their files brought, shared by all tables in the Edit menu and kept when they close.
class LoadedTables
{
public:
    // Adds the table in the next slot and makes it current; returns its slot.
    int Add(TableFile table);
    [[nodiscard]] int Count() const { return static_cast<int>(tables_.size()); }
    [[nodiscard]] TableFile &At(int slot) { return *tables_.at(static_cast<std::size_t>(slot)); }
    [[nodiscard]] const TableFile &At(int slot) const
    {
        return *tables_.at(static_cast<std::size_t>(slot));
    }
    // -1 when no table is current.
    [[nodiscard]] int CurrentTableIndex() const { return current_; }
    void SetCurrentTableIndex(int slot);
    [[nodiscard]] TableFile *Current();
    [[nodiscard]] const TableFile *Current() const;
    // The current table when it has exactly this title, else the first in slot order that has.
    [[nodiscard]] const TableFile *FindByTitle(std::string_view title) const;
    // Shift+Tab: the table before the current one becomes current, then none, then the last
    // again.
    void StepBack();
    // Destroys every table (New and Close); the bookmarks stay.
    void DropAll();

    [[nodiscard]] std::vector<Bookmark> &Bookmarks() { return bookmarks_; }
    [[nodiscard]] const std::vector<Bookmark> &Bookmarks() const { return bookmarks_; }

private:
    std::vector<std::unique_ptr<TableFile>> tables_;
    int current_ = -1;
    std::vector<Bookmark> bookmarks_;
};

struct TableLoadResult
{
    Status status = Status::Ok();
    int slot = -1;
    TableNotes notes;    // what the loader passed over or took doubtfully
    std::string summary; // the same in one line, for the status bar
};

// Reads the table file, adds it to tables as the current table, and appends its bookmarks; a
// file that is loaded already only becomes current. When the file cannot be read, nothing
// changes and the status says why.
[[nodiscard]] TableLoadResult
LoadTableFile(FileSystem &files, const std::filesystem::path &path, LoadedTables &tables);

// A bookmark's text in the Edit menu: its name, cut to 64 characters.
inline constexpr std::size_t kBookmarkMenuTextLength = 64;
[[nodiscard]] std::string BookmarkMenuText(std::string_view name);

// The path of the table that goes with a document: the same name with the extension ".tbl";
// nothing for a document that is itself a table.
[[nodiscard]] std::filesystem::path CompanionTablePath(const std::filesystem::path &document);

} // namespace byteloom
