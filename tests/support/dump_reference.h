#pragma once

#include "document/document.h"
#include "tables/exact_dump.h"
#include "tables/script_dump.h"
#include "tables/table_codec.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace byteloom::test {

// The dump as reading the document one key after another gives it, each key offered alone to the
// exact dump, each line break in its stored form: what the dump's faster walk must write exactly.
inline std::string
DumpKeyByKey(Document &document, const TableFile &table, ByteRange range, bool clean)
{
    std::string stored;
    ExactDump exact(
        table,
        !clean,
        [&stored](std::string_view text) { stored += text; },
        [&stored] { return stored.empty() ? '\0' : stored.back(); });
    if (!clean)
        exact.Header(range.offset);
    const std::int64_t end = std::min(range.offset + range.length, document.Size());
    std::int64_t at = std::max<std::int64_t>(range.offset, 0);
    while (at < end) {
        const DecodedEntry decoded = DecodeAt(table, document, at);
        const TableEntry &entry = *decoded.entry;
        std::string text;
        std::vector<std::uint8_t> bytes;
        if (decoded.IsFallback()) {
            char code[8];
            std::snprintf(code, sizeof code, "<%x>", document.ReadByte(at));
            text = clean ? entry.text : code;
            bytes.push_back(document.ReadByte(at));
        } else {
            for (std::int64_t k = 0; k < decoded.byteCount; ++k)
                bytes.push_back(document.ReadByte(at + k));
            if (entry.text == kNewlineMarker)
                text = entry.label + "\r\r\n";
            else if (entry.text == kEndStringMarker)
                text = entry.label + "\r\r\n\r\r\n";
            else
                text = entry.text.empty() && clean ? "." : entry.text;
            // What goes with a linked or switching entry follows its text.
            text += EntrySuffix(table, decoded, bytes);
        }
        exact.Key(text,
                  bytes,
                  at,
                  exact.WritesAlone(table.SubtableAt(at), decoded),
                  !clean && entry.text == kEndStringMarker && !decoded.IsFallback());
        at += decoded.byteCount;
    }
    exact.Finish(std::max(at, range.offset));
    return stored;
}

} // namespace byteloom::test
