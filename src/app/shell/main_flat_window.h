#pragma once

#include "platform/user_prompts.h"
#include "session/command_line.h"
#include "session/file_lifecycle.h"
#include "session/menu_state.h"
#include "session/session.h"
#include "shell/command_host.h"
#include "tables/script_dialogs.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace byteloom {

class DataWindow;
class EditCommands;
class FindCommands;
class InspectCommands;
class ManualWindow;
class ScriptCommands;
class DataInspectorPanel;
class PointerCommands;
class SettingsStore;

// The private clipboard format: the raw bytes of Copy and Cut.
inline constexpr const char *kByteloomMimeType = "application/x-byteloom-bytes";

// The editor's one main window: menus, toolbar, status bar and the data window. Every menu
// entry, accelerator and toolbar button is a command number; one table maps the number to its
// action and its handler, and every rule behind a handler lives in the core.
class MainFlatWindow : public QMainWindow, public CommandHost
{
    Q_OBJECT

public:
    // Without prompts the window asks with its own message boxes and file dialogs.
    explicit MainFlatWindow(std::unique_ptr<UserPrompts> prompts = nullptr,
                            QWidget *parent = nullptr);
    ~MainFlatWindow() override;

    [[nodiscard]] Session &session() override { return session_; }
    [[nodiscard]] FileLifecycle &lifecycle() override { return lifecycle_; }
    [[nodiscard]] UserPrompts &Prompts() override { return *prompts_; }
    [[nodiscard]] DataWindow &DataView() override { return *dataWindow_; }
    [[nodiscard]] QWidget *DialogParent() override { return this; }
    [[nodiscard]] QAction *Action(int command) const override;
    [[nodiscard]] QLabel *StatusPart(int part) const
    {
        return statusParts_[static_cast<std::size_t>(part)];
    }
    [[nodiscard]] QToolBar *Toolbar() const { return toolbar_; }
    [[nodiscard]] DataWindow *View() const { return dataWindow_; }

    // Runs a command as its menu entry, accelerator or toolbar button would.
    void RunCommand(int command);
    // Whether the command does something: an enabled command without a handler would not.
    [[nodiscard]] bool HasHandler(int command) const { return handlers_.contains(command); }
    // The document's bytes changed: the edited-document rule, then title, menus and view.
    void NoteEdited() override;
    void DocumentChanged() override;
    void TableEdited() override;
    void SelectionCommandsFollow(bool made) override;
    void ShowStatusMessage(const QString &text) override;
    void Handle(int command, std::function<void()> handler) override;
    // The file named on the command line, opened without a word.
    void OpenStartupFile(const std::string &path);
    // What the command line names: the document, then its tables (a new document holds them
    // when no document was named or it could not be opened), then the caret's offset.
    void OpenStartupFiles(const StartupFiles &files, std::optional<std::int64_t> offset);
    // Go To without its dialog (the offset given at start): the view jumps to offset.
    void JumpTo(std::int64_t offset) override;
    // Where the settings are read from at start and written to at exit; none in tests. read
    // says whether they could be read; its message is shown when not.
    void UseSettingsStore(SettingsStore *store, const Status &read = Status::Ok());

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void RegisterHandlers();
    void RegisterEditHandlers();
    void RefreshBookmarks();
    void ApplyMenuState(std::span<const MenuChange> state);
    void RefreshRecentFiles();
    // The selection's part, shown only while there is one.
    void ShowSelection();
    void UpdatePasteAvailability();
    void SetTextMode(int command);
    [[nodiscard]] std::vector<int> TextModeCommands();
    void ShowPreferences();
    void StoreSettings();
    void PlaceWindow();
    void SizeForWholeRows();
    void ShowAbout();
    // The manual's window, shown and raised; nothing without the manual.
    ManualWindow *ShowContents();

    std::unique_ptr<UserPrompts> prompts_;
    Session session_;
    FileLifecycle lifecycle_;
    SettingsStore *settingsStore_ = nullptr;
    std::map<int, QAction *> actions_;
    std::map<int, std::function<void()>> handlers_;
    QMenu *fileMenu_ = nullptr;
    QMenu *recentMenu_ = nullptr;
    QToolBar *toolbar_ = nullptr;
    std::array<QLabel *, 5> statusParts_{};
    DataWindow *dataWindow_ = nullptr;
    DataInspectorPanel *inspector_ = nullptr;
    QPointer<ManualWindow> helpWindow_;
    std::vector<QAction *> bookmarkActions_;
    QMenu *editMenu_ = nullptr;
    std::uint64_t shownDocument_ = ~std::uint64_t{0}; // the document the view's caret is in
    QTimer statusMessageTimer_;
    // What the view's fonts were made for.
    struct FontChoice
    {
        const TableFile *table = nullptr;
        bool unicode = false;
        int textMode = 0;
        bool operator==(const FontChoice &) const = default;
    };
    FontChoice shownFonts_;
    std::unique_ptr<EditCommands> editCommands_;
    std::unique_ptr<FindCommands> findCommands_;
    std::unique_ptr<ScriptCommands> scriptCommands_;
    std::unique_ptr<PointerCommands> pointerCommands_;
    std::unique_ptr<InspectCommands> inspectCommands_;
};

} // namespace byteloom
