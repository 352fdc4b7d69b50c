#include "view/text_mode.h"

#include "shell/command_ids.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

namespace byteloom {

std::string
ApplyTextModeCommand(DisplaySettings &display, const CodePageList &codePages, int command)
{
    switch (command) {
    case kCmdCodePageDefault:
        display.defaultCodePage = true;
        display.unicodeText = false;
        return "ASCII";
    case kCmdUnicode:
        display.defaultCodePage = true;
        display.unicodeText = true;
        display.bigEndian = false;
        return "Unicode";
    case kCmdUnicodeBigEndian:
        display.defaultCodePage = true;
        display.unicodeText = true;
        display.bigEndian = true;
        return "Unicode (Big Endian)";
    default:
        break;
    }
    const CodePageEntry *entry = codePages.At(command - kCmdFirstCodePage);
    if (!entry)
        return {};
    display.defaultCodePage = false;
    display.unicodeText = false;
    display.codePageIndex = command - kCmdFirstCodePage;
    return entry->name;
}

int CheckedTextModeCommand(const DisplaySettings &display, const CodePageList &codePages)
{
    if (display.unicodeText)
        return display.bigEndian ? kCmdUnicodeBigEndian : kCmdUnicode;
    if (!display.defaultCodePage && codePages.At(display.codePageIndex))
        return kCmdFirstCodePage + display.codePageIndex;
    return kCmdCodePageDefault;
}

} // namespace byteloom
