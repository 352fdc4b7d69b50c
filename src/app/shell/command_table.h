#pragma once

#include <span>

namespace byteloom {

// One line of a menu: an item with its command, a separator, or the start or end of a submenu.
struct MenuLine
{
    enum Kind { Item, Separator, Submenu, EndSubmenu };
    Kind kind;
    int command;      // 0 for an item without a command
    const char *text; // with its mnemonic and, after a tab, its shortcut text
    const char *keys; // the accelerator, or nullptr
    bool checkable;
};

struct MenuDefinition
{
    const char *title;
    std::span<const MenuLine> lines;
};

// The five menus of the menu bar, in order, with every item's text and command.
[[nodiscard]] std::span<const MenuDefinition> MainMenus();

// One button of the toolbar: its image, command and tooltip; command 0 is a separator.
struct ToolbarButton
{
    int image;
    int command;
    const char *tooltip;
};
[[nodiscard]] std::span<const ToolbarButton> ToolbarButtons();

} // namespace byteloom
