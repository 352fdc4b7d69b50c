#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QAction;
class QWidget;

namespace byteloom {

class DataWindow;
class FileLifecycle;
class Session;
class UserPrompts;

// What a group of the main window's commands (Find, the Special menu) reaches in the window:
// the session and its prompts, the data view, the command table and the window's reactions to
// what a command did. The main window is the one host; each group registers its handlers.
class CommandHost
{
public:
    virtual ~CommandHost() = default;

    [[nodiscard]] virtual Session &session() = 0;
    [[nodiscard]] virtual FileLifecycle &lifecycle() = 0;
    [[nodiscard]] virtual UserPrompts &Prompts() = 0;
    [[nodiscard]] virtual DataWindow &DataView() = 0;
    // The parent of the group's dialogs and progress windows.
    [[nodiscard]] virtual QWidget *DialogParent() = 0;
    [[nodiscard]] virtual QAction *Action(int command) const = 0;
    virtual void Handle(int command, std::function<void()> handler) = 0;
    // The document's bytes changed.
    virtual void NoteEdited() = 0;
    // The document, its tables or the text mode changed: title, menus, fonts and view.
    virtual void DocumentChanged() = 0;
    // The current table was edited in place: its title, code page and font follow.
    virtual void TableEdited() = 0;
    virtual void SelectionCommandsFollow(bool made) = 0;
    // The caret goes to offset, and the view with it.
    virtual void JumpTo(std::int64_t offset) = 0;
    virtual void ShowStatusMessage(const QString &text) = 0;
};

} // namespace byteloom
