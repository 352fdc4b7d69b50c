// Any bytes as a table file: load, decode, dump, encode, write and load again.
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/dump_reference.h"
#include "tables/script_dump.h"
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
    // As a table file is read: its byte-order mark, UTF-8 or UTF-16, decides how.
    ParsedTable parsed = ParseStoredTable(stored, "fuzz.tbl");
    TableFile &table = parsed.table;

    // Decode the input itself as the text column does, through Main, the first subtable and the
    // last (a table of many subtables would otherwise spend every run here).
    const std::span<const std::uint8_t> bytes(data, size);
    for (const int subtable : {0, std::min(1, table.SubtableCount()), table.SubtableCount()}) {
        for (std::size_t position = 0; position < bytes.size();) {
            const DecodedEntry decoded = DecodeBytes(
                table,
                table.GetSubtable(subtable),
                bytes.subspan(position,
                              std::min<std::size_t>(kMaxEntryBytes, bytes.size() - position)));
            if (decoded.byteCount < 1
                || static_cast<std::size_t>(decoded.byteCount) > bytes.size() - position)
                __builtin_trap();
            position += static_cast<std::size_t>(decoded.byteCount);
        }
    }
    // The input dumped through its own table, with and without codes, must be what reading it
    // key by key gives; the dump with codes, inserted back over zeros, must give back its bytes.
    const std::vector<std::uint8_t> image(data, data + size);
    Document document(kPageSize, RealFileSystem());
    document.New();
    (void)document.ReplaceContents(image);
    for (const bool clean : {false, true}) {
        const ByteRange range{size > 0 ? data[0] % 8 : 0, static_cast<std::int64_t>(size)};
        std::string dumped;
        std::int64_t notExact = 0;
        (void)DumpScript(
            document,
            &table,
            range,
            clean,
            [&](std::string_view piece) {
                dumped += piece;
                return Status::Ok();
            },
            {},
            &notExact);
        if (dumped != test::DumpKeyByKey(document, table, range, clean))
            __builtin_trap();
        if (clean || size == 0)
            continue;
        Document back(kPageSize, RealFileSystem());
        back.New();
        (void)back.ReplaceContents(std::vector<std::uint8_t>(size, 0));
        UndoJournal journal;
        const InsertResult inserted
            = InsertScriptText(back, journal, &table, TextFromStoredBytes(dumped), {});
        std::vector<std::uint8_t> read(size);
        (void)back.ReadBlock(0, read);
        const std::ptrdiff_t start = std::min<std::ptrdiff_t>(range.offset, std::ssize(read));
        if (notExact == 0
            && (inserted.Lost()
                || !std::equal(read.begin() + start, read.end(), image.begin() + start)))
            __builtin_trap();
    }
    (void)EncodeScript(table, stored, 0);
    (void)EncodeScript(table, stored, 0, {}, true);
    const std::string written = FormatTableFile(table);
    // The canonical form is a fixed point: written and read again, it is written the same
    // (unless a line grew past the 254 characters a line is read in: a text of 252 characters
    // behind a one-digit key gains a digit when written).
    const ParsedTable again = ParseStoredTable(written, "fuzz.tbl");
    bool longLine = false;
    for (std::size_t start = 0, end; start < written.size(); start = end + 1) {
        end = written.find('\n', start);
        if (end == std::string::npos)
            end = written.size();
        longLine = longLine || end - start > 255;
    }
    if (again.table.SubtableCount() != table.SubtableCount()
        || (!longLine && FormatTableFile(again.table) != written))
        __builtin_trap();
    return 0;
}
