#pragma once

#include "common/status.h"
#include "scripts/pointer_forms.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace byteloom {

class Document;
class TableFile;

// A game's pointer table: count pointers of one form from start, step bytes apart.
struct PointerTable
{
    std::int64_t start = 0;
    std::int64_t count = 0;
    std::int64_t step = 0; // 0: the pointer's own size
    PointerForm form;
    bool bigEndian = false;
    std::int64_t header = 0;
    // The game address whose upper bits a narrow pointer lacks; by default the table's own.
    std::optional<std::int64_t> base;
    // The key that ends a string, for a table that has no end token.
    std::optional<std::uint32_t> endToken;

    [[nodiscard]] std::int64_t Step() const { return step > 0 ? step : form.bits / 8; }
    [[nodiscard]] std::int64_t Base() const
    {
        return base ? *base : GameAddress(form.type, start - header);
    }
};

// The Script Dumper's "Pointer table" fields, as typed (hexadecimal; the offsetting may start
// with "-"; an empty base or end token means the default).
struct PointerTableFields
{
    std::string start;
    std::string count;
    int bits = 16;
    std::string type = "LINEAR";
    bool bigEndian = false;
    std::string header;
    std::string offsetting;
    std::string base;
    std::string endToken;
};
// The fields for a selection from lo to hi (either order) read as a table of 16-bit pointers.
[[nodiscard]] PointerTableFields PointerTableFieldsOf(std::int64_t lo, std::int64_t hi);
// The pointer table, or the message that keeps the dialog open.
[[nodiscard]] std::variant<PointerTable, std::string>
ReadPointerTableFields(const PointerTableFields &fields);

struct PointerDump
{
    Status status = Status::Ok();
    std::string script; // a command script, in the table's code page
    int strings = 0;    // dumped in blocks
    int pointers = 0;   // written with #WRITE
    int setAside = 0;   // pointers kept out of the blocks, as comments
    int notExact = 0;   // strings no text of the dump reads back as their bytes
};

// Dumps the strings a pointer table points to as a command script that inserts them back, byte for
// byte, and rewrites every pointer: each distinct target once, in file order, ended by the table's
// end token; one #JMP(first, last) per run of adjoining strings; before each string a comment
// naming its pointers and one #WRITE per pointer. Pointers outside the file, into the middle of
// another string, or to a string that reaches the end of the file without an end token are
// written as comments and kept out of the blocks. tableName is the name #ADDTBL gives.
[[nodiscard]] PointerDump DumpPointerTable(Document &document,
                                           const TableFile &table,
                                           std::string_view tableName,
                                           const PointerTable &pointers);

} // namespace byteloom
