#pragma once

#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace byteloom {

class Document;
class LoadedTables;
class TableFile;
class UndoJournal;

// The table choice that copies a script's bytes unchanged.
inline constexpr std::string_view kRawInsertChoice = "none";

struct InsertResult
{
    Status status = Status::Ok();
    std::int64_t bytesWritten = 0;
};

// Turns every line break into one "*", the form in which table texts name a line break: a
// CR LF pair, a lone LF and a lone CR each become one "*".
void RewriteLineBreaks(std::string &text);

// Writes script text (as read from its file) into the document from address on, as one undo
// record: encoded through the table's current subtable, or copied raw without a table. Bytes
// that would fall beyond the end of the document are not written.
InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              std::int64_t address);

// Writes a script file into the document from address on, as one undo record: encoded through
// the loaded table titled tableTitle (its current subtable), or copied raw for "none". Bytes
// that would fall beyond the end of the document are not written. A script that cannot be read
// or a title that names no loaded table is reported and writes nothing.
InsertResult InsertScript(Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          std::int64_t address,
                          std::string_view tableTitle);

} // namespace byteloom
