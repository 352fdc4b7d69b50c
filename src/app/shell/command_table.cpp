#include "shell/command_table.h"

#include "common/command_ids.h"

#include <array>

namespace byteloom {

namespace {

constexpr MenuLine
Item(int command, const char *text, const char *keys = nullptr, bool checkable = false)
{
    return {MenuLine::Item, command, text, keys, checkable};
}
constexpr MenuLine Separator()
{
    return {MenuLine::Separator, 0, nullptr, nullptr, false};
}
constexpr MenuLine Submenu(const char *text)
{
    return {MenuLine::Submenu, 0, text, nullptr, false};
}
constexpr MenuLine EndSubmenu()
{
    return {MenuLine::EndSubmenu, 0, nullptr, nullptr, false};
}

constexpr std::array kFile{
    Item(kCmdNew, "&New...\tCtrl+N", "Ctrl+N"),
    Item(kCmdOpen, "&Open...\tCtrl+O", "Ctrl+O"),
    Item(kCmdClose, "&Close\tCtrl+W", "Ctrl+W"),
    Separator(),
    Item(kCmdSave, "&Save\tCtrl+S", "Ctrl+S"),
    Item(kCmdSaveAs, "Sa&ve As...\tCtrl+Shift+S", "Ctrl+Shift+S"),
    Separator(),
    Item(kCmdCreatePatch, "Create &Patch..."),
    Item(kCmdApplyPatch, "&Apply Patch..."),
    Separator(),
    Item(kCmdCompareWith, "Co&mpare With..."),
    Separator(),
    Item(kCmdExit, "E&xit\tCtrl+Q", "Ctrl+Q"),
};

constexpr std::array kEdit{
    Item(kCmdUndo, "&Undo\tCtrl+Z", "Ctrl+Z"),
    Item(kCmdRedo, "&Redo\tCtrl+Y", "Ctrl+Y"),
    Separator(),
    Item(kCmdCut, "Cu&t\tCtrl+X", "Ctrl+X"),
    Item(kCmdCopy, "&Copy\tCtrl+C", "Ctrl+C"),
    Item(kCmdCopyString, "Copy &String"),
    Submenu("Copy Hex &As"),
    Item(kCmdCopyHexAsText, "&Text"),
    Item(kCmdCopyHexAsChar, "&char Array"),
    Item(kCmdCopyHexAsShort, "&short Array"),
    Item(kCmdCopyHexAsInt, "&int Array"),
    Separator(),
    Item(kCmdBigEndian, "Big Endian", nullptr, true),
    EndSubmenu(),
    Item(kCmdPaste, "&Paste\tCtrl+V", "Ctrl+V"),
    Item(kCmdDelete, "&Delete\tDel", "Del"),
    Item(kCmdSelectLine, "Select &Line\tCtrl+L", "Ctrl+L"),
    Item(kCmdSelectAll, "Sel&ect All\tCtrl+A", "Ctrl+A"),
    Separator(),
    Item(kCmdFind, "&Find...\tCtrl+F", "Ctrl+F"),
    Item(kCmdFindNext, "Find &Next\tF3", "F3"),
    Separator(),
    Item(kCmdGoTo, "&Go To...\tCtrl+G", "Ctrl+G"),
    Item(kCmdChecksum, "Chec&ksum..."),
};

constexpr std::array kSearch{
    Item(kCmdFindPointers, "Find &Pointers..."),
    Item(kCmdFollowPointer, "&Follow Pointer"),
    Item(kCmdBack, "&Back\tAlt+Left", "Alt+Left"),
    Separator(),
    Item(kCmdNextDifference, "Next &Difference\tF6", "F6"),
    Item(kCmdPreviousDifference, "Pre&vious Difference\tShift+F6", "Shift+F6"),
    Separator(),
    Item(kCmdMakeTableFromHit, "Make &Table From Hit..."),
};

constexpr std::array kSpecial{
    Item(kCmdOpenTable, "O&pen Table...\tCtrl+P", "Ctrl+P"),
    Item(kCmdEditTable, "&Edit Table..."),
    Separator(),
    Item(kCmdSplitFile, "&Split File..."),
    Item(kCmdExpandFile, "E&xpand File..."),
    Separator(),
    Item(kCmdDumpScript, "&Dump Script...\tCtrl+D", "Ctrl+D"),
    Item(kCmdInsertScript, "&Insert Script...\tCtrl+I", "Ctrl+I"),
    Item(kCmdDumpSelected, "Dump Se&lected"),
};

constexpr std::array kTools{
    Item(kCmdCheckHeader, "Check &Header..."),
};

constexpr std::array kOptions{
    Item(kCmdDataBox, "&Data Box", nullptr, true),
    Separator(),
    Item(kCmdStatusBar, "&Status Bar", nullptr, true),
    Item(kCmdToolbar, "&Toolbar", nullptr, true),
    Submenu("Text &Codepage"),
    Item(kCmdCodePageDefault, "Default", nullptr, true),
    Separator(),
    Item(kCmdUnicode, "Unicode", nullptr, true),
    Item(kCmdUnicodeBigEndian, "Unicode (Big Endian)", nullptr, true),
    Separator(),
    EndSubmenu(),
    Separator(),
    Item(kCmdPreferences, "&Preferences..."),
};

constexpr std::array kHelp{
    Item(kCmdContents, "&Contents"),
    Item(kCmdHelpSearch, "&Search..."),
    Item(kCmdHelpIndex, "&Index..."),
    Separator(),
    Item(kCmdTipOfTheDay, "Ti&p of the Day..."),
    Item(kCmdHelpLinks, "&Links"),
    Separator(),
    Item(kCmdAbout, "&About Byteloom..."),
    Item(kCmdAboutAuthor, "About the Au&thor..."),
};

constexpr std::array<MenuDefinition, 7> kMenus{{
    {"&File", kFile},
    {"&Edit", kEdit},
    {"Sea&rch", kSearch},
    {"&Special", kSpecial},
    {"&Tools", kTools},
    {"&Options", kOptions},
    {"&Help", kHelp},
}};

constexpr std::array<ToolbarButton, 13> kToolbar{{
    {0, kCmdNew, "New"},
    {1, kCmdOpen, "Open"},
    {2, kCmdSave, "Save"},
    {-1, 0, nullptr},
    {3, kCmdCut, "Cut"},
    {4, kCmdCopy, "Copy"},
    {5, kCmdPaste, "Paste"},
    {-1, 0, nullptr},
    {9, kCmdUndo, "Undo"},
    {8, kCmdRedo, "Redo"},
    {10, kCmdFind, "Search"},
    {-1, 0, nullptr},
    {7, kCmdAbout, "Help"},
}};

} // namespace

std::span<const MenuDefinition> MainMenus()
{
    return kMenus;
}

std::span<const ToolbarButton> ToolbarButtons()
{
    return kToolbar;
}

} // namespace byteloom
