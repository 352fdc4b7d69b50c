#pragma once

#include "document/document.h"
#include "tables/script_dump.h"
#include "tables/table_codec.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace byteloom::test {

// The dump as reading the document one key after another gives it, each line break in its
// stored form: what the dump's faster walk must write exactly.
inline std::string
DumpKeyByKey(Document &document, const TableFile &table, DumpRange range, bool clean)
{
    const auto code = [](const char *format, std::uint64_t value) {
        char text[32];
        std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(value));
        return std::string(text);
    };
    std::string text = clean ? "" : code("<%08llx>\r\n", static_cast<std::uint64_t>(range.start));
    const std::int64_t end = std::min(range.start + range.length, document.Size());
    for (std::int64_t at = std::max<std::int64_t>(range.start, 0); at < end;) {
        const DecodedEntry decoded = DecodeAt(table, document, at);
        const TableEntry &entry = *decoded.entry;
        if (decoded.IsFallback()) {
            text += clean ? entry.text : code("<%llx>", document.ReadByte(at));
        } else if (entry.text == kNewlineMarker) {
            text += entry.label + "\r\n";
        } else if (entry.text == kEndStringMarker) {
            text += entry.label + "\r\n\r\n";
            if (!clean)
                text += code("<%08llx>\r\n", static_cast<std::uint64_t>(at + decoded.byteCount));
        } else {
            text += entry.text;
        }
        at += decoded.byteCount;
    }
    std::string stored;
    for (const char c : text) {
        if (c == '\n')
            stored += '\r';
        stored += c;
    }
    return stored;
}

} // namespace byteloom::test
