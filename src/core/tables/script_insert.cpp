#include "tables/script_insert.h"

#include "common/number_text.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "tables/loaded_tables.h"
#include "tables/script_reader.h"
#include "tables/table_codec.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace byteloom {

namespace {

constexpr std::size_t kProgressStep = 1 << 20;

// The line of a position of rewritten text, from where its line breaks were.
int LineOf(const std::vector<std::size_t> &lineBreaks, std::size_t pos)
{
    const auto before = std::lower_bound(lineBreaks.begin(), lineBreaks.end(), pos);
    return static_cast<int>(before - lineBreaks.begin()) + 1;
}

// Encodes one script into its strings, piece by piece as ScriptReader reads it.
class ScriptEncoder
{
public:
    ScriptEncoder(const TableFile &table,
                  std::string_view text,
                  const std::vector<std::size_t> &lineBreaks,
                  std::int64_t address,
                  bool shortest)
        : text_(text)
        , lineBreaks_(lineBreaks)
        , reader_(table, HeaderAt(text, 0).has_value(), shortest)
    {
        // With headers, the first header starts the first string.
        if (!HeaderAt(text, 0))
            result_.strings.push_back({address, {}});
    }

    EncodedScript Run(const ProgressCallback &progress)
    {
        std::size_t nextReport = kProgressStep;
        for (std::size_t pos = 0; pos < text_.size();) {
            if (pos >= nextReport) {
                if (progress
                    && !progress(static_cast<std::int64_t>(pos),
                                 static_cast<std::int64_t>(text_.size())))
                    return {Status::Cancelled(), {}, {}, 0, {}, 0};
                nextReport = pos + kProgressStep;
            }
            pos = Step(pos);
        }
        return std::move(result_);
    }

private:
    std::size_t Step(std::size_t pos)
    {
        using Kind = ScriptReader::Piece::Kind;
        // A script with headers begins with one, which starts the first string.
        if (result_.strings.empty())
            result_.strings.push_back({0, {}});
        ScriptString &string = result_.strings.back();
        const std::int64_t at = string.offset + static_cast<std::int64_t>(string.bytes.size());
        const ScriptReader::Piece piece = reader_.Read(text_, pos, at, string.bytes);
        if (pos == 0 && piece.kind == Kind::Header)
            result_.strings.clear();
        if (piece.kind != Kind::Keys)
            result_.strings.push_back({piece.offset, {}});
        if (piece.kind == Kind::End)
            result_.endMark = std::min(result_.endMark.value_or(piece.offset), piece.offset);
        for (const auto &[skipAt, length] : reader_.Skipped()) {
            if (result_.firstSkipped.size() < kSkippedShown)
                result_.firstSkipped.push_back(
                    {LineOf(lineBreaks_, skipAt), std::string(text_.substr(skipAt, length))});
            ++result_.skippedCount;
        }
        return piece.next;
    }

    std::string_view text_;
    const std::vector<std::size_t> &lineBreaks_;
    ScriptReader reader_;
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

// Where each string's room ends: at the next string's offset above its own, at the end mark,
// at the end the user gave, and at the end of the document, whichever comes first.
std::vector<std::int64_t> LimitsOf(const std::vector<ScriptString> &strings,
                                   std::optional<std::int64_t> end,
                                   std::int64_t size)
{
    std::vector<std::int64_t> starts;
    for (const ScriptString &string : strings)
        starts.push_back(string.offset);
    std::sort(starts.begin(), starts.end());
    const std::int64_t last = std::min(end.value_or(size), size);
    std::vector<std::int64_t> limits;
    for (const ScriptString &string : strings) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), string.offset);
        limits.push_back(next == starts.end() ? last : std::min(*next, last));
    }
    return limits;
}

// Writes the strings into the document as one undo record, each only as far as its room goes.
InsertResult WriteStrings(Document &document,
                          UndoJournal &journal,
                          const std::vector<ScriptString> &strings,
                          std::optional<std::int64_t> end)
{
    InsertResult result;
    const std::int64_t size = document.Size();
    const std::vector<std::int64_t> limits = LimitsOf(strings, end, size);
    std::vector<std::int64_t> written(strings.size(), 0);
    std::int64_t lo = size;
    std::int64_t hi = 0;
    for (std::size_t i = 0; i < strings.size(); ++i) {
        const ScriptString &string = strings[i];
        const auto length = static_cast<std::int64_t>(string.bytes.size());
        written[i] = std::clamp<std::int64_t>(limits[i] - string.offset, 0, length);
        const std::int64_t excess = length - written[i];
        if (excess > 0 && limits[i] >= size && (!end || *end >= size))
            result.bytesBeyondEnd += excess;
        else if (excess > 0)
            result.overflows.push_back({string.offset, excess, limits[i]});
        if (written[i] > 0) {
            lo = std::min(lo, string.offset);
            hi = std::max(hi, string.offset + written[i]);
        }
    }
    if (hi <= lo)
        return result;
    journal.RecordBeforeWrite(document, lo, hi - lo);
    for (std::size_t i = 0; i < strings.size(); ++i) {
        if (written[i] > 0)
            result.bytesWritten += document.WriteBlock(
                strings[i].offset,
                std::span(strings[i].bytes).first(static_cast<std::size_t>(written[i])));
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

bool HasOffsetHeaders(std::string_view text)
{
    std::string first(text.substr(0, 32)); // a header of 16 digits and its line break
    RewriteLineBreaks(first);
    return HeaderAt(first, 0).has_value();
}

EncodedScript EncodeScript(const TableFile &table,
                           std::string_view text,
                           std::int64_t address,
                           const ProgressCallback &progress,
                           bool shortest)
{
    const std::size_t nul = text.find('\0');
    std::string rewritten(text.substr(0, nul));
    std::vector<std::size_t> lineBreaks;
    RewriteLineBreaks(rewritten, &lineBreaks);
    EncodedScript encoded
        = ScriptEncoder(table, rewritten, lineBreaks, address, shortest).Run(progress);
    if (nul != std::string_view::npos && encoded.status.ok())
        encoded.endedAtNulLine = LineOf(lineBreaks, rewritten.size());
    return encoded;
}

InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              InsertPlace place,
                              const ProgressCallback &progress)
{
    const bool headers = table && HasOffsetHeaders(text);
    if (!headers && (place.address < 0 || place.address >= document.Size())) {
        InsertResult refused;
        refused.status = Status::Error("The address " + Hex(place.address)
                                       + " is not inside the file, which ends at "
                                       + Hex(document.Size()) + "; nothing was inserted.");
        return refused;
    }
    if (!table)
        return WriteStrings(
            document, journal, {{place.address, {text.begin(), text.end()}}}, place.end);
    EncodedScript encoded = EncodeScript(*table, text, place.address, progress, place.shortest);
    if (!encoded.status.ok())
        return {encoded.status, 0, 0, {}, 0, {}, 0, 0};
    std::int64_t saved = 0;
    if (place.shortest) {
        // What the longest entry first would have written, to say what was saved.
        const auto total = [](const EncodedScript &script) {
            std::int64_t bytes = 0;
            for (const ScriptString &string : script.strings)
                bytes += static_cast<std::int64_t>(string.bytes.size());
            return bytes;
        };
        saved = total(EncodeScript(*table, text, place.address)) - total(encoded);
    }
    std::optional<std::int64_t> end = place.end;
    if (encoded.endMark)
        end = std::min(end.value_or(*encoded.endMark), *encoded.endMark);
    InsertResult result = WriteStrings(document, journal, encoded.strings, end);
    result.skippedCount = encoded.skippedCount;
    result.firstSkipped = std::move(encoded.firstSkipped);
    result.endedAtNulLine = encoded.endedAtNulLine;
    result.bytesSaved = saved;
    return result;
}

InsertResult InsertScript(FileSystem &files,
                          Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          InsertPlace place,
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
    const TextFileResult file = ReadScriptFile(files, script, table ? table->GetCodePage() : 0);
    if (!file.status.ok()) {
        refused.status = file.status;
        return refused;
    }
    return InsertScriptText(document, journal, table, file.text, place, progress);
}

std::string InsertReport(const InsertResult &result)
{
    std::string report;
    if (result.bytesBeyondEnd > 0)
        report += std::to_string(result.bytesBeyondEnd)
                  + " bytes did not fit before the end of the file and were not written.\n";
    for (const ScriptOverflow &overflow : result.overflows)
        report += "The string at " + Hex(overflow.offset) + " is " + std::to_string(overflow.excess)
                  + " bytes longer than its room, which ends at " + Hex(overflow.limit)
                  + "; they were not written.\n";
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
    if (result.bytesSaved > 0)
        report += "The shortest encoding saved " + std::to_string(result.bytesSaved)
                  + " bytes against the longest entry first.\n";
    return report;
}

} // namespace byteloom
