#pragma once

#include "view/code_page_list.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class TableFile;

struct DisplaySettings;

// The code page the text column shows, or nullptr for the default one (also when a stored
// index lies beyond the list).
[[nodiscard]] const CodePageEntry *CurrentCodePage(const DisplaySettings &display,
                                                   const CodePageList &codePages);

// The table the text column reads and writes through: the current one, except in the Unicode
// modes, where the column shows UTF-16 whatever table is loaded.
[[nodiscard]] const TableFile *TableForTextColumn(const DisplaySettings &display,
                                                  const TableFile *current);

// The name of the text mode: "Unicode", "Unicode (Big Endian)", "ASCII" or the current code
// page's name.
[[nodiscard]] std::string TextModeNameOf(const DisplaySettings &display,
                                         const CodePageList &codePages);

// What the status bar says when characters typed for a table had no place in its code page.
[[nodiscard]] std::string LeftOutMessage(int count, int codePage);
// What the status bar says when typed characters match no entry of the table.
[[nodiscard]] std::string UnencodedMessage(int count);

// What the status bar says when typed text has no place in the shown text mode.
[[nodiscard]] std::string UnwritableTextMessage(std::string_view utf8, std::string_view modeName);

// Typed or pasted text as the document's bytes in the current text mode: UTF-16 units in their
// byte order in the Unicode modes, else the shown code page (defaultCodePage where the default
// one is shown). Nothing when a character has no place in the code page.
[[nodiscard]] std::vector<std::uint8_t> TextAsDocumentBytes(const DisplaySettings &display,
                                                            const CodePageList &codePages,
                                                            TextDecoder &decoder,
                                                            std::string_view utf8,
                                                            int defaultCodePage = kDefaultCodePage);

// Carries out a text mode command of the Text Codepage menu ("Default", "Unicode",
// "Unicode (Big Endian)" or a code page entry) on the display settings, and returns the mode's
// name for the window title; nothing for a command that is not one of them.
[[nodiscard]] std::string
ApplyTextModeCommand(DisplaySettings &display, const CodePageList &codePages, int command);

// The text mode command whose menu item carries the check mark.
[[nodiscard]] int CheckedTextModeCommand(const DisplaySettings &display,
                                         const CodePageList &codePages);

} // namespace byteloom
