#include "tables/script_insert.h"

#include "document/document.h"
#include "document/undo_journal.h"
#include "tables/loaded_tables.h"
#include "tables/table_codec.h"
#include "tables/text_file.h"

#include <algorithm>
#include <vector>

namespace byteloom {

void RewriteLineBreaks(std::string &text)
{
    std::string rewritten;
    rewritten.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            rewritten.push_back('*');
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            rewritten.push_back(text[i]);
        }
    }
    text = std::move(rewritten);
}

InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              std::int64_t address)
{
    std::vector<std::uint8_t> bytes;
    if (!table) {
        bytes.assign(text.begin(), text.end());
    } else {
        std::string encoded(text.substr(0, text.find('\0')));
        RewriteLineBreaks(encoded);
        bytes = EncodeText(*table, encoded);
    }
    // Only the part that lands inside the document is written, and recorded for Undo.
    const std::int64_t start = std::max<std::int64_t>(address, 0);
    const std::int64_t end
        = std::min(address + static_cast<std::int64_t>(bytes.size()), document.Size());
    if (end <= start)
        return {Status::Ok(), 0};
    const std::span<const std::uint8_t> inside = std::span(bytes).subspan(
        static_cast<std::size_t>(start - address), static_cast<std::size_t>(end - start));
    journal.RecordBeforeWrite(document, start, end - start);
    const std::int64_t written = document.WriteBlock(start, inside);
    if (auto error = document.TakeIoError())
        return {Status::Error(*error), written};
    return {Status::Ok(), written};
}

InsertResult InsertScript(Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          std::int64_t address,
                          std::string_view tableTitle)
{
    const bool raw = tableTitle == kRawInsertChoice;
    const TableFile *table = raw ? nullptr : tables.FindByTitle(tableTitle);
    if (!raw && !table)
        return {Status::Error("No loaded table is titled \"" + std::string(tableTitle) + "\"."), 0};
    const TextFileResult file = ReadTextFile(script);
    if (!file.status.ok())
        return {file.status, 0};
    return InsertScriptText(document, journal, table, file.text, address);
}

} // namespace byteloom
