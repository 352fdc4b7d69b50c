#include "tables/table_parser.h"

#include "common/number_text.h"

#include <cctype>
#include <optional>
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
    explicit TableParser(std::string_view fileName) { result_.table.SetTitle(fileName); }

    void Line(std::string_view line);
    ParsedTable Finish()
    {
        result_.table.FinishLoading();
        return std::move(result_);
    }

private:
    TableFile &table() { return result_.table; }
    void MarkerEntry(std::string_view line, std::string_view marker);
    void Directive(std::string_view line);
    void SubtableLine(std::string_view line);
    void RangeEnd(std::string_view line);
    void BookmarkLine(std::string_view line);
    void PlainEntry(std::string_view line);
    void ApplyTitle();

    ParsedTable result_;
    int current_ = 0;
    std::uint32_t rangeLow_ = 0;
    std::optional<std::string> titleValue_;
};

void TableParser::Line(std::string_view line)
{
    if (line.empty())
        return;
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
    default:
        break;
    }
    if (!IsHexDigit(line.front()))
        return; // comments ("[", ";") and every other kind of line
    if (line.starts_with("en"))
        return RangeEnd(line);
    PlainEntry(line);
}

void TableParser::MarkerEntry(std::string_view line, std::string_view marker)
{
    std::string_view rest = line.substr(1);
    if (rest.starts_with('='))
        rest.remove_prefix(1);
    if (const auto key = KeyOf(LetterAndDigitRun(rest)))
        table().AppendWhileLoading(current_, *key, std::string(marker));
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
        table().SetCodePage(static_cast<int>(ReadLeadingNumber(value, 10)));
        if (titleValue_)
            ApplyTitle();
    } else if (EqualsIgnoringCase(name, "title")) {
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
            rangeLow_ = ReadLeadingNumber(*value, 16);
    } else if (line.size() > 8 && line[8] == 'e') {
        const bool hasValue = line.size() > 11 && line[11] == '=';
        table().MutableSubtable(current_).endTrigger
            = hasValue ? ReadLeadingNumber(line.substr(12), 16) : 0;
        current_ = 0;
    } else if (value) {
        current_ = table().AddSubtable(ReadLeadingNumber(*value, 16), 0);
    }
}

void TableParser::RangeEnd(std::string_view line)
{
    if (const auto value = ValueAfterEquals(line))
        table().AddRange(current_, rangeLow_, ReadLeadingNumber(*value, 16));
}

void TableParser::BookmarkLine(std::string_view line)
{
    std::string_view run = LetterAndDigitRun(line.substr(1));
    const std::size_t close = 1 + run.size();
    if (close >= line.size() || line[close] != ')')
        return;
    if (run.ends_with('h') || run.ends_with('H'))
        run.remove_suffix(1);
    const std::string_view rest = line.substr(close + 1);
    std::size_t nameLength = 0;
    while (nameLength < rest.size()
           && (IsLetterOrDigit(rest[nameLength]) || rest[nameLength] == ' '))
        ++nameLength;
    result_.bookmarks.push_back(
        {ReadLeadingNumber(run, 16), std::string(rest.substr(0, nameLength))});
}

// A key of one to four digits before the first "=", as tables are written by hand; five to eight
// digits, all hexadecimal, as wide keys are written by the table writer.
void TableParser::PlainEntry(std::string_view line)
{
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || equals < 1 || equals > kMaxKeyDigits)
        return;
    const std::string_view keyText = line.substr(0, equals);
    if (equals > 4) {
        for (const char c : keyText) {
            if (!IsHexDigit(c))
                return;
        }
    }
    const auto key = KeyOf(LetterAndDigitRun(keyText));
    if (!key)
        return;
    std::string text(line.substr(equals + 1));
    if (text.empty())
        text = ".";
    table().AppendWhileLoading(current_, *key, std::move(text));
}

} // namespace

ParsedTable ParseTable(std::string_view text, std::string_view fileName)
{
    TableParser parser(fileName);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        do {
            parser.Line(line.substr(0, kMaxLineLength));
            line.remove_prefix(std::min(line.size(), kMaxLineLength));
        } while (!line.empty());
    }
    return parser.Finish();
}

} // namespace byteloom
