// Any bytes as a table file: load, decode, encode, write and load again.
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    const std::string_view stored(reinterpret_cast<const char *>(data), size);
    ParsedTable parsed = ParseTable(TextFromStoredBytes(stored), "fuzz.tbl");
    TableFile &table = parsed.table;

    // Decode the input itself as the text column does, through Main, the first subtable and the
    // last (a table of many subtables would otherwise spend every run here).
    const std::span<const std::uint8_t> bytes(data, size);
    for (const int subtable : {0, std::min(1, table.SubtableCount()), table.SubtableCount()}) {
        for (std::size_t position = 0; position < bytes.size();) {
            const DecodedEntry decoded = DecodeBytes(
                table,
                table.GetSubtable(subtable),
                bytes.subspan(position, std::min<std::size_t>(4, bytes.size() - position)));
            if (decoded.byteCount < 1
                || static_cast<std::size_t>(decoded.byteCount) > bytes.size() - position)
                __builtin_trap();
            position += static_cast<std::size_t>(decoded.byteCount);
        }
    }
    (void)EncodeScript(table, stored, 0);
    const std::string written = FormatTableFile(table, parsed.bookmarks);
    const ParsedTable again = ParseTable(TextFromStoredBytes(written), "again.tbl");
    if (again.table.SubtableCount() != table.SubtableCount())
        __builtin_trap();
    return 0;
}
