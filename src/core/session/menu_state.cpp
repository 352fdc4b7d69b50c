#include "session/menu_state.h"

#include "common/command_ids.h"

#include <array>
#include <vector>

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

namespace {

// Commands the two document states treat alike, apart from those that follow the document.
constexpr int kAlwaysEnabled[] = {kCmdNew,
                                  kCmdOpen,
                                  kCmdExit,
                                  kCmdDataBox,
                                  kCmdStatusBar,
                                  kCmdToolbar,
                                  kCmdPreferences,
                                  kCmdHelpSearch,
                                  kCmdHelpIndex};
constexpr int kAlwaysGreyed[] = {kCmdDelete,
                                 kCmdCtrlH,
                                 kCmdTipOfTheDay,
                                 kCmdAboutAuthor,
                                 kCmdUndo,
                                 kCmdRedo,
                                 kCmdCut,
                                 kCmdPaste,
                                 kCmdDumpScript,
                                 kCmdEditTable,
                                 kCmdBack,
                                 // Until a relative search hits in this document.
                                 kCmdMakeTableFromHit};
constexpr int kNeedADocument[] = {kCmdClose,
                                  kCmdSave,
                                  kCmdSaveAs,
                                  kCmdCreatePatch,
                                  kCmdApplyPatch,
                                  kCmdSelectAll,
                                  kCmdSelectLine,
                                  kCmdFind,
                                  kCmdGoTo,
                                  kCmdOpenTable,
                                  kCmdSplitFile,
                                  kCmdExpandFile,
                                  // A command script names its own tables.
                                  kCmdInsertScript,
                                  kCmdFindPointers,
                                  kCmdFollowPointer,
                                  kCmdChecksum,
                                  kCmdCompareWith,
                                  kCmdCheckHeader};
// Greyed by the no-document state only (the others leave them to the selection).
constexpr int kGreyedWithoutDocument[]
    = {kCmdFindNext, kCmdCopyHexAsText, kCmdCopyHexAsChar, kCmdCopyHexAsInt, kCmdCopyHexAsShort};
constexpr int kWithoutDocumentToo[] = {kCmdContents, kCmdAbout};
// The commands that need a selection; Cut and Delete, which shrink the file, come first.
constexpr int kNeedASelection[] = {kCmdCut,
                                   kCmdDelete,
                                   kCmdCopyHexAsText,
                                   kCmdCopyHexAsChar,
                                   kCmdCopyHexAsInt,
                                   kCmdCopyHexAsShort,
                                   kCmdCopy,
                                   kCmdCopyString,
                                   kCmdDumpSelected};

std::vector<MenuChange> DocumentState(bool open)
{
    std::vector<MenuChange> state;
    for (const int command : kAlwaysEnabled)
        state.push_back({command, true});
    for (const int command : kAlwaysGreyed)
        state.push_back({command, false});
    for (const int command : kNeedADocument)
        state.push_back({command, open});
    if (!open) {
        for (const int command : kGreyedWithoutDocument)
            state.push_back({command, false});
        for (const int command : kWithoutDocumentToo)
            state.push_back({command, true});
    }
    return state;
}

std::vector<MenuChange> SelectionState(bool made, bool cut)
{
    std::vector<MenuChange> state;
    for (const int command : kNeedASelection)
        state.push_back({command, command == kCmdCut || command == kCmdDelete ? cut : made});
    return state;
}

} // namespace

std::span<const MenuChange> NoDocumentMenuState()
{
    static const std::vector<MenuChange> state = DocumentState(false);
    return state;
}

std::span<const MenuChange> DocumentOpenMenuState()
{
    static const std::vector<MenuChange> state = DocumentState(true);
    return state;
}

std::span<const MenuChange> SelectionMadeMenuState(bool paged)
{
    // Cut would shrink the file, which a paged document cannot do.
    static const std::vector<MenuChange> whole = SelectionState(true, true);
    static const std::vector<MenuChange> pagedState = SelectionState(true, false);
    return paged ? pagedState : whole;
}

std::span<const MenuChange> SelectionDroppedMenuState()
{
    static const std::vector<MenuChange> state = SelectionState(false, false);
    return state;
}

} // namespace byteloom
