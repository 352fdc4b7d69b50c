// Prints how this system's converters read every one-byte sequence of a code page, and every
// two-byte sequence that begins with one of its lead bytes, one a line: the bytes, a tab, the
// UTF-16 units (or "-" for none). The Windows build's table is compared with the Linux build's
// (scripts/compare-code-pages), so that the code pages read the same on both.
#include "platform/code_page.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const int number = std::atoi(argv[1]);
    const auto page = byteloom::CodePage::Open(number);
    if (!page) {
        std::fprintf(stderr, "code page %d is not available\n", number);
        return 2;
    }
    const std::array<bool, 256> lead = page->LeadBytes();
    std::string out;
    const auto line = [&](const std::uint8_t *bytes, std::size_t count) {
        char text[16];
        for (std::size_t i = 0; i < count; ++i) {
            std::snprintf(text, sizeof text, "%02X", bytes[i]);
            out += text;
        }
        out += '\t';
        const std::u16string units = page->Decode({bytes, count});
        for (std::size_t i = 0; i < units.size(); ++i) {
            std::snprintf(text, sizeof text, "%s%04X", i ? " " : "", unsigned{units[i]});
            out += text;
        }
        out += units.empty() ? "-\n" : "\n";
    };
    for (unsigned first = 0; first < 256; ++first) {
        const std::uint8_t one = static_cast<std::uint8_t>(first);
        line(&one, 1);
        if (!lead[first])
            continue;
        for (unsigned second = 0; second < 256; ++second) {
            const std::uint8_t two[2]{one, static_cast<std::uint8_t>(second)};
            line(two, 2);
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
