// Any bytes as a script, inserted raw and through a table near the end of a document.
#include "document/document.h"
#include "document/undo_journal.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    static const TableFile table
        = ParseTable("41=A\n42=B\n8140=AB\n/FF\n*FE\n2A=*\n123456=wide\n", "fuzz.tbl").table;
    const std::string text
        = TextFromStoredBytes(std::string_view(reinterpret_cast<const char *>(data), size));
    Document document(kPageSize, RealFileSystem());
    document.New();
    UndoJournal journal;
    const std::int64_t address = size > 0 ? 2048 - data[0] : 0;
    for (const TableFile *through : {static_cast<const TableFile *>(nullptr), &table}) {
        const InsertResult result = InsertScriptText(document, journal, through, text, address);
        if (result.bytesWritten < 0 || document.Size() != 2048
            || (!through && result.bytesWritten > 2048 - address))
            __builtin_trap();
    }
    while (journal.Undo(document)) {
    }
    return 0;
}
