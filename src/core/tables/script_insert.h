#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <optional>
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

// A string longer than its room: the room ends at the next string's offset (the next header
// above it), the end mark of a dump, or the end the user gave, whichever comes first. Only what
// fits is written; the excess is not.
struct ScriptOverflow
{
    std::int64_t offset = 0; // where the string starts
    std::int64_t excess = 0; // bytes that did not fit
    std::int64_t limit = 0;  // where its room ends
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
    std::int64_t bytesSaved = 0; // by the shortest encoding, against the longest entry first

    // Whether anything of the script was not written as it stands: bytes past the end, strings
    // cut at their room's end, skipped characters, text after a NUL.
    [[nodiscard]] bool Lost() const
    {
        return bytesBeyondEnd > 0 || !overflows.empty() || skippedCount > 0 || endedAtNulLine > 0;
    }
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
    std::optional<std::int64_t> endMark; // the end a dump's last line "<end:%08x>" gives
    std::int64_t skippedCount = 0;
    std::vector<SkippedCharacter> firstSkipped;
    int endedAtNulLine = 0;
};

// Whether script text (as read from its file) is a dump with offset headers: it begins with one.
[[nodiscard]] bool HasOffsetHeaders(std::string_view text);

// Encodes script text (as read from its file) through the table, as ScriptReader reads it:
// - text up to its first NUL (endedAtNulLine says where that was); line breaks become "*";
// - a script that begins with an offset header "<%08x>" is a dump with headers: every header at
//   the start of a line starts a new string at the offset it names, the end mark "<end:%08x>"
//   says where the dumped range ended, and "<x>" or "<xx>" is the raw byte it names; address is
//   not used;
// - a script without headers is one string, written from address on.
// progress is told about every megabyte of text and may cancel.
// With shortest, each run of text takes the fewest bytes its entries allow (ScriptReader).
[[nodiscard]] EncodedScript EncodeScript(const TableFile &table,
                                         std::string_view text,
                                         std::int64_t address,
                                         const ProgressCallback &progress = {},
                                         bool shortest = false);

// Where an insert may write: a script without headers goes to address; nothing is written at or
// past end when one is given. And how it encodes: the longest entry first, or with shortest the
// fewest bytes.
struct InsertPlace
{
    InsertPlace(std::int64_t at = 0, std::optional<std::int64_t> until = {}, bool fewest = false)
        : address(at)
        , end(until)
        , shortest(fewest)
    {}
    std::int64_t address = 0;
    std::optional<std::int64_t> end;
    bool shortest = false;
};

// Writes script text (as read from its file) into the document as one undo record: encoded by
// EncodeScript through the table, or copied raw without a table to place.address. An address
// outside the document is refused and writes nothing. Every string is cut at the end of its
// room (see ScriptOverflow) and at the document's end (bytesBeyondEnd). A cancel writes nothing.
InsertResult InsertScriptText(Document &document,
                              UndoJournal &journal,
                              const TableFile *table,
                              std::string_view text,
                              InsertPlace place,
                              const ProgressCallback &progress = {});

// InsertScriptText with a script file (see ScriptTextOfFile) and the loaded table titled
// tableTitle, or a raw copy for "none". A script that cannot be read or a title that names no
// loaded table is reported and writes nothing.
InsertResult InsertScript(FileSystem &files,
                          Document &document,
                          UndoJournal &journal,
                          const LoadedTables &tables,
                          const std::filesystem::path &script,
                          InsertPlace place,
                          std::string_view tableTitle,
                          const ProgressCallback &progress = {});

// What the user should know about a finished insert besides the count: the bytes past the end,
// the overflowing strings and the skipped characters, one line each; empty when there is
// nothing to say.
[[nodiscard]] std::string InsertReport(const InsertResult &result);

} // namespace byteloom
