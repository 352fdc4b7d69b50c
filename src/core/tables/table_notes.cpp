#include "tables/table_notes.h"

namespace byteloom {

void TableNotes::Note(TableNote note, int line)
{
    const auto at = static_cast<std::size_t>(note);
    if (count[at]++ == 0)
        firstLine[at] = line;
}

const char *TableNoteName(TableNote note)
{
    switch (note) {
    case TableNote::Comment:
        return "comment";
    case TableNote::OtherTool:
        return "line of another tool";
    case TableNote::LongKey:
        return "key of more than 8 digits";
    case TableNote::NonHexKey:
        return "key with characters that are not hex digits";
    case TableNote::RepeatedKey:
        return "repeated key";
    case TableNote::CodePage:
        return "code page not available";
    case TableNote::CutLine:
        return "line cut at 254 characters";
    case TableNote::Unknown:
    case TableNote::Count:
        break;
    }
    return "unknown";
}

std::string TableNotesSummary(const TableNotes &notes)
{
    if (notes.noTableLine)
        return "Table loaded, but it holds no table line at all: is it a table?";
    // The lines passed over, then what was taken doubtfully.
    const TableNote skipped[]
        = {TableNote::Comment, TableNote::OtherTool, TableNote::LongKey, TableNote::Unknown};
    int total = 0;
    std::string kinds;
    for (const TableNote note : skipped) {
        const int n = notes.Of(note);
        if (n == 0)
            continue;
        total += n;
        const char *name = note == TableNote::Comment ? (n == 1 ? "comment" : "comments")
                           : note == TableNote::OtherTool
                               ? (n == 1 ? "line of another tool" : "lines of other tools")
                           : note == TableNote::LongKey
                               ? (n == 1 ? "key too long" : "keys too long")
                               : "unknown";
        kinds += (kinds.empty() ? "" : ", ") + std::to_string(n) + " " + name;
    }
    std::string doubtful;
    for (const TableNote note :
         {TableNote::NonHexKey, TableNote::RepeatedKey, TableNote::CodePage, TableNote::CutLine}) {
        if (const int n = notes.Of(note); n > 0)
            doubtful
                += (doubtful.empty() ? "" : ", ") + std::to_string(n) + " " + TableNoteName(note);
    }
    if (total == 0 && doubtful.empty())
        return {};
    std::string summary = "Table loaded: ";
    if (total > 0)
        summary += std::to_string(total) + (total == 1 ? " line" : " lines") + " skipped (" + kinds
                   + ")";
    if (!doubtful.empty())
        summary += (total > 0 ? "; " : "") + doubtful;
    return summary + " \u2014 see byteloom-cli tbl";
}

} // namespace byteloom
