#pragma once

#include "common/progress.h"
#include "document/document.h"

#include <filesystem>
#include <string>
#include <utility>

namespace byteloom {

class Session;
class UserPrompts;

// Creating, opening, saving and closing the session's document, asking about unsaved work, and
// the window title that names the document. Every failure reaches the user as a message, and
// nothing unsaved is dropped without the user's word.
class FileLifecycle
{
public:
    FileLifecycle(Session &session, UserPrompts &prompts);

    [[nodiscard]] const std::string &Title() const { return title_; }

    // New: 2048 zero bytes, unnamed; loaded tables are dropped, each changed one offered for
    // saving first (Close likewise).
    void NewDocument();
    // Open: the save prompt, the open dialog, the load and its messages. The document stays
    // open when the user says nothing about unsaved work and then cancels the dialog.
    LoadStatus OpenWithDialog();
    // The start-up file: a missing one is passed over without a word; one that exists but
    // cannot be opened (a folder, too large, unreadable) is reported as Open reports it.
    LoadStatus OpenByPath(const std::filesystem::path &path);
    // A dropped file or a recent file: the save prompt, then the load with its messages.
    LoadStatus OpenAfterPrompt(const std::filesystem::path &path);
    void SaveDocument();
    // Save As: the save dialog, then the whole document written there (progress hears of a
    // paged one's pages); the document then belongs to the new file.
    void SaveDocumentAs(const ProgressCallback &progress = {});
    void CloseDocument();
    // The exit sequence: unsaved work, then each changed table. False: the user stopped it.
    bool ExitApplication();

    // The edited-document rule: the first change since a load, New or save marks the title.
    void NoteEdited();
    // A table was loaded, or another (or none) made current: the title names it.
    void NoteTableChanged();
    // Open Table: the table dialog and the load; its failure is reported.
    bool OpenTableWithDialog();
    // A table named on the command line or dropped on the window: the load, and the reason
    // when it fails.
    bool OpenTableByPath(const std::filesystem::path &path);
    // What the last table loaded passed over or took doubtfully, for the status bar; empty when
    // every line was taken.
    [[nodiscard]] const std::string &TableSummary() const { return tableSummary_; }
    // What the table loaded beside the last opened file left out or took doubtfully, once; the
    // editor shows it in the status bar.
    [[nodiscard]] std::string TakeCompanionNotice() { return std::exchange(companionNotice_, {}); }
    // The text mode changed: the title names the new mode by modeName.
    void NoteTextModeChanged();
    // The settings file was read: the title names a stored text mode.
    void NoteSettingsLoaded();
    // Undo or Redo changed the bytes: the title gains its marker, or loses it where the journal
    // is back at the point the file was saved.
    void NoteUndoOrRedo();

private:
    void LoadCompanionTable(const std::filesystem::path &document);
    bool SettleUnsavedWork();
    bool SettleChangedTables();
    bool SaveUnderNewName(const ProgressCallback &progress = {});
    bool WriteInPlace();
    // "[ name ]", "[ name (read-only) ]", "[ (Unnamed) ]": the open document's title.
    std::string ShownDocumentTitle();
    LoadStatus Load(const std::filesystem::path &path);
    LoadStatus Report(const std::filesystem::path &path, LoadStatus status);

    Session &session_;
    UserPrompts &prompts_;
    std::string title_;
    LoadResult lastLoad_;
    std::string tableSummary_;
    std::string companionNotice_;
};

} // namespace byteloom
