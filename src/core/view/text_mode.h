#pragma once

#include <string>

namespace byteloom {

class CodePageList;
struct DisplaySettings;

// Carries out a text mode command of the Text Codepage menu ("Default", "Unicode",
// "Unicode (Big Endian)" or a code page entry) on the display settings, and returns the mode's
// name for the window title; nothing for a command that is not one of them.
[[nodiscard]] std::string
ApplyTextModeCommand(DisplaySettings &display, const CodePageList &codePages, int command);

// The text mode command whose menu item carries the check mark.
[[nodiscard]] int CheckedTextModeCommand(const DisplaySettings &display,
                                         const CodePageList &codePages);

} // namespace byteloom
