#include "view/text_mode.h"

#include "common/command_ids.h"
#include "common/utf.h"
#include "view/code_page_list.h"
#include "view/display_settings.h"

#include "document/document.h"

namespace byteloom {

const CodePageEntry *CurrentCodePage(const DisplaySettings &display, const CodePageList &codePages)
{
    return display.defaultCodePage ? nullptr : codePages.At(display.codePageIndex);
}

const TableFile *TableForTextColumn(const DisplaySettings &display, const TableFile *current)
{
    return display.unicodeText ? nullptr : current;
}

std::string TextModeNameOf(const DisplaySettings &display, const CodePageList &codePages)
{
    if (display.unicodeText)
        return display.bigEndian ? "Unicode (Big Endian)" : "Unicode";
    // A stored index beyond the list (a code page no longer there) reads as the default.
    const CodePageEntry *entry = CurrentCodePage(display, codePages);
    return entry ? entry->name : "ASCII";
}

std::string LeftOutMessage(int count, int codePage)
{
    return std::to_string(count) + " characters have no place in code page "
           + std::to_string(codePage) + " and were left out";
}

std::string UnencodedMessage(int count)
{
    return count == 1 ? "1 typed character matches no entry of the table and was not written"
                      : std::to_string(count)
                            + " typed characters match no entry of the table and were not written";
}

std::string UnwritableTextMessage(std::string_view utf8, std::string_view modeName)
{
    return "\"" + std::string(utf8) + "\" cannot be typed: " + std::string(modeName)
           + " has no such character";
}

std::vector<std::uint8_t> TextAsDocumentBytes(const DisplaySettings &display,
                                              const CodePageList &codePages,
                                              TextDecoder &decoder,
                                              std::string_view utf8,
                                              int defaultCodePage)
{
    if (!display.unicodeText) {
        const CodePageEntry *entry = CurrentCodePage(display, codePages);
        return decoder.FromUtf8(entry ? entry->number : defaultCodePage, utf8);
    }
    std::vector<std::uint8_t> bytes;
    // Text that is not UTF-8 gives no bytes.
    for (std::uint16_t unit : Utf16OfWellFormedUtf8(utf8).value_or(std::u16string())) {
        if (display.bigEndian)
            unit = SwapUnitBytes(unit);
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return bytes;
}

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
