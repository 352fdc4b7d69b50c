#pragma once

#include "document/document.h"
#include "document/undo_journal.h"
#include "platform/file_system.h"
#include "scripts/pointer_search.h"
#include "session/search_state.h"
#include "settings/program_options.h"
#include "settings/settings_io.h"
#include "tables/loaded_tables.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include <filesystem>
#include <memory>

namespace byteloom {

// Everything one editor holds: the document, the journal of its edits, the loaded tables, the
// display settings and the program's options. The
// main window and the command-line tool each own one; every test builds a fresh one.
class Session
{
public:
    // Tests pass a small page size to exercise paging on small files, and a file system that
    // fails where they say.
    explicit Session(std::int64_t pageSize = kPageSize, FileSystem &files = RealFileSystem());

    // Every file the session writes (documents, tables) goes through it.
    [[nodiscard]] FileSystem &files() { return files_; }

    [[nodiscard]] Document &document() { return *document_; }
    // Counts the documents this session has held: it changes whenever the document is
    // replaced, so that the view knows its caret belongs to another document.
    [[nodiscard]] std::uint64_t DocumentGeneration() const { return generation_; }
    [[nodiscard]] UndoJournal &journal() { return journal_; }
    [[nodiscard]] LoadedTables &tables() { return tables_; }
    [[nodiscard]] DisplaySettings &display() { return display_; }
    [[nodiscard]] ProgramOptions &options() { return options_; }
    // Find's memory: kept across documents for the whole run.
    [[nodiscard]] SearchState &search() { return search_; }
    // The pointers' form last used and the places Back returns to.
    [[nodiscard]] PointerState &pointers() { return pointers_; }
    [[nodiscard]] TextDecoder &decoder() { return *decoder_; }
    [[nodiscard]] CodePageList &codePages() { return codePages_; }
    // The records the settings file keeps.
    [[nodiscard]] SettingsRecords Settings() { return {display_, options_, codePages_}; }

    // Loads the file as the new document; loaded tables stay. On failure the current document
    // stays as it was.
    LoadResult OpenDocument(const std::filesystem::path &path, bool allowPaging);
    // New and Close also drop every loaded table (the bookmarks stay).
    void NewDocument();
    void CloseDocument();

private:
    void Replace(std::unique_ptr<Document> document);

    FileSystem &files_;
    std::unique_ptr<Document> document_;
    std::uint64_t generation_ = 0;
    UndoJournal journal_;
    LoadedTables tables_;
    DisplaySettings display_;
    ProgramOptions options_;
    SearchState search_;
    PointerState pointers_;
    std::unique_ptr<TextDecoder> decoder_;
    CodePageList codePages_;
};

} // namespace byteloom
