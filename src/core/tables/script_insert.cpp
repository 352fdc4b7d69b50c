#include "tables/script_insert.h"

#include "common/number_text.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "tables/loaded_tables.h"
#include "tables/table_codec.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace byteloom {

namespace {

constexpr std::size_t kProgressStep = 1 << 20;

std::optional<std::uint32_t> HexValue(std::string_view digits)
{
    std::uint32_t value = 0;
    for (const char c : digits) {
        const int digit = DigitValue(c, 16);
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

struct OffsetHeader
{
    std::int64_t offset = 0;
    std::size_t length = 0; // with its line break, when one follows
};

// The offset header at pos, when one stands there followed by its line break (or the end of
// the text): "<" eight hex digits ">", or more digits (up to 16) naming an offset past 4 GiB, as
// a dump of a larger document writes them.
std::optional<OffsetHeader> HeaderAt(std::string_view text, std::size_t pos)
{
    if (pos >= text.size() || text[pos] != '<')
        return std::nullopt;
    const std::size_t digits = text.substr(pos + 1, 17).find('>');
    if (digits == std::string_view::npos || digits < 8)
        return std::nullopt;
    const std::size_t close = pos + 1 + digits;
    const std::size_t end = close + 1;
    if (end < text.size() && text[end] != '*')
        return std::nullopt;
    const auto offset = ParseWholeOffset(text.substr(pos + 1, digits), 16);
    if (!offset || (digits > 8 && *offset <= 0xFFFFFFFF))
        return std::nullopt;
    return OffsetHeader{*offset, end - pos + (end < text.size() ? 1 : 0)};
}

// A byte code "<x>" or "<xx>" at pos: the byte and the code's length.
std::optional<std::pair<std::uint8_t, std::size_t>> ByteCodeAt(std::string_view text,
                                                               std::size_t pos)
{
    for (std::size_t digits = 1; digits <= 2; ++digits) {
        if (pos + digits + 2 > text.size() || text[pos + digits + 1] != '>')
            continue;
        if (const auto value = HexValue(text.substr(pos + 1, digits)))
            return std::pair{static_cast<std::uint8_t>(*value), digits + 2};
    }
    return std::nullopt;
}

// The line of a position of rewritten text, from where its line breaks were.
int LineOf(const std::vector<std::size_t> &lineBreaks, std::size_t pos)
{
    const auto before = std::lower_bound(lineBreaks.begin(), lineBreaks.end(), pos);
    return static_cast<int>(before - lineBreaks.begin()) + 1;
}

// Encodes one script into its strings, character by character, each through the subtable for
// the offset it is written to.
class ScriptEncoder
{
public:
    ScriptEncoder(const TableFile &table,
                  std::string_view text,
                  const std::vector<std::size_t> &lineBreaks,
                  std::int64_t address)
        : table_(table)
        , text_(text)
        , lineBreaks_(lineBreaks)
        , headers_(HeaderAt(text, 0).has_value())
        , run_(table.SubtableRunAt(address))
    {
        result_.strings.push_back({address, {}});
        // The keys that carry a label, longest label first, for each subtable.
        for (int number = 0; number <= table.SubtableCount(); ++number) {
            std::vector<const TableEntry *> &labelled = labelled_.emplace_back();
            for (const TableEntry &entry : table.GetSubtable(number).Entries()) {
                if (!entry.label.empty())
                    labelled.push_back(&entry);
            }
            std::stable_sort(labelled.begin(), labelled.end(), [](auto *a, auto *b) {
                return a->label.size() > b->label.size();
            });
        }
    }

    EncodedScript Run(const ProgressCallback &progress)
    {
        std::size_t pos = 0;
        // The first header's string goes to the typed address.
        if (headers_)
            pos = HeaderAt(text_, 0)->length;
        std::size_t nextReport = kProgressStep;
        while (pos < text_.size()) {
            if (pos >= nextReport) {
                if (progress
                    && !progress(static_cast<std::int64_t>(pos),
                                 static_cast<std::int64_t>(text_.size())))
                    return {Status::Cancelled(), {}, 0, {}, 0};
                nextReport = pos + kProgressStep;
            }
            pos = Step(pos);
        }
        return std::move(result_);
    }

private:
    // Encodes what stands at pos; returns where the next step starts.
    std::size_t Step(std::size_t pos)
    {
        if (headers_ && pos > 0 && text_[pos - 1] == '*') {
            if (const auto header = HeaderAt(text_, pos)) {
                result_.strings.push_back({header->offset, {}});
                run_ = table_.SubtableRunAt(header->offset);
                return pos + header->length;
            }
        }
        if (const std::size_t next = LabelledMarker(pos); next != pos)
            return next;
        if (text_[pos] == '*')
            return Stars(pos);
        if (headers_ && text_[pos] == '<') {
            if (const auto code = ByteCodeAt(text_, pos)) {
                Bytes().push_back(code->first);
                return pos + code->second;
            }
        }
        const EncodedEntry encoded = EncodeLongest(table_, SubtableHere(), text_.substr(pos));
        if (!encoded.entry) {
            const std::size_t length = CharacterLength(table_, text_, pos);
            Skip(pos, length);
            return pos + length;
        }
        AppendKeyBytes(encoded.entry->key, Bytes());
        return pos + encoded.length;
    }

    // A marker key's label and the line breaks the dump wrote after it ("<end>" and two for a
    // string end, "<br>" and one for a line break) are that key; pos when none stands here.
    std::size_t LabelledMarker(std::size_t pos)
    {
        (void)SubtableHere(); // brings run_ to the subtable for this offset
        for (const TableEntry *entry : labelled_[static_cast<std::size_t>(run_.number)]) {
            if (!text_.substr(pos).starts_with(entry->label))
                continue;
            AppendKeyBytes(entry->key, Bytes());
            std::size_t next = pos + entry->label.size();
            const std::size_t breaks = entry->text == kEndStringMarker ? 2 : 1;
            for (std::size_t k = 0; k < breaks && next < text_.size() && text_[next] == '*'; ++k)
                ++next;
            return next;
        }
        return pos;
    }

    // A run of "*": line breaks, or the entry "*" where the subtable has one.
    std::size_t Stars(std::size_t pos)
    {
        const std::size_t end = text_.find_first_not_of('*', pos);
        const std::size_t next = end == std::string_view::npos ? text_.size() : end;
        const std::size_t k = next - pos;
        const Subtable &subtable = SubtableHere();
        if (subtable.FindByText("*")) {
            for (std::size_t i = 0; i < k; ++i)
                WriteEntry("*", pos + i);
            return next;
        }
        const bool newline = subtable.FindByText(kNewlineMarker) != nullptr;
        const bool endString = subtable.FindByText(kEndStringMarker) != nullptr;
        std::size_t newlines = k;
        std::size_t endStrings = 0;
        if (headers_) {
            if (endString && HeaderAt(text_, next)) {
                newlines = k >= 2 ? k - 2 : 0;
                endStrings = 1;
            }
        } else if (endString) {
            newlines = newline ? k % 2 : 0;
            endStrings = k / 2;
        }
        for (std::size_t i = 0; i < newlines; ++i)
            WriteEntry(kNewlineMarker, pos + i);
        for (std::size_t i = 0; i < endStrings; ++i)
            WriteEntry(kEndStringMarker, pos + newlines + i);
        return next;
    }

    void WriteEntry(std::string_view text, std::size_t pos)
    {
        if (const TableEntry *entry = SubtableHere().FindByText(text))
            AppendKeyBytes(entry->key, Bytes());
        else
            Skip(pos);
    }

    void Skip(std::size_t pos, std::size_t length = 1)
    {
        if (result_.firstSkipped.size() < kSkippedShown)
            result_.firstSkipped.push_back(
                {LineOf(lineBreaks_, pos), std::string(text_.substr(pos, length))});
        ++result_.skippedCount;
    }

    std::vector<std::uint8_t> &Bytes() { return result_.strings.back().bytes; }

    // The subtable for the offset the next key is written to.
    const Subtable &SubtableHere()
    {
        const ScriptString &string = result_.strings.back();
        const std::int64_t at = string.offset + static_cast<std::int64_t>(string.bytes.size());
        if (at >= run_.until)
            run_ = table_.SubtableRunAt(at);
        return table_.GetSubtable(run_.number);
    }

    const TableFile &table_;
    std::vector<std::vector<const TableEntry *>> labelled_;
    std::string_view text_;
    const std::vector<std::size_t> &lineBreaks_;
    bool headers_;
    TableFile::SubtableRun run_;
    EncodedScript result_;
};

std::string Hex(std::int64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%08llX", static_cast<unsigned long long>(value));
    return text;
}

std::string ShownCharacter(std::string_view character)
{
    if (character.size() == 1 && character[0] >= 0x20 && character[0] < 0x7F)
        return "\"" + std::string(character) + "\"";
    std::string shown;
    for (const char c : character) {
        char code[8];
        std::snprintf(code, sizeof code, "<%02X>", static_cast<unsigned char>(c));
        shown += code;
    }
    return shown;
}

// Writes the strings into the document as one undo record, only what lands inside it.
InsertResult
WriteStrings(Document &document, UndoJournal &journal, const std::vector<ScriptString> &strings)
{
    InsertResult result;
    const std::int64_t size = document.Size();
    std::int64_t lo = size;
    std::int64_t hi = 0;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const ScriptString &string = strings[i];
        const auto length = static_cast<std::int64_t>(string.bytes.size());
        const std::int64_t end = std::min(string.offset + length, size);
        result.bytesBeyondEnd += length - std::max<std::int64_t>(end - string.offset, 0);
        if (end > string.offset) {
            lo = std::min(lo, string.offset);
            hi = std::max(hi, end);
        }
        if (i + 1 < strings.size()) {
            const std::int64_t room = strings[i + 1].offset - string.offset;
            if (room >= 0 && length > room)
                result.overflows.push_back({string.offset, length - room});
        }
    }
    if (hi <= lo)
        return result;
    journal.RecordBeforeWrite(document, lo, hi - lo);
    for (const ScriptString &string : strings) {
        const std::int64_t end
            = std::min(string.offset + static_cast<std::int64_t>(string.bytes.size()), size);
        if (end > string.offset)
            result.bytesWritten += document.WriteBlock(
                string.offset,
                std::span(string.bytes).first(static_cast<std::size_t>(end - string.offset)));
    }
    if (auto error = document.TakeIoError())
        result.status = Status::Error(*error);
    return result;
}

} // namespace

std::string UnknownTableMessage(std::string_view title)
{
    return "No loaded table is titled \"" + std::string(title) + "\"; nothing was inserted.";
}

void RewriteLineBreaks(std::string &text, std::vector<std::size_t> *lineBreaks)
{
    std::string rewritten;
    rewritten.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (lineBreaks)
                lineBreaks->push_back(rewritten.size());
            rewritten.push_back('*');
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            rewritten.push_back(text[i]);
        }
    }
    text = std::move(rewritten);
}

EncodedScript EncodeScript(const TableFile &table,
                           std::string_view text,
                           std::int64_t address,
                           const ProgressCallback &progress)
{
    const std::size_t nul = text.find('\0');
    std::string rewritten(text.substr(0, nul));
    std::vector<std::size_t> lineBreaks;
    RewriteLineBreaks(rewritten, &lineBreaks);
    EncodedScript encoded = ScriptEncoder(table, rewritten, lineBreaks, address).Run(progress);
    if (nul != std::string_view::npos && encoded.status.ok())
        encoded.endedAtNulLine = LineOf(lineBreaks, rewritten.size());
    return encoded;
}

InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              std::int64_t address,
                              const ProgressCallback &progress)
{
    if (address < 0 || address >= document.Size()) {
        InsertResult refused;
        refused.status = Status::Error("The address " + Hex(address)
                                       + " is not inside the file, which ends at "
                                       + Hex(document.Size()) + "; nothing was inserted.");
        return refused;
    }
    if (!table)
        return WriteStrings(document, journal, {{address, {text.begin(), text.end()}}});
    EncodedScript encoded = EncodeScript(*table, text, address, progress);
    if (!encoded.status.ok())
        return {encoded.status, 0, 0, {}, 0, {}, 0};
    InsertResult result = WriteStrings(document, journal, encoded.strings);
    result.skippedCount = encoded.skippedCount;
    result.firstSkipped = std::move(encoded.firstSkipped);
    result.endedAtNulLine = encoded.endedAtNulLine;
    return result;
}

InsertResult InsertScript(Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          std::int64_t address,
                          std::string_view tableTitle,
                          const ProgressCallback &progress)
{
    InsertResult refused;
    const bool raw = tableTitle == kRawInsertChoice;
    const TableFile *table = raw ? nullptr : tables.FindByTitle(tableTitle);
    if (!raw && !table) {
        refused.status = Status::Error(UnknownTableMessage(tableTitle));
        return refused;
    }
    const TextFileResult file = ReadTextFile(script);
    if (!file.status.ok()) {
        refused.status = file.status;
        return refused;
    }
    return InsertScriptText(document, journal, table, file.text, address, progress);
}

std::string InsertReport(const InsertResult &result)
{
    std::string report;
    if (result.bytesBeyondEnd > 0)
        report += std::to_string(result.bytesBeyondEnd)
                  + " bytes did not fit before the end of the file and were not written.\n";
    for (const ScriptOverflow &overflow : result.overflows)
        report += "The string at " + Hex(overflow.offset) + " runs "
                  + std::to_string(overflow.excess)
                  + " bytes past the offset of the next string, which overwrites them.\n";
    if (result.skippedCount > 0) {
        report += std::to_string(result.skippedCount)
                  + " characters match no table entry and were skipped:";
        for (const SkippedCharacter &skipped : result.firstSkipped)
            report += " line " + std::to_string(skipped.line) + " "
                      + ShownCharacter(skipped.character) + ",";
        report.back() = '.';
        report += '\n';
    }
    if (result.endedAtNulLine > 0)
        report += "The script's text ends at a NUL byte on line "
                  + std::to_string(result.endedAtNulLine) + "; what follows it was not inserted.\n";
    return report;
}

} // namespace byteloom
