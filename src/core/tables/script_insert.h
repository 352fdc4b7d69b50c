#pragma once

#include "common/progress.h"
#include "common/status.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class Document;
class LoadedTables;
class TableFile;
class UndoJournal;

// The table choice that copies a script's bytes unchanged.
inline constexpr std::string_view kRawInsertChoice = "none";

// What an insert through a title that names no loaded table says.
[[nodiscard]] std::string UnknownTableMessage(std::string_view title);

// A string of a script with offset headers that is longer than the room up to the offset of the
// next header: it is written whole, and the next string overwrites the excess.
struct ScriptOverflow
{
    std::int64_t offset = 0; // where the string starts
    std::int64_t excess = 0; // bytes past the next string's offset
};

// A character of the script that no entry of the table encodes (a line break shows as "*").
struct SkippedCharacter
{
    int line = 1;
    std::string character; // its bytes: one, or two in a double-byte code page
};

struct InsertResult
{
    Status status = Status::Ok();
    std::int64_t bytesWritten = 0;   // over all strings, inside the document
    std::int64_t bytesBeyondEnd = 0; // encoded bytes that fell past the document's end
    std::vector<ScriptOverflow> overflows;
    std::int64_t skippedCount = 0;
    std::vector<SkippedCharacter> firstSkipped; // the first few, in script order
    int endedAtNulLine = 0;                     // the line of a NUL byte that ended the text, or 0
};

// How many skipped characters a result lists.
inline constexpr std::size_t kSkippedShown = 5;

// Turns every line break into one "*", the form in which table texts name a line break: a
// CR LF pair, a lone LF and a lone CR each become one "*". When lineBreaks is given, it gets the
// position in the rewritten text of every "*" that was a line break.
void RewriteLineBreaks(std::string &text, std::vector<std::size_t> *lineBreaks = nullptr);

// One string of an encoded script: the bytes that go to an offset.
struct ScriptString
{
    std::int64_t offset = 0;
    std::vector<std::uint8_t> bytes;
};

struct EncodedScript
{
    Status status = Status::Ok(); // Cancelled when progress stopped the encoding
    std::vector<ScriptString> strings;
    std::int64_t skippedCount = 0;
    std::vector<SkippedCharacter> firstSkipped;
    int endedAtNulLine = 0;
};

// Encodes script text (as read from its file) through the table for writing from address on,
// so that a dump inserted back gives back its bytes:
// - text up to its first NUL (endedAtNulLine says where that was); line breaks become "*";
// - a script that begins with an offset header "<%08x>" and its line break is a dump with
//   headers: every header at the start of a line starts a new string at the offset it names
//   (the first string goes to address), and "<x>" or "<xx>" is the raw byte it names;
// - each character is encoded through the subtable for the offset its key is written to, the
//   longest entry text first; a character no entry encodes (both bytes of a double-byte one) is
//   skipped and noted;
// - where the subtable has no entry "*", a run of k "*" becomes line-break and end-string keys:
//   with headers, a run that a header follows is k - 2 line-break keys and an end-string key,
//   any other run k line-break keys; without headers, with both keys, an even run is k / 2
//   end-string keys and an odd run one line-break key and (k - 1) / 2 end-string keys, with only
//   an end-string key k / 2 end-string keys, with only a line-break key k line-break keys.
// progress is told about every megabyte of text and may cancel.
[[nodiscard]] EncodedScript EncodeScript(const TableFile &table,
                                         std::string_view text,
                                         std::int64_t address,
                                         const ProgressCallback &progress = {});

// Writes script text (as read from its file) into the document from address on as one undo
// record: encoded by EncodeScript through the table, or copied raw without a table. An address
// outside the document is refused and writes nothing; bytes that would fall past the end are not
// written and are counted in bytesBeyondEnd. A cancel writes nothing.
InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              std::int64_t address,
                              const ProgressCallback &progress = {});

// InsertScriptText with a script file and the loaded table titled tableTitle, or a raw copy for
// "none". A script that cannot be read or a title that names no loaded table is reported and
// writes nothing.
InsertResult InsertScript(Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          std::int64_t address,
                          std::string_view tableTitle,
                          const ProgressCallback &progress = {});

// What the user should know about a finished insert besides the count: the bytes past the end,
// the overflowing strings and the skipped characters, one line each; empty when there is
// nothing to say.
[[nodiscard]] std::string InsertReport(const InsertResult &result);

} // namespace byteloom
