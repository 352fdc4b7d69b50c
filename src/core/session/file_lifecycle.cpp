#include "session/file_lifecycle.h"
#include "common/path_text.h"

#include "document/load_messages.h"
#include "platform/user_prompts.h"
#include "session/lifecycle_texts.h"
#include "session/session.h"
#include "session/window_title.h"
#include "tables/table_writer.h"
#include "view/text_mode.h"

#include <system_error>

namespace byteloom {

namespace {

std::string FileTitleOf(const std::filesystem::path &path)
{
    return TextOfPath(path.filename());
}

bool StartsWithByteOrderMark(Document &document)
{
    return document.Size() >= 2 && document.ReadByte(0) == 0xFF && document.ReadByte(1) == 0xFE;
}

} // namespace

FileLifecycle::FileLifecycle(Session &session, UserPrompts &prompts)
    : session_(session)
    , prompts_(prompts)
    , title_(NoDocumentTitle())
{}

// Asks about unsaved work and saves it when the user wants. False: the user cancelled, or the
// work could not be saved (the user has been told why); either way nothing may be dropped.
bool FileLifecycle::SettleUnsavedWork()
{
    Document &document = session_.document();
    if (!document.IsOpen() || document.IsClean())
        return true;
    switch (prompts_.AskToSave(std::string(kSavePrompt))) {
    case SaveAnswer::Cancel:
        return false;
    case SaveAnswer::No:
        return true;
    case SaveAnswer::Yes:
        break;
    }
    return document.IsUnnamed() || document.IsReadOnly() ? SaveUnderNewName() : WriteInPlace();
}

std::string FileLifecycle::ShownDocumentTitle()
{
    Document &document = session_.document();
    if (document.IsUnnamed())
        return DocumentTitle(kUnnamedTitle, TableOrTextModeName(session_));
    return DocumentTitle(FileTitleOf(document.Path())
                             + (document.IsReadOnly() ? " (read-only)" : ""),
                         TableOrTextModeName(session_));
}

bool FileLifecycle::WriteInPlace()
{
    const Status status = session_.document().Save();
    if (!status.ok())
        prompts_.ShowMessage(status.message(), MessageKind::Error);
    else
        session_.journal().MarkSaved();
    return status.ok();
}

bool FileLifecycle::SaveUnderNewName(const ProgressCallback &progress)
{
    Document &document = session_.document();
    const auto path = prompts_.ChooseFileToSave(
        std::string(kSaveDialogTitle), DocumentFilters(), document.Path());
    if (!path)
        return false;
    if (document.IsUnnamed() && document.IsClean()) {
        document.SetPath(*path); // a new document never edited is named, not written
    } else if (Status status = document.SaveAs(*path, progress); !status.ok()) {
        if (!status.cancelled())
            prompts_.ShowMessage(status.message(), MessageKind::Error);
        return false;
    }
    session_.journal().MarkSaved();
    session_.options().NoteRecentFile(path->string());
    return true;
}

void FileLifecycle::NewDocument()
{
    if (!SettleUnsavedWork() || !SettleChangedTables())
        return;
    session_.NewDocument();
    title_ = ShownDocumentTitle();
}

LoadStatus FileLifecycle::Load(const std::filesystem::path &given)
{
    // The full path, so that a later save or recent-file entry finds the same file.
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(given, error);
    lastLoad_ = session_.OpenDocument(error ? given : path, session_.options().allowPaging);
    if (lastLoad_.status != LoadStatus::Loaded)
        return lastLoad_.status;
    if (StartsWithByteOrderMark(session_.document())) {
        DisplaySettings &display = session_.display();
        display.unicodeText = true;
        display.bigEndian = false;
        display.defaultCodePage = true;
    }
    if (!lastLoad_.notice.empty())
        prompts_.ShowMessage(lastLoad_.notice);
    LoadCompanionTable(path);
    title_ = ShownDocumentTitle();
    session_.options().NoteRecentFile(TextOfPath(path));
    return LoadStatus::Loaded;
}

void FileLifecycle::LoadCompanionTable(const std::filesystem::path &document)
{
    const std::filesystem::path table = CompanionTablePath(document);
    if (table.empty() || PathExists(session_.files(), table) == 0)
        return;
    // The table beside the file is the one its user made for it: one that cannot be read, or
    // that lost lines, is said, never passed over.
    const TableLoadResult loaded = LoadTableFile(session_.files(), table, session_.tables());
    if (!loaded.status.ok()) {
        prompts_.ShowMessage("The table " + TextOfPath(table)
                                 + " beside the file was not loaded: " + loaded.status.message(),
                             MessageKind::Warning);
        return;
    }
    tableSummary_ = loaded.summary;
    if (!loaded.summary.empty())
        companionNotice_ = TextOfPath(table.filename()) + ": " + loaded.summary;
}

LoadStatus FileLifecycle::Report(const std::filesystem::path &path, LoadStatus status)
{
    if (status == LoadStatus::Loaded || status == LoadStatus::Cancelled)
        return status;
    // "File not found" would be wrong for a file that is there: say why it cannot be opened.
    const bool there = PathExists(session_.files(), path) == 1;
    if (status == LoadStatus::CannotOpen && there && !lastLoad_.detail.empty())
        prompts_.ShowMessage(lastLoad_.detail, MessageKind::Error);
    else
        prompts_.ShowMessage(DescribeLoadFailure(lastLoad_, FileTitleOf(path)), MessageKind::Error);
    return status;
}

LoadStatus FileLifecycle::OpenWithDialog()
{
    // The document stays until another file takes its place: a cancelled dialog, or a file
    // that cannot be opened, leaves it as it was, edits included, even after "No".
    if (!SettleUnsavedWork())
        return LoadStatus::Cancelled;
    const auto path = prompts_.ChooseFileToOpen(std::string(kOpenDialogTitle), DocumentFilters());
    if (!path)
        return LoadStatus::Cancelled;
    return Report(*path, Load(*path));
}

LoadStatus FileLifecycle::OpenByPath(const std::filesystem::path &path)
{
    const LoadStatus status = Load(path);
    if (status != LoadStatus::Loaded && PathExists(session_.files(), path) == 1)
        return Report(path, status);
    return status;
}

LoadStatus FileLifecycle::OpenAfterPrompt(const std::filesystem::path &path)
{
    if (!SettleUnsavedWork())
        return LoadStatus::Cancelled;
    return Report(path, Load(path));
}

void FileLifecycle::SaveDocument()
{
    Document &document = session_.document();
    if (!document.IsOpen())
        return;
    if (document.IsUnnamed()) {
        if (SaveUnderNewName())
            title_ = ShownDocumentTitle();
        return;
    }
    // A file the document cannot go back into: say so, and offer another name.
    if (document.IsReadOnly()) {
        if (prompts_.AskYesNo(FileTitleOf(document.Path())
                              + " is read-only, so your changes cannot be saved into it.\nSave "
                                "them under another name?")
            && SaveUnderNewName())
            title_ = ShownDocumentTitle();
        return;
    }
    if (!document.IsClean() && !WriteInPlace())
        return;
    title_ = ShownDocumentTitle();
}

void FileLifecycle::SaveDocumentAs(const ProgressCallback &progress)
{
    if (!session_.document().IsOpen() || !SaveUnderNewName(progress))
        return;
    title_ = ShownDocumentTitle();
}

void FileLifecycle::CloseDocument()
{
    if (!SettleUnsavedWork() || !SettleChangedTables())
        return;
    session_.CloseDocument();
    title_ = NoDocumentTitle();
}

bool FileLifecycle::ExitApplication()
{
    if (!SettleUnsavedWork())
        return false;
    return SettleChangedTables();
}

// Offers each changed table for saving before the tables go. False: one could not be written
// (the user has been told why), so the step that would drop it must stop.
bool FileLifecycle::SettleChangedTables()
{
    LoadedTables &tables = session_.tables();
    for (int slot = 0; slot < tables.Count(); ++slot) {
        const TableFile &table = tables.At(slot);
        if (!table.IsModified())
            continue;
        // Cancel (and Escape) keeps the program, the document and the table's changes.
        const std::string title = ShownTableText(table, session_.decoder(), table.GetTitle());
        const SaveAnswer answer = prompts_.AskToSave(TableChangedQuestion(title));
        if (answer == SaveAnswer::Cancel)
            return false;
        if (answer == SaveAnswer::No)
            continue;
        if (Status saved = SaveTableFile(table, PathOfText(table.GetPath()), session_.files());
            !saved.ok()) {
            prompts_.ShowMessage(TableNotSavedMessage(title, saved.message()), MessageKind::Error);
            return false;
        }
    }
    return true;
}

void FileLifecycle::NoteEdited()
{
    if (session_.document().IsOpen() && session_.document().MarkEdited())
        title_ = ModifiedTitle(title_, TableOrTextModeName(session_));
}

void FileLifecycle::NoteUndoOrRedo()
{
    Document &document = session_.document();
    if (!document.IsOpen())
        return;
    if (!session_.journal().AtSavePoint()) {
        NoteEdited();
        return;
    }
    // Back to what the file holds: no marker, and Close has nothing to ask.
    document.MarkUnedited();
    title_ = ShownDocumentTitle();
}

void FileLifecycle::NoteTableChanged()
{
    const Document &document = session_.document();
    if (!document.IsOpen())
        return;
    title_ = ShownDocumentTitle();
    // Another table changes what the title names, not whether the document has unsaved work.
    if (!document.IsClean())
        title_ = ModifiedTitle(title_, TableOrTextModeName(session_));
}

bool FileLifecycle::OpenTableWithDialog()
{
    static const FileFilter filters[]
        = {{"Table Files (*.tbl)", "*.tbl"}, {"All Files (*.*)", "*.*"}};
    const auto path = prompts_.ChooseFileToOpen(std::string(kOpenTableDialogTitle), filters);
    return path && OpenTableByPath(*path);
}

bool FileLifecycle::OpenTableByPath(const std::filesystem::path &path)
{
    const TableLoadResult loaded = LoadTableFile(session_.files(), path, session_.tables());
    if (!loaded.status.ok()) {
        // A file that is there but is no table is refused with the loader's reason.
        const bool there = PathExists(session_.files(), path) == 1;
        prompts_.ShowMessage(there ? loaded.status.message()
                                   : std::string(kFileNotFoundMessage) + ": "
                                         + loaded.status.message(),
                             MessageKind::Error);
        return false;
    }
    tableSummary_ = loaded.summary;
    NoteTableChanged();
    return true;
}

void FileLifecycle::NoteSettingsLoaded()
{
    // A text mode kept from the last run is named in the title from the start, as a mode the
    // user chose now would be.
    const DisplaySettings &display = session_.display();
    if (display.unicodeText || CurrentCodePage(display, session_.codePages()) != nullptr)
        NoteTextModeChanged();
}

void FileLifecycle::NoteTextModeChanged()
{
    title_ = TitleForTextMode(title_, session_.document().IsOpen(), TableOrTextModeName(session_));
}

} // namespace byteloom
