#include "tables/table_notes.h"

namespace byteloom {

void TableNotes::Note(TableNote note, int line)
{
    const auto at = static_cast<std::size_t>(note);
    if (count[at]++ == 0)
        firstLine[at] = line;
}

const char *TableNoteName(TableNote note, bool plural)
{
    switch (note) {
    case TableNote::Comment:
        return plural ? "comments" : "comment";
    case TableNote::OtherTool:
        return plural ? "lines of other tools" : "line of another tool";
    case TableNote::LongKey:
        return plural ? "keys of more than 8 digits" : "key of more than 8 digits";
    case TableNote::BareKey:
        return plural ? "bare keys without \"=\"" : "bare key without \"=\"";
    case TableNote::WildcardKey:
        return plural ? "keys with wildcard characters" : "key with wildcard characters";
    case TableNote::NonHexKey:
        return plural ? "keys with characters that are not hex digits"
                      : "key with characters that are not hex digits";
    case TableNote::RepeatedKey:
        return plural ? "repeated keys" : "repeated key";
    case TableNote::CodePage:
        return "code page not available";
    case TableNote::CutLine:
        return plural ? "lines cut at 254 bytes" : "line cut at 254 bytes";
    case TableNote::Unknown:
    case TableNote::Count:
        break;
    }
    return plural ? "lines that fit no form" : "line that fits no form";
}

namespace {

// "2 comments from line 4", "1 comment at line 4".
std::string Counted(const TableNotes &notes, TableNote note)
{
    const int n = notes.Of(note);
    std::string counted = std::to_string(n) + " " + TableNoteName(note, n > 1)
                          + (n > 1 ? " from line " : " at line ")
                          + std::to_string(notes.FirstLineOf(note));
    if (note == TableNote::RepeatedKey)
        counted += " (the first entry of a key is the one used)";
    return counted;
}

} // namespace

std::string NotATableMessage(std::string_view fileName)
{
    return std::string(fileName) + " is not a table file: not one of its lines maps bytes to text.";
}

std::string TableNotesSummary(const TableNotes &notes)
{
    // The lines passed over, then what was taken doubtfully.
    const TableNote skipped[] = {TableNote::Comment,
                                 TableNote::OtherTool,
                                 TableNote::LongKey,
                                 TableNote::BareKey,
                                 TableNote::WildcardKey,
                                 TableNote::Unknown};
    int total = 0;
    std::string kinds;
    for (const TableNote note : skipped) {
        if (notes.Of(note) == 0)
            continue;
        total += notes.Of(note);
        kinds += (kinds.empty() ? "" : ", ") + Counted(notes, note);
    }
    std::string doubtful;
    for (const TableNote note :
         {TableNote::NonHexKey, TableNote::RepeatedKey, TableNote::CodePage, TableNote::CutLine}) {
        if (notes.Of(note) > 0)
            doubtful += (doubtful.empty() ? "" : ", ") + Counted(notes, note);
    }
    if (total == 0 && doubtful.empty())
        return {};
    std::string summary = "Table loaded: ";
    if (total > 0)
        summary += std::to_string(total) + (total == 1 ? " line" : " lines") + " skipped (" + kinds
                   + ")";
    if (!doubtful.empty())
        summary += (total > 0 ? "; " : "") + doubtful;
    return summary;
}

} // namespace byteloom
