#include "settings/settings_file.h"
#include "common/path_text.h"

#include "common/number_text.h"
#include "common/utf.h"
#include "document/safe_file_writer.h"
#include "tables/text_file.h"

#include <charconv>
#include <cstdio>
#include <system_error>
#include <vector>

namespace byteloom {

namespace {

constexpr std::string_view kNumberType = "dword:";
constexpr std::string_view kTextType = "sz:";
// Keys outside any section stand under "[General]"; a section of that name is "[%General]".
constexpr std::string_view kGeneralSection = "General";
constexpr std::string_view kEscapedGeneralSection = "%General";

bool IsHexDigit(char c)
{
    return DigitValue(c, 16) >= 0;
}

int HexValue(char c)
{
    return DigitValue(c, 16);
}

void AppendHex(std::string &out, unsigned value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

bool IsPlainKeyCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
           || c == '-' || c == '.';
}

// The character whose UTF-8 form starts at text[i], moving i past it; a byte that starts no
// well-formed character is read as the Latin-1 character of that value.
std::uint32_t NextCharacter(std::string_view text, std::size_t &i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    const int trail = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (lead < 0x80 || lead > 0xF4 || trail == 0
        || i + static_cast<std::size_t>(trail) > text.size())
        return lead;
    std::uint32_t code = lead & (0x3Fu >> trail);
    for (int k = 0; k < trail; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80)
            return lead;
        code = code << 6 | (next & 0x3Fu);
    }
    constexpr std::uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[trail] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return lead;
    i += static_cast<std::size_t>(trail);
    return code;
}

// A section or key as it stands in the file, as the settings library earlier versions used
// writes it: "/" as "\", letters, digits, "_", "-" and "." as they are, any other character up
// to U+00FF as "%XX", any other as "%UXXXX" (two of them, a surrogate pair, beyond U+FFFF).
std::string EscapedKey(std::string_view key)
{
    std::string out;
    for (std::size_t i = 0; i < key.size();) {
        const char c = key[i];
        if (c == '/' || IsPlainKeyCharacter(c)) {
            out += c == '/' ? '\\' : c;
            ++i;
            continue;
        }
        const std::uint32_t code = NextCharacter(key, i);
        if (code <= 0xFF) {
            out += '%';
            AppendHex(out, code, 2);
        } else if (code <= 0xFFFF) {
            out += "%U";
            AppendHex(out, code, 4);
        } else {
            out += "%U";
            AppendHex(out, 0xD800 + ((code - 0x10000) >> 10), 4);
            out += "%U";
            AppendHex(out, 0xDC00 + ((code - 0x10000) & 0x3FF), 4);
        }
    }
    return out;
}

// Keys are read back as UTF-8: "%XX" and "%UXXXX" as the characters they name (a surrogate
// pair as one character, a lone surrogate as U+FFFD), other bytes as UTF-8 where they form it.
std::string UnescapedKey(std::string_view key)
{
    const auto unitAt = [&](std::size_t i) -> std::optional<std::uint32_t> {
        if (i + 5 >= key.size() || key[i] != '%' || key[i + 1] != 'U')
            return std::nullopt;
        std::uint32_t unit = 0;
        for (std::size_t d = 2; d < 6; ++d) {
            if (!IsHexDigit(key[i + d]))
                return std::nullopt;
            unit = unit << 4 | static_cast<std::uint32_t>(HexValue(key[i + d]));
        }
        return unit;
    };
    std::string out;
    for (std::size_t i = 0; i < key.size();) {
        const char c = key[i];
        if (c == '\\') {
            out += '/';
            ++i;
        } else if (const auto unit = unitAt(i)) {
            i += 6;
            std::uint32_t code = *unit;
            if (code >= 0xD800 && code <= 0xDBFF) {
                const auto low = unitAt(i);
                if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                    code = 0x10000 + ((code - 0xD800) << 10) + (*low - 0xDC00);
                    i += 6;
                } else {
                    code = 0xFFFD;
                }
            } else if (code >= 0xDC00 && code <= 0xDFFF) {
                code = 0xFFFD;
            }
            out += Utf8OfCodePoint(code);
        } else if (c == '%' && i + 2 < key.size() && IsHexDigit(key[i + 1])
                   && IsHexDigit(key[i + 2])) {
            out += Utf8OfCodePoint(
                static_cast<char32_t>(HexValue(key[i + 1]) << 4 | HexValue(key[i + 2])));
            i += 3;
        } else {
            out += Utf8OfCodePoint(NextCharacter(key, i));
        }
    }
    return out;
}

// A value as it stands in the file. Quoted when blanks at either end or a ";", "," or "=" would
// otherwise be read differently; control characters and the quote and backslash escaped, and a
// hex digit after a "\x" escape escaped too, so that it is not read as part of it.
std::string EscapedValue(std::string_view value)
{
    std::string out;
    if (!value.empty() && value.front() == '@')
        out += '@';
    bool quoted = !value.empty()
                  && (value.front() == ' ' || value.front() == '\t' || value.back() == ' '
                      || value.back() == '\t');
    bool afterHexEscape = false;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        quoted = quoted || c == ';' || c == ',' || c == '=';
        const bool hexEscape = byte < 0x20 || byte == 0x7F || (afterHexEscape && IsHexDigit(c));
        switch (c) {
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (hexEscape) {
                out += "\\x";
                AppendHex(out, byte, 2);
            } else {
                out += c;
            }
        }
        afterHexEscape = hexEscape && c != '\n' && c != '\r' && c != '\t';
    }
    return quoted ? '"' + out + '"' : out;
}

std::string UnescapedValue(std::string_view raw)
{
    std::string out;
    bool inQuotes = false;
    // Blanks outside quotes count only between other characters.
    std::size_t keptLength = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '"') {
            inQuotes = !inQuotes;
            keptLength = out.size();
            continue;
        }
        if (c == '\\' && i + 1 < raw.size()) {
            const char e = raw[++i];
            switch (e) {
            case 'a':
                out += '\a';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'v':
                out += '\v';
                break;
            case 'x': {
                std::uint32_t code = 0;
                std::size_t digits = 0;
                for (; i + 1 < raw.size() && IsHexDigit(raw[i + 1]) && digits < 8; ++digits)
                    code = code << 4 | static_cast<std::uint32_t>(HexValue(raw[++i]));
                if (code < 0x80)
                    out += static_cast<char>(code);
                else
                    out += Utf8OfCodePoint(code);
                break;
            }
            case '0':
            case '1':
            case '2':
            case '3':
            case '4':
            case '5':
            case '6':
            case '7': {
                std::uint32_t code = static_cast<std::uint32_t>(e - '0');
                for (int digits = 1;
                     digits < 3 && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7';
                     ++digits)
                    code = code * 8 + static_cast<std::uint32_t>(raw[++i] - '0');
                out += static_cast<char>(code & 0xFF);
                break;
            }
            default:
                out += e;
                break;
            }
            keptLength = out.size();
            continue;
        }
        if (!inQuotes && (c == ' ' || c == '\t')) {
            if (!out.empty())
                out += c;
            continue;
        }
        out += c;
        keptLength = out.size();
    }
    out.resize(keptLength);
    if (out.size() >= 2 && out[0] == '@' && out[1] == '@')
        out.erase(0, 1);
    return out;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string KeyPath(std::string_view key, std::string_view name)
{
    std::string path(key);
    for (char &c : path) {
        if (c == '\\')
            c = '/';
    }
    return path + '/' + std::string(name);
}

} // namespace

SettingsValues ParseSettingsText(std::string_view text)
{
    SettingsValues values;
    std::string section;
    // A file saved by a text editor may begin with a byte-order mark.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::string_view name = line.substr(1, line.find(']') - 1);
            section = name == kGeneralSection          ? std::string()
                      : name == kEscapedGeneralSection ? std::string(kGeneralSection)
                                                       : UnescapedKey(name);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string key = UnescapedKey(Trimmed(line.substr(0, equals)));
        if (key.empty())
            continue;
        values[section.empty() ? key : section + '/' + key]
            = UnescapedValue(line.substr(equals + 1));
    }
    return values;
}

std::string FormatSettingsText(const SettingsValues &values)
{
    // A path's first part is its section, the rest its key; a path with no key after its first
    // "/" (or none at all) stands under "[General]" whole.
    const auto sectionLength = [](const std::string &path) {
        const std::size_t slash = path.find('/');
        return slash == std::string::npos || slash == 0 || slash + 1 == path.size() ? 0 : slash;
    };
    // Sections in order of their names, each section's keys together.
    std::map<std::string, std::vector<const SettingsValues::value_type *>> sections;
    for (const auto &entry : values) {
        const std::size_t length = sectionLength(entry.first);
        const std::string section = EscapedKey(entry.first.substr(0, length));
        sections[length == 0                  ? std::string(kGeneralSection)
                 : section == kGeneralSection ? std::string(kEscapedGeneralSection)
                                              : section]
            .push_back(&entry);
    }
    std::string text;
    for (const auto &[section, entries] : sections) {
        if (!text.empty())
            text += '\n';
        text += '[' + section + "]\n";
        for (const auto *entry : entries) {
            const std::size_t length = sectionLength(entry->first);
            text += EscapedKey(std::string_view(entry->first).substr(length == 0 ? 0 : length + 1))
                    + '=' + EscapedValue(entry->second) + '\n';
        }
    }
    return text;
}

SettingsFile::SettingsFile(std::filesystem::path path, FileSystem &files)
    : path_(std::move(path))
    , files_(files)
{}

Status SettingsFile::Load()
{
    changed_ = false;
    if (PathExists(files_, path_) == 0) {
        values_.clear();
        unreadable_ = false;
        return Status::Ok();
    }
    const TextFileResult file = ReadBinaryFile(path_, files_);
    unreadable_ = !file.status.ok();
    if (unreadable_) {
        return Status::Error("The settings could not be read (" + file.status.message()
                             + "). Byteloom starts with its own settings and leaves that file "
                               "as it is.");
    }
    values_ = ParseSettingsText(file.text);
    return Status::Ok();
}

const std::string *SettingsValuesStore::Find(std::string_view key, std::string_view name) const
{
    const auto found = values_.find(KeyPath(key, name));
    return found == values_.end() ? nullptr : &found->second;
}

std::optional<std::uint32_t> SettingsValuesStore::ReadNumber(std::string_view key,
                                                             std::string_view name) const
{
    const std::string *stored = Find(key, name);
    if (!stored || !stored->starts_with(kNumberType))
        return std::nullopt;
    const std::string_view digits = std::string_view(*stored).substr(kNumberType.size());
    std::uint32_t value = 0;
    const auto [end, error]
        = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}

std::optional<std::string> SettingsValuesStore::ReadText(std::string_view key,
                                                         std::string_view name) const
{
    const std::string *stored = Find(key, name);
    if (!stored || !stored->starts_with(kTextType))
        return std::nullopt;
    return stored->substr(kTextType.size());
}

void SettingsValuesStore::Put(std::string_view key, std::string_view name, std::string value)
{
    std::string &stored = values_[KeyPath(key, name)];
    changed_ = changed_ || stored != value;
    stored = std::move(value);
}

bool SettingsValuesStore::WriteNumber(std::string_view key,
                                      std::string_view name,
                                      std::uint32_t value)
{
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", value);
    Put(key, name, std::string(kNumberType) + digits);
    return true;
}

bool SettingsValuesStore::WriteText(std::string_view key,
                                    std::string_view name,
                                    std::string_view value)
{
    Put(key, name, std::string(kTextType) + std::string(value));
    return true;
}

Status SettingsFile::Save()
{
    if (unreadable_) {
        return Status::Error("The settings were not saved: " + TextOfPath(path_)
                             + " could not be read when Byteloom started, so it is left as it is.");
    }
    if (!changed_)
        return Status::Ok();
    // The first save makes the folder; a failure shows in the write that follows.
    (void)MakeFolders(files_, path_.parent_path());
    const std::string text = FormatSettingsText(values_);
    const Status written = WriteFileSafely(
        path_, std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()), files_);
    if (!written.ok())
        return Status::Error("The settings could not be saved: " + written.message());
    changed_ = false;
    return Status::Ok();
}

} // namespace byteloom
