#pragma once

#include "platform/file_system.h"
#include "platform/user_prompts.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace byteloom {

class LoadedTables;

// The message that keeps a script dialog open while its file field is empty.
inline constexpr const char *kGiveFileNameMessage = "Please give a file name";
inline constexpr std::string_view kOpenScriptDialogTitle = "Open a Script";
// The Open a Script dialog's filters: "Text Files (*.txt)", "All Files (*.*)".
[[nodiscard]] std::span<const FileFilter> ScriptFilters();

// The Script Dumper's fields, as typed.
struct DumpDialogFields
{
    std::string path;
    std::string start;  // hexadecimal
    std::string length; // hexadecimal
    bool clean = true;
};

// Dump Script opens at the caret's offset with the length 0; Dump Selected with the selection's
// first offset and its byte count (lo and hi in either order). Numbers are written with "%X".
[[nodiscard]] DumpDialogFields DumpScriptFields(std::int64_t caretOffset);
[[nodiscard]] DumpDialogFields DumpSelectedFields(std::int64_t anchor, std::int64_t end);

struct DumpRequest
{
    std::filesystem::path path;
    ByteRange range;
    bool clean = true;
};

// The message that keeps the Script Dumper open while the length is 0: a dump of nothing would
// only empty the file.
inline constexpr const char *kGiveLengthMessage = "Please input a length";
// What the dialog says beside "Clean", whose dump is plain text.
inline constexpr const char *kCleanNotExactNote = "a Clean dump does not insert back exactly";

// OK: the request, or the message for an empty file name or a length of 0. Numbers are read as
// hexadecimal up to the first other character; an empty field is 0.
[[nodiscard]] std::variant<DumpRequest, std::string> ReadDumpDialog(const DumpDialogFields &fields);

// The question OK asks before a dump replaces a file that exists and whose name was typed rather
// than chosen (and so already confirmed) in the Save dialog, or nothing when there is none to ask:
// a dump of length 0 or a wrong name must not wipe a file unasked.
[[nodiscard]] std::optional<std::string> ReplaceFileQuestion(FileSystem &files,
                                                             const std::filesystem::path &path,
                                                             const std::filesystem::path &chosen);

// The status bar's word after a dump, with how many keys of a Clean dump would not insert back.
[[nodiscard]] std::string DumpedMessage(const std::filesystem::path &path,
                                        std::int64_t notExact = 0);

// The Script Insert dialog's fields, as typed.
struct InsertDialogFields
{
    std::string path;
    std::string address;
    bool decimal = false;
    std::string table; // "none" or a table's title
    std::string end;   // "Ends at", hexadecimal; empty for no end
};

// What the address field shows, greyed, for a script whose offset headers place its strings.
inline constexpr std::string_view kFromHeadersText = "from the script's headers";
// Whether the script file begins with an offset header (a dump with headers): then the typed
// address is not used. False when it cannot be read.
[[nodiscard]] bool ScriptFileHasHeaders(FileSystem &files, const std::filesystem::path &path);

// The address field for the caret's offset: "%x", or "%d" when Decimal is chosen.
[[nodiscard]] std::string InsertAddressText(std::int64_t caretOffset, bool decimal);
// The table list: "none" and every loaded table's title, sorted without regard to case.
[[nodiscard]] std::vector<std::string> InsertTableChoices(const LoadedTables &tables);
// The dialog as it opens: Hex, the caret's offset, the current table's title (or "none").
[[nodiscard]] InsertDialogFields InsertScriptFields(std::int64_t caretOffset,
                                                    const LoadedTables &tables);

struct InsertRequest
{
    std::filesystem::path path;
    InsertPlace place;
    std::string tableTitle;
};

// Insert: the request, or the message that keeps the dialog open (an empty file name, a title
// that names no loaded table, an end that is not hexadecimal). The address is read in the chosen
// base up to the first other character; an empty field is 0.
[[nodiscard]] std::variant<InsertRequest, std::string>
ReadInsertDialog(const InsertDialogFields &fields, const LoadedTables &tables);

} // namespace byteloom
