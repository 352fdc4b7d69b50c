#include "tables/script_dialogs.h"
#include "common/path_text.h"

#include "common/number_text.h"
#include "platform/binary_file.h"
#include "tables/loaded_tables.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <system_error>

namespace byteloom {

namespace {

std::string Formatted(const char *format, std::int64_t value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<long long>(value));
    return text;
}

bool LessIgnoringCase(const std::string &a, const std::string &b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x))
               < std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

std::span<const FileFilter> ScriptFilters()
{
    static const FileFilter filters[]
        = {{"Text Files (*.txt)", "*.txt"}, {"All Files (*.*)", "*.*"}};
    return filters;
}

DumpDialogFields DumpScriptFields(std::int64_t caretOffset)
{
    return {{}, Formatted("%llX", caretOffset), "0", true};
}

DumpDialogFields DumpSelectedFields(std::int64_t anchor, std::int64_t end)
{
    const std::int64_t lo = std::min(anchor, end);
    return {{}, Formatted("%llX", lo), Formatted("%llX", std::max(anchor, end) - lo), true};
}

std::variant<DumpRequest, std::string> ReadDumpDialog(const DumpDialogFields &fields)
{
    if (fields.path.empty())
        return std::string(kGiveFileNameMessage);
    const std::int64_t length = ReadLeadingOffset(fields.length, 16);
    if (length == 0)
        return std::string(kGiveLengthMessage);
    return DumpRequest{fields.path, {ReadLeadingOffset(fields.start, 16), length}, fields.clean};
}

std::optional<std::string> ReplaceFileQuestion(FileSystem &files,
                                               const std::filesystem::path &path,
                                               const std::filesystem::path &chosen)
{
    if (path == chosen || PathExists(files, path) == 0)
        return std::nullopt;
    return TextOfPath(path) + " already exists. Do you want to replace it with the dump?";
}

std::string DumpedMessage(const std::filesystem::path &path, std::int64_t notExact)
{
    std::string message = "Script dumped to " + TextOfPath(path);
    if (notExact > 0)
        message += "; " + std::to_string(notExact) + " keys would not insert back as they were ("
                   + kCleanNotExactNote + ")";
    return message;
}

std::string InsertAddressText(std::int64_t caretOffset, bool decimal)
{
    // Upper case, as the Dumper writes its offsets.
    return Formatted(decimal ? "%lld" : "%llX", caretOffset);
}

std::vector<std::string> InsertTableChoices(const LoadedTables &tables)
{
    std::vector<std::string> choices{std::string(kRawInsertChoice)};
    for (int slot = 0; slot < tables.Count(); ++slot)
        choices.push_back(tables.At(slot).GetTitle());
    std::stable_sort(choices.begin(), choices.end(), LessIgnoringCase);
    return choices;
}

InsertDialogFields InsertScriptFields(std::int64_t caretOffset, const LoadedTables &tables)
{
    const TableFile *current = tables.Current();
    return {{},
            InsertAddressText(caretOffset, false),
            false,
            current ? current->GetTitle() : std::string(kRawInsertChoice),
            {}};
}

std::variant<InsertRequest, std::string> ReadInsertDialog(const InsertDialogFields &fields,
                                                          const LoadedTables &tables)
{
    if (fields.path.empty())
        return std::string(kGiveFileNameMessage);
    if (fields.table != kRawInsertChoice && !tables.FindByTitle(fields.table))
        return UnknownTableMessage(fields.table);
    InsertPlace place{ReadLeadingOffset(fields.address, fields.decimal ? 10 : 16), {}};
    if (!fields.end.empty()) {
        const auto end = ParseWholeOffset(fields.end, 16);
        if (!end)
            return std::string("The end must be a hexadecimal offset, such as 1F000");
        place.end = *end;
    }
    return InsertRequest{fields.path, place, fields.table};
}

bool ScriptFileHasHeaders(FileSystem &files, const std::filesystem::path &path)
{
    // Its first line tells: a header, in UTF-16 too, is well within 80 bytes.
    BinaryFile file(files);
    std::array<std::uint8_t, 80> first{};
    if (!file.Open(path, BinaryFile::Mode::Read).ok())
        return false;
    const auto length = static_cast<std::size_t>(
        std::clamp<std::int64_t>(file.Length(), 0, static_cast<std::int64_t>(first.size())));
    if (!file.ReadAt(0, std::span(first).first(length)).ok())
        return false;
    const TextFileResult read = ScriptTextFromStoredBytes(
        std::string_view(reinterpret_cast<const char *>(first.data()), length), kUtf8CodePage);
    return read.status.ok() && HasOffsetHeaders(read.text);
}

} // namespace byteloom
