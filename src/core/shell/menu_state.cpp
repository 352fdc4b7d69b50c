#include "shell/menu_state.h"

#include "shell/command_ids.h"

#include <array>

namespace byteloom {

std::span<const int> InitiallyGreyedCommands()
{
    static constexpr std::array<int, 35> greyed{
        kCmdNew,        kCmdOpen,        kCmdClose,        kCmdSave,         kCmdSaveAs,
        kCmdUndo,       kCmdRedo,        kCmdCut,          kCmdCopy,         kCmdCopyString,
        kCmdPaste,      kCmdDelete,      kCmdSelectLine,   kCmdSelectAll,    kCmdFind,
        kCmdFindNext,   kCmdGoTo,        kCmdOpenTable,    kCmdEditTable,    kCmdSplitFile,
        kCmdExpandFile, kCmdDumpScript,  kCmdInsertScript, kCmdDumpSelected, kCmdDataBox,
        kCmdStatusBar,  kCmdToolbar,     kCmdPreferences,  kCmdContents,     kCmdHelpSearch,
        kCmdHelpIndex,  kCmdTipOfTheDay, kCmdAbout,        kCmdAboutAuthor,  kCmdCtrlH,
    };
    return greyed;
}

std::span<const MenuChange> NoDocumentMenuState()
{
    static constexpr std::array<MenuChange, 37> state{{
        {kCmdNew, true},
        {kCmdOpen, true},
        {kCmdExit, true},
        {kCmdClose, false},
        {kCmdSave, false},
        {kCmdSaveAs, false},
        {kCmdDelete, false},
        {kCmdCtrlH, false},
        {kCmdDataBox, false},
        {kCmdHelpSearch, false},
        {kCmdHelpIndex, false},
        {kCmdTipOfTheDay, false},
        {kCmdAboutAuthor, false},
        {kCmdUndo, false},
        {kCmdRedo, false},
        {kCmdCut, false},
        {kCmdPaste, false},
        {kCmdSelectAll, false},
        {kCmdSelectLine, false},
        {kCmdFind, false},
        {kCmdGoTo, false},
        {kCmdFindNext, false},
        {kCmdOpenTable, false},
        {kCmdSplitFile, false},
        {kCmdExpandFile, false},
        {kCmdDumpScript, false},
        {kCmdInsertScript, false},
        {kCmdStatusBar, true},
        {kCmdToolbar, true},
        {kCmdPreferences, true},
        {kCmdContents, true},
        {kCmdAbout, true},
        {kCmdCopyHexAsText, false},
        {kCmdCopyHexAsChar, false},
        {kCmdCopyHexAsInt, false},
        {kCmdCopyHexAsShort, false},
        {kCmdEditTable, false},
    }};
    return state;
}

std::span<const MenuChange> DocumentOpenMenuState()
{
    static constexpr std::array<MenuChange, 29> state{{
        {kCmdNew, true},          {kCmdOpen, true},          {kCmdExit, true},
        {kCmdClose, true},        {kCmdSave, true},          {kCmdSaveAs, false},
        {kCmdDelete, false},      {kCmdCtrlH, false},        {kCmdDataBox, false},
        {kCmdHelpSearch, false},  {kCmdHelpIndex, false},    {kCmdTipOfTheDay, false},
        {kCmdAboutAuthor, false}, {kCmdUndo, false},         {kCmdRedo, false},
        {kCmdCut, false},         {kCmdPaste, false},        {kCmdSelectAll, true},
        {kCmdSelectLine, true},   {kCmdFind, true},          {kCmdGoTo, true},
        {kCmdOpenTable, true},    {kCmdSplitFile, true},     {kCmdExpandFile, true},
        {kCmdDumpScript, false},  {kCmdInsertScript, false}, {kCmdStatusBar, true},
        {kCmdToolbar, true},      {kCmdPreferences, true},
    }};
    return state;
}

std::span<const MenuChange> SelectionMadeMenuState(bool paged)
{
    static constexpr std::array<MenuChange, 8> whole{{
        {kCmdCut, true},
        {kCmdCopyHexAsText, true},
        {kCmdCopyHexAsChar, true},
        {kCmdCopyHexAsInt, true},
        {kCmdCopyHexAsShort, true},
        {kCmdCopy, true},
        {kCmdCopyString, true},
        {kCmdDumpSelected, true},
    }};
    static constexpr std::array<MenuChange, 8> pagedState{{
        {kCmdCut, false},
        {kCmdCopyHexAsText, true},
        {kCmdCopyHexAsChar, true},
        {kCmdCopyHexAsInt, true},
        {kCmdCopyHexAsShort, true},
        {kCmdCopy, true},
        {kCmdCopyString, true},
        {kCmdDumpSelected, true},
    }};
    return paged ? std::span<const MenuChange>(pagedState) : std::span<const MenuChange>(whole);
}

std::span<const MenuChange> SelectionDroppedMenuState()
{
    static constexpr std::array<MenuChange, 8> state{{
        {kCmdCut, false},
        {kCmdCopyHexAsText, false},
        {kCmdCopyHexAsChar, false},
        {kCmdCopyHexAsInt, false},
        {kCmdCopyHexAsShort, false},
        {kCmdCopy, false},
        {kCmdCopyString, false},
        {kCmdDumpSelected, false},
    }};
    return state;
}

StatusBarEdges StatusBarLayout(int right, int w)
{
    return {{11 * w,
             right - 48 * w,
             right - 31 * w,
             right - 14 * w,
             right - 10 * w,
             right - 6 * w,
             right}};
}

} // namespace byteloom
