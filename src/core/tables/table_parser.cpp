#include "tables/table_parser.h"

#include "common/number_text.h"
#include "common/utf.h"
#include "platform/code_page.h"
#include "tables/text_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <optional>
#include <set>
#include <string>

namespace byteloom {

namespace {

// A longer line is read as several lines of this length.
constexpr std::size_t kMaxLineLength = 254;
// A table key holds at most 32 bits.
constexpr std::size_t kMaxKeyDigits = 8;

bool IsHexDigit(char c)
{
    return DigitValue(c, 16) >= 0;
}

bool IsLetterOrDigit(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

// A bookmark's name: the letters, digits and blanks after its ")". The name is written in the
// table's own language, so every character beyond ASCII goes on it as a letter would, and a
// two-byte character is never cut after its lead byte.
std::string BookmarkName(std::string_view rest, const std::array<bool, 256> &leadBytes)
{
    std::size_t length = 0;
    while (length < rest.size()) {
        const auto byte = static_cast<unsigned char>(rest[length]);
        if (leadBytes[byte] && length + 1 < rest.size())
            length += 2;
        else if (byte >= 0x80 || IsLetterOrDigit(rest[length]) || byte == ' ')
            ++length;
        else
            break;
    }
    return std::string(rest.substr(0, length));
}

std::string_view LetterAndDigitRun(std::string_view text)
{
    std::size_t length = 0;
    while (length < text.size() && IsLetterOrDigit(text[length]))
        ++length;
    return text.substr(0, length);
}

// The hexadecimal value of a run of letters and digits, read up to its first character that
// is not a hexadecimal digit; nothing when it has no digit or more than a key can hold.
std::optional<std::uint32_t> KeyOf(std::string_view run)
{
    std::size_t digits = 0;
    while (digits < run.size() && IsHexDigit(run[digits]))
        ++digits;
    if (digits == 0 || digits > kMaxKeyDigits)
        return std::nullopt;
    return ReadLeadingNumber(run.substr(0, digits), 16);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i]))
            != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The text after the first "=", or nothing when the line has none.
std::optional<std::string_view> ValueAfterEquals(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return line.substr(equals + 1);
}

class TableParser
{
public:
    TableParser(std::string_view fileName, int fixedCodePage)
        : fixedCodePage_(fixedCodePage)
    {
        result_.table.SetTitle(fileName);
        if (fixedCodePage != 0)
            result_.table.SetCodePage(fixedCodePage);
    }

    void Line(std::string_view line);
    void StartLine(int number) { line_ = number; }
    void Note(TableNote note) { result_.notes.Note(note, line_); }
    ParsedTable Finish(bool anyText)
    {
        result_.notes.noTableLine = anyText && tableLines_ == 0;
        // A switching entry that names no table of the file is read as a plain entry.
        for (int unresolved = result_.table.FinishLoading(); unresolved > 0; --unresolved)
            Note(TableNote::OtherTool);
        if (!result_.bookmarks.empty()) {
            const std::array<bool, 256> leadBytes = LeadBytesOf(result_.table.GetCodePage());
            for (Bookmark &bookmark : result_.bookmarks)
                bookmark.name = BookmarkName(bookmark.name, leadBytes);
        }
        result_.table.SetBookmarks(result_.bookmarks);
        return std::move(result_);
    }
    // The longest piece of a long line that is read as one line: 254 bytes, less in a UTF-8
    // table where that would cut a character.
    [[nodiscard]] std::size_t PieceLength(std::string_view line) const
    {
        std::size_t length = std::min(line.size(), kMaxLineLength);
        if (fixedCodePage_ == kUtf8CodePage && length < line.size()) {
            while (length > 0 && IsUtf8Continuation(line[length]))
                --length;
        }
        return length == 0 ? std::min(line.size(), kMaxLineLength) : length;
    }

private:
    TableFile &table() { return result_.table; }
    void MarkerEntry(std::string_view line, std::string_view marker);
    void Directive(std::string_view line);
    void SubtableLine(std::string_view line);
    void RangeEnd(std::string_view line);
    void BookmarkLine(std::string_view line);
    void PlainEntry(std::string_view line);
    void LinkedEntry(std::string_view line);
    void TableId(std::string_view line);
    void SwitchingEntry(std::string_view line);
    void ApplyTitle();
    void Item(TableSource::Item::Kind kind, int subtable, std::string text, std::uint32_t value = 0)
    {
        result_.items.push_back({kind, line_ - 1, subtable, value, std::move(text), {}});
    }

    ParsedTable result_;
    int current_ = 0;
    std::int64_t rangeLow_ = 0;
    void Append(std::uint32_t key, std::string text, std::string label = {}, int parameters = 0);

    std::optional<std::string> titleValue_;
    int fixedCodePage_ = 0;
    int line_ = 0;
    int tableLines_ = 0;
    std::set<std::pair<int, std::uint32_t>> keys_; // (subtable, key) seen so far
};

void TableParser::Append(std::uint32_t key, std::string text, std::string label, int parameters)
{
    if (!keys_.insert({current_, key}).second)
        Note(TableNote::RepeatedKey);
    result_.items.push_back(
        {TableSource::Item::Kind::Entry, line_ - 1, current_, key, text, label});
    table().AppendWhileLoading(current_, key, std::move(text), std::move(label), parameters);
}

void TableParser::Line(std::string_view line)
{
    if (line.empty())
        return;
    ++tableLines_; // taken back below for the lines that are not a table's
    switch (line.front()) {
    case '/':
        return MarkerEntry(line, kEndStringMarker);
    case '*':
        return MarkerEntry(line, kNewlineMarker);
    case '.':
        return Directive(line);
    case 's':
        return SubtableLine(line);
    case '(':
        return BookmarkLine(line);
    case '#':
    case ';':
        --tableLines_;
        return Note(TableNote::Comment);
    case '$':
        return LinkedEntry(line);
    case '@':
        return TableId(line);
    case '!':
        return SwitchingEntry(line);
    default:
        break;
    }
    if (!IsHexDigit(line.front())) {
        --tableLines_;
        return Note(TableNote::Unknown);
    }
    if (line.starts_with("en"))
        return RangeEnd(line);
    PlainEntry(line);
}

void TableParser::MarkerEntry(std::string_view line, std::string_view marker)
{
    std::string_view rest = line.substr(1);
    if (rest.starts_with('='))
        rest.remove_prefix(1);
    const std::string_view run = LetterAndDigitRun(rest);
    if (run.empty() && marker == kEndStringMarker && rest.size() > 1 && rest.front() == '<') {
        table().AddEndTokenWithoutBytes(std::string(rest)); // "/<END>": ends, writes nothing
        return;
    }
    const auto key = KeyOf(run);
    if (!key)
        return Note(TableNote::Unknown);
    // "/FF=<end>": the key keeps its text as its label.
    std::string label;
    if (run.size() < rest.size() && rest[run.size()] == '=')
        label = std::string(rest.substr(run.size() + 1));
    Append(*key, std::string(marker), std::move(label));
}

void TableParser::Directive(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return;
    const std::string_view name = line.substr(1, equals - 1);
    const std::string_view value = line.substr(equals + 1);
    if (EqualsIgnoringCase(name, "codepage")) {
        if (value.empty() || DigitValue(value.front(), 10) < 0)
            return;
        result_.codePageGiven = true;
        Item(TableSource::Item::Kind::CodePage, current_, std::string(value));
        if (fixedCodePage_ != 0)
            return; // the file's own encoding decides
        // Code pages are numbered up to 65535; a longer number names none and is passed over.
        std::size_t digits = 0;
        while (digits < value.size() && DigitValue(value[digits], 10) >= 0)
            ++digits;
        const std::uint32_t number = ReadLeadingNumber(value, 10);
        if (digits > 5 || number > 65535)
            return Note(TableNote::CodePage);
        table().SetCodePage(static_cast<int>(number));
        if (!CodePageAvailable(table().GetCodePage()))
            Note(TableNote::CodePage);
        if (titleValue_)
            ApplyTitle();
    } else if (EqualsIgnoringCase(name, "title")) {
        Item(TableSource::Item::Kind::Title, current_, std::string(value));
        titleValue_ = std::string(value);
        ApplyTitle();
    }
}

// A title carries the code page it was read under; a later code page line replaces it.
void TableParser::ApplyTitle()
{
    table().SetTitle(*titleValue_ + " (" + std::to_string(table().GetCodePage()) + ")");
}

// Its kind is told by character positions: "start=", "subtableend=", else "subtable=".
void TableParser::SubtableLine(std::string_view line)
{
    const auto value = ValueAfterEquals(line);
    if (line.size() > 1 && line[1] == 't') {
        if (value)
            rangeLow_ = ReadLeadingOffset(*value, 16);
    } else if (line.size() > 8 && line[8] == 'e') {
        const bool hasValue = line.size() > 11 && line[11] == '=';
        table().MutableSubtable(current_).endTrigger
            = hasValue ? ReadLeadingNumber(line.substr(12), 16) : 0;
        Item(TableSource::Item::Kind::SubtableEnd,
             current_,
             {},
             table().MutableSubtable(current_).endTrigger);
        current_ = 0;
    } else if (value) {
        current_ = table().AddSubtable(ReadLeadingNumber(*value, 16), 0);
        Item(TableSource::Item::Kind::SubtableStart,
             current_,
             {},
             table().GetSubtable(current_).startTrigger);
    }
}

void TableParser::RangeEnd(std::string_view line)
{
    if (const auto value = ValueAfterEquals(line))
        table().AddRange(current_, rangeLow_, ReadLeadingOffset(*value, 16));
}

void TableParser::BookmarkLine(std::string_view line)
{
    std::string_view run = LetterAndDigitRun(line.substr(1));
    const std::size_t close = 1 + run.size();
    if (close >= line.size() || line[close] != ')')
        return;
    if (run.ends_with('h') || run.ends_with('H'))
        run.remove_suffix(1);
    // The name is cut once the table's code page is known (BookmarkName).
    result_.bookmarks.push_back({ReadLeadingOffset(run, 16), std::string(line.substr(close + 1))});
}

// A key of one to four digits before the first "=", as tables are written by hand; five to eight
// digits, all hexadecimal, as wide keys are written by the table writer.
void TableParser::PlainEntry(std::string_view line)
{
    const std::size_t equals = line.find('=');
    const std::string_view keyPart = line.substr(0, equals);
    if (keyPart.find_first_of("*?") != std::string_view::npos) {
        --tableLines_;
        return Note(TableNote::WildcardKey); // "FFF2**": a pattern of keys, for other tools
    }
    if (equals == std::string_view::npos || equals < 1) {
        --tableLines_;
        return Note(std::all_of(line.begin(), line.end(), IsHexDigit) ? TableNote::BareKey
                                                                      : TableNote::Unknown);
    }
    if (equals > kMaxKeyDigits) {
        --tableLines_;
        return Note(TableNote::LongKey);
    }
    const std::string_view keyText = line.substr(0, equals);
    const bool allHex = std::all_of(keyText.begin(), keyText.end(), IsHexDigit);
    if (equals > 4 && !allHex) {
        --tableLines_;
        return Note(TableNote::Unknown);
    }
    const auto key = KeyOf(LetterAndDigitRun(keyText));
    if (!key) {
        --tableLines_;
        return Note(TableNote::Unknown);
    }
    if (!allHex)
        Note(TableNote::NonHexKey);
    // An empty text shows as "." but is never what "." encodes to.
    Append(*key, std::string(line.substr(equals + 1)));
}

// "$0500=<Color>,1": the key, its text, and after the last comma how many parameter bytes follow
// the key (1 to 16).
void TableParser::LinkedEntry(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    const std::size_t comma = line.rfind(',');
    const std::string_view keyText
        = line.substr(1, equals == std::string_view::npos ? 0 : equals - 1);
    int parameters = 0;
    const bool counted
        = comma != std::string_view::npos && equals != std::string_view::npos && comma > equals
          && std::from_chars(line.data() + comma + 1, line.data() + line.size(), parameters).ptr
                 == line.data() + line.size();
    const auto key
        = keyText.size() <= kMaxKeyDigits && std::all_of(keyText.begin(), keyText.end(), IsHexDigit)
              ? KeyOf(keyText)
              : std::nullopt;
    if (!counted || !key || parameters < 1 || parameters > kMaxParameters) {
        --tableLines_;
        return Note(TableNote::OtherTool);
    }
    Append(*key, std::string(line.substr(equals + 1, comma - equals - 1)), {}, parameters);
}

// "@name": the name of the table whose entries follow. The first, before any entry, names Main;
// each later one starts a table of its own, read only through switching entries.
void TableParser::TableId(std::string_view line)
{
    std::string_view name = line.substr(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
        name.remove_suffix(1);
    if (name.empty()) {
        --tableLines_;
        return Note(TableNote::OtherTool);
    }
    // Only an "@" before every entry and subtable of the file names Main.
    if (current_ == 0 && table().SubtableCount() == 0 && table().GetSubtable(0).Entries().empty()
        && table().GetSubtable(0).id.empty()) {
        table().MutableSubtable(0).id = std::string(name);
        Item(TableSource::Item::Kind::TableId, 0, std::string(name));
        return;
    }
    current_ = table().AddSubtable(0, 0);
    table().MutableSubtable(current_).id = std::string(name);
    Item(TableSource::Item::Kind::TableId, current_, std::string(name));
}

// "!AB=<[Item Name:]>,<@ItemNames>:1": the key, its text (in angle brackets, which are not part
// of it), the table it switches to and how many entries it reads there (0: as many as match).
void TableParser::SwitchingEntry(std::string_view line)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    const std::size_t equals = line.find('=');
    const std::size_t switchAt = line.rfind(",<@");
    const std::size_t close = line.rfind(">:");
    int count = -1;
    const bool formed
        = equals != std::string_view::npos && switchAt != std::string_view::npos
          && close != std::string_view::npos && switchAt > equals && close > switchAt + 3
          && std::from_chars(line.data() + close + 2, line.data() + line.size(), count).ptr
                 == line.data() + line.size();
    const std::string_view keyText
        = line.substr(1, equals == std::string_view::npos ? 0 : equals - 1);
    const auto key
        = keyText.size() <= kMaxKeyDigits && std::all_of(keyText.begin(), keyText.end(), IsHexDigit)
              ? KeyOf(keyText)
              : std::nullopt;
    if (!formed || !key || count < 0) {
        --tableLines_;
        return Note(TableNote::OtherTool);
    }
    std::string_view text = line.substr(equals + 1, switchAt - equals - 1);
    if (text.size() >= 2 && text.front() == '<' && text.back() == '>')
        text = text.substr(1, text.size() - 2);
    if (!keys_.insert({current_, *key}).second)
        Note(TableNote::RepeatedKey);
    result_.items.push_back(
        {TableSource::Item::Kind::Entry, line_ - 1, current_, *key, std::string(text), {}});
    TableEntry entry;
    entry.key = *key;
    entry.text = std::string(text);
    entry.switchId = std::string(line.substr(switchAt + 3, close - switchAt - 3));
    entry.switchCount = count;
    table().AppendWhileLoading(current_, std::move(entry));
}

} // namespace

ParsedTable ParseTable(std::string_view text, std::string_view fileName, int fixedCodePage)
{
    TableParser parser(fileName, fixedCodePage);
    const bool anyText = text.find_first_not_of("\n\r \t") != std::string_view::npos;
    for (int number = 1; !text.empty(); ++number) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        parser.StartLine(number);
        if (line.size() > kMaxLineLength)
            parser.Note(TableNote::CutLine);
        do {
            const std::size_t piece = parser.PieceLength(line);
            parser.Line(line.substr(0, piece));
            line.remove_prefix(piece);
        } while (!line.empty());
    }
    return parser.Finish(anyText);
}

} // namespace byteloom

namespace byteloom {

bool LooksLikeUtf8(std::string_view bytes)
{
    bool high = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        high = true;
        // Well-formed sequences only: no overlong forms, no surrogates, nothing past 10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char top = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            top = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            top = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? top : 0xBF))
                return false;
        }
        i += length;
    }
    return high;
}

namespace {

// The table read from its text as held (UTF-8 for a UTF-16 file), keeping the file's lines.
ParsedTable ParseHeld(std::string_view held,
                      std::string_view fileName,
                      int fixedCodePage,
                      TableSource::Encoding encoding)
{
    ParsedTable parsed = ParseTable(TextFromStoredBytes(held), fileName, fixedCodePage);
    auto source = std::make_shared<TableSource>(SplitTableSource(held));
    source->encoding = encoding;
    source->codePage = parsed.table.GetCodePage();
    source->title = parsed.table.GetTitle();
    source->items = std::move(parsed.items);
    parsed.table.SetSource(std::move(source));
    return parsed;
}

} // namespace

ParsedTable ParseStoredTable(std::string_view stored, std::string_view fileName)
{
    using Encoding = TableSource::Encoding;
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (stored.starts_with(kUtf8Mark)) {
        ParsedTable parsed = ParseHeld(
            stored.substr(kUtf8Mark.size()), fileName, kUtf8CodePage, Encoding::Utf8Mark);
        parsed.table.SetByteOrderMark(true);
        return parsed;
    }
    if (stored.starts_with("\xFF\xFE") || stored.starts_with("\xFE\xFF")) {
        const bool bigEndian = stored[0] == '\xFE';
        const std::string utf8 = Utf16ToUtf8(stored.substr(2), bigEndian);
        ParsedTable parsed = ParseHeld(
            utf8, fileName, kUtf8CodePage, bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le);
        parsed.table.SetByteOrderMark(true);
        return parsed;
    }
    ParsedTable parsed = ParseHeld(stored, fileName, 0, Encoding::Bytes);
    if (!parsed.codePageGiven && LooksLikeUtf8(TextFromStoredBytes(stored)))
        return ParseHeld(stored, fileName, kUtf8CodePage, Encoding::Bytes);
    return parsed;
}

TableSource SplitTableSource(std::string_view text)
{
    TableSource source;
    const std::size_t end = text.find('\x1A');
    if (end != std::string_view::npos) {
        source.tail = std::string(text.substr(end));
        text = text.substr(0, end);
    }
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        std::string ending = lf == std::string_view::npos ? "" : "\n";
        if (!ending.empty() && line.ends_with('\r')) {
            line.remove_suffix(1);
            ending = "\r\n";
        }
        source.lines.push_back({std::string(line), ending});
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
    }
    return source;
}

} // namespace byteloom
