#include "tables/text_file.h"

#include "common/utf.h"
#include "platform/binary_file.h"
#include "platform/code_page.h"

#include <memory>

#include <new>
#include <optional>
#include <span>
#include <string>

namespace byteloom {

namespace {

constexpr char kEndOfText = '\x1A';

} // namespace

std::string TextFromStoredBytes(std::string_view stored)
{
    stored = stored.substr(0, stored.find(kEndOfText));
    std::string text;
    text.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] == '\r' && i + 1 < stored.size() && stored[i + 1] == '\n')
            continue;
        text.push_back(stored[i]);
    }
    return text;
}

namespace {

// UTF-16 bytes as their units; an odd last byte is dropped.
std::u16string UnitsOf(std::string_view bytes, bool bigEndian)
{
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first);
    }
    return units;
}

} // namespace

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    return Utf8OfUtf16(UnitsOf(bytes, bigEndian));
}

std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian)
{
    std::string bytes;
    for (const char16_t unit : Utf16OfUtf8(utf8)) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

namespace {

constexpr int kUtf8 = 65001;

// UTF-16 text in an 8-bit code page; nothing when a character has no form there.
std::optional<std::string> Utf16ToCodePage(std::string_view bytes, bool bigEndian, int codePage)
{
    if (codePage == kUtf8)
        return Utf16ToUtf8(bytes, bigEndian);
    const std::unique_ptr<CodePage> converter = CodePage::Open(codePage);
    if (!converter)
        return std::nullopt;
    return converter->Encode(UnitsOf(bytes, bigEndian));
}

} // namespace

std::optional<std::string> Utf8ToCodePage(std::string_view utf8, int codePage)
{
    if (codePage == kUtf8)
        return std::string(utf8);
    return Utf16ToCodePage(Utf8ToUtf16(utf8, false), false, codePage);
}

TextFileResult ScriptTextFromStoredBytes(std::string_view stored, int codePage)
{
    TextFileResult result;
    const bool utf16 = stored.starts_with("\xFF\xFE") || stored.starts_with("\xFE\xFF");
    if (codePage == 0 || !utf16) {
        if (codePage == kUtf8 && stored.starts_with("\xEF\xBB\xBF"))
            stored.remove_prefix(3);
        result.text = TextFromStoredBytes(stored);
        return result;
    }
    const auto text = Utf16ToCodePage(stored.substr(2), stored[0] == '\xFE', codePage);
    if (!text)
        result.status
            = Status::Error("The script is UTF-16 and has characters that code page "
                            + std::to_string(codePage) + " cannot hold; nothing was inserted.");
    else
        result.text = TextFromStoredBytes(*text);
    return result;
}

TextFileResult ReadScriptFile(FileSystem &files, const std::filesystem::path &path, int codePage)
{
    TextFileResult file = ReadBinaryFile(path, files);
    if (!file.status.ok())
        return file;
    return ScriptTextFromStoredBytes(file.text, codePage);
}

TextFileResult ReadTextFile(FileSystem &files, const std::filesystem::path &path)
{
    TextFileResult file = ReadBinaryFile(path, files);
    if (file.status.ok())
        file.text = TextFromStoredBytes(file.text);
    return file;
}

} // namespace byteloom
