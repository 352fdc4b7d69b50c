#pragma once

namespace byteloom {

// Every command of the menus, accelerators and toolbar, by its number.
enum CommandId : int {
    kCmdNew = 57600,
    kCmdOpen = 57601,
    kCmdClose = 57602,
    kCmdSave = 57603,
    kCmdSaveAs = 40005,
    kCmdExit = 40019,
    kCmdUndo = 57643,
    kCmdRedo = 57644,
    kCmdCut = 57635,
    kCmdCopy = 57634,
    kCmdCopyString = 40056,
    kCmdCopyHexAsText = 40050,
    kCmdCopyHexAsChar = 40051,
    kCmdCopyHexAsShort = 40053,
    kCmdCopyHexAsInt = 40052,
    kCmdBigEndian = 40054,
    kCmdPaste = 57637,
    kCmdDelete = 40014,
    kCmdSelectLine = 40071,
    kCmdSelectAll = 40015,
    kCmdFind = 57636,
    kCmdFindNext = 40048,
    kCmdGoTo = 40018,
    kCmdOpenTable = 40020,
    kCmdEditTable = 40062,
    kCmdSplitFile = 40021,
    kCmdExpandFile = 40022,
    kCmdDumpScript = 40023,
    kCmdInsertScript = 40024,
    kCmdDumpSelected = 40065,
    kCmdDataBox = 40031,
    kCmdStatusBar = 40032,
    kCmdToolbar = 40033,
    kCmdCodePageDefault = 40057,
    kCmdUnicode = 40060,
    kCmdUnicodeBigEndian = 40061,
    kCmdPreferences = 40034,
    kCmdContents = 40025,
    kCmdHelpSearch = 40026,
    kCmdHelpIndex = 57666,
    kCmdTipOfTheDay = 40028,
    kCmdAbout = 40030,
    kCmdAboutAuthor = 40063,
    kCmdCtrlH = 57641,
    kCmdCreatePatch = 40080,
    kCmdApplyPatch = 40081,
    kCmdFindPointers = 40090,
    kCmdFollowPointer = 40091,
    kCmdBack = 40092,
    kCmdChecksum = 40093,
    kCmdFirstCodePage = 32790,   // code page entries 0 .. 5
    kCmdFirstRecentFile = 32786, // recent files 0 .. 3
    kCmdFirstBookmark = 32797,   // bookmarks 1 .. 8
};

} // namespace byteloom
