// Anything typed into Find's field, in every input and search type, with and without a table:
// a pattern of at most 99 bytes, or a message, never both and never neither.
#include "search/search_pattern.h"
#include "session/editing.h"
#include "session/search_state.h"
#include "session/session.h"
#include "tables/table_parser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    static Session session;
    static const TableFile table
        = ParseTable("41=A\n42=B\n8140=AB\n/FF\n*FE\n2A=*\n123456=wide\nsubtable=e0\n"
                     "start=0\nend=ff\n41=x\nsubtableend=e1\n",
                     "fuzz.tbl")
              .table;
    const std::string_view typed(reinterpret_cast<const char *>(data), size);

    if (const auto hex = ParseHexPattern(typed); hex && hex->length() > kMaxPatternLength)
        __builtin_trap();
    if (PrepareTextPattern(typed).length() > kMaxPatternLength)
        __builtin_trap();
    (void)HexHistoryText(typed);

    DisplaySettings display;
    display.unicodeText = size > 0 && (data[0] & 1);
    const TextEncoding encoding{display, session.codePages(), session.decoder()};
    SearchState state;
    for (const InputType input : {InputType::Text, InputType::Hex}) {
        for (const SearchType search : {SearchType::Value, SearchType::Relative}) {
            state.inputType = input;
            state.searchType = search;
            // The relative search's own order, now and then.
            state.relativeSequence = size > 1 && (data[1] & 1) ? "aeiou*\xE3\x81\x82" : "";
            state.relativeWidth = size > 1 && (data[1] & 2) ? 2 : 1;
            for (const TableFile *through : {static_cast<const TableFile *>(nullptr), &table}) {
                const PreparedFind prepared = PrepareFind(state, typed, through, 0x80, encoding);
                if (prepared.Ready() == !prepared.message.empty())
                    __builtin_trap();
                if (prepared.pattern
                    && prepared.pattern->asteriskKinds.size() > 4 * kMaxPatternLength)
                    __builtin_trap();
            }
        }
    }
    return 0;
}
