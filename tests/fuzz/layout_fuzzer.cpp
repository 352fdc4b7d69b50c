// Any document through any table, code page or text mode, in any grouping and offset mode: every
// row has one hex and one text cell a byte and never reads past what it got.
#include "document/document.h"
#include "session/session.h"
#include "tables/table_parser.h"
#include "view/code_page_list.h"
#include "view/offset_label.h"
#include "view/row_layout.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    if (size < 4)
        return 0;
    static Session session;
    DisplaySettings display;
    const std::uint8_t mode = data[0];
    const std::uint8_t look = data[1];
    const std::size_t tableLength = std::min<std::size_t>(data[2] * 4u, size - 4);
    const int carryStart = data[3] % 4;
    const std::string_view tableText(reinterpret_cast<const char *>(data + 4), tableLength);
    const std::vector<std::uint8_t> bytes(data + 4 + tableLength, data + size);

    const std::size_t listed = session.codePages().Entries().size();
    display.unicodeText = (mode & 3) == 1;
    display.bigEndian = (mode & 4) != 0;
    display.defaultCodePage = (mode & 3) != 2 || listed == 0;
    display.codePageIndex = listed > 0 ? static_cast<int>((mode >> 3) % listed) : 0;
    display.grouping = look % 10;
    display.offsetRadix = 1 + (look >> 4 & 1);
    display.snesHiRom = (look & 0x20) != 0;
    display.snesLoRom = (look & 0x40) != 0;
    display.bankOffset = (look & 0x80) != 0;
    ParsedTable parsed = ParseTable(tableText, "fuzz.tbl");
    const TableFile *table = (mode & 3) == 3 ? &parsed.table : nullptr;

    Document document(kPageSize, RealFileSystem());
    document.New();
    if (document.ReplaceContents(bytes).ok() == false)
        __builtin_trap();
    RowSource source{document, display, table, session.codePages(), session.decoder(), {}};
    source.selection = {static_cast<std::int64_t>(look), static_cast<std::int64_t>(mode), true};
    int carry = carryStart;
    for (std::int64_t row = 0; row < document.Size(); row += kBytesPerRow) {
        const RowLayout layout = BuildRow(source, row, carry);
        const auto expected = std::min<std::int64_t>(kBytesPerRow, document.Size() - row);
        if (layout.byteCount != expected || static_cast<std::int64_t>(layout.hex.size()) != expected
            || static_cast<std::int64_t>(layout.text.size()) != expected || layout.carryOut < 0
            || layout.carryOut > 3)
            __builtin_trap();
        (void)HexColumnText(layout, EffectiveGrouping(display));
        carry = layout.carryOut;
    }
    return 0;
}
