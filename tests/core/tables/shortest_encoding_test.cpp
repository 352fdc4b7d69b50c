#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace byteloom {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const TableFile &table, std::string_view text, bool shortest)
{
    const EncodedScript script = EncodeScript(table, text, 0, {}, shortest);
    return script.strings.empty() ? Bytes{} : script.strings.front().bytes;
}

TEST(ShortestEncoding, FewestBytesAndTheLongestFirstWhereThatIsAsShort)
{
    const TableFile table = ParseTable("01=ab\n02=a\n03=bcd\n05=c\n06=d\n07=b\n", "t").table;
    EXPECT_EQ(Encoded(table, "abcd", false), (Bytes{0x01, 0x05, 0x06}));
    EXPECT_EQ(Encoded(table, "abcd", true), (Bytes{0x02, 0x03}));
    EXPECT_EQ(Encoded(table, "abc", true), (Bytes{0x01, 0x05})); // longest first is as short
    // Line breaks and byte codes end a run: each run is encoded on its own.
    const TableFile breaks = ParseTable("01=ab\n02=a\n03=bcd\n07=b\n/FF=<end>\n", "t").table;
    EXPECT_EQ(Encoded(breaks, "abcd<end>\n\nabcd", true), (Bytes{0x02, 0x03, 0xFF, 0x02, 0x03}));

    // Where entries must not be spelled otherwise (linked), or longest first reads across a line
    // break ("a*"), the insert is longest first.
    for (const char *lines : {"10=a*\n61=a\n*FE\n", "$050000=<Color>,1\n10=<Co\n11=lor>\n41=A\n"}) {
        const TableFile kept = ParseTable(lines, "k").table;
        for (const char *typed : {"a\n", "<Color><$03>A"})
            EXPECT_EQ(Encoded(kept, typed, true), Encoded(kept, typed, false)) << lines << typed;
    }
    // Nested switching encodes as it decodes.
    const TableFile nested
        = ParseTable("@Main\n!AB=<[I:]>,<@T1>:1\n@T1\n!10=<{>,<@T2>:1\n@T2\n01=[P]\n", "n").table;
    EXPECT_EQ(Encoded(nested, "[I:]{[P]", false), (Bytes{0xAB, 0x10, 0x01}));

    // Against a brute-force minimum over every way to split short texts, through random
    // tables of texts that spell each other; where longest-first is already shortest, it is
    // what is written.
    std::mt19937 random(5);
    for (int round = 0; round < 300; ++round) {
        std::string lines;
        for (int k = 0; k < 8; ++k) {
            std::string text;
            for (std::size_t n = 1 + random() % 3; n > 0; --n)
                text += static_cast<char>('a' + random() % 3);
            const bool wide = random() % 3 == 0;
            char line[32];
            std::snprintf(line,
                          sizeof line,
                          wide ? "%04X=%s\n" : "%02X=%s\n",
                          wide ? 0x8000 + k : 0x10 + k,
                          text.c_str());
            lines += line;
        }
        for (const char c : {'a', 'b', 'c'})
            lines += std::string(1, static_cast<char>(c - 'a' + 0x61)) + "=" + c + "\n";
        const TableFile made = ParseTable(lines, "r").table;
        std::string text;
        for (std::size_t n = 1 + random() % 8; n > 0; --n)
            text += static_cast<char>('a' + random() % 3);
        // The fewest bytes any split of text[i..] takes through the table's texts.
        std::function<int(std::size_t)> fewest = [&](std::size_t i) {
            if (i == text.size())
                return 0;
            int best = 1 << 20;
            for (int n = 1; n <= 3 && i + static_cast<std::size_t>(n) <= text.size(); ++n) {
                const std::string piece = text.substr(i, static_cast<std::size_t>(n));
                if (const TableEntry *entry = made.GetSubtable(0).FindByText(piece))
                    best = std::min(best,
                                    KeyWidth(entry->key) + fewest(i + static_cast<std::size_t>(n)));
            }
            return best;
        };
        const Bytes shortest = Encoded(made, text, true);
        const Bytes longest = Encoded(made, text, false);
        ASSERT_EQ(static_cast<int>(shortest.size()), fewest(0)) << lines << text;
        if (longest.size() == shortest.size()) {
            EXPECT_EQ(shortest, longest) << lines << text;
        }
        // The bytes read back as the text.
        std::string read;
        for (std::size_t at = 0; at < shortest.size();) {
            const DecodedEntry decoded
                = DecodeBytes(made, made.GetSubtable(0), std::span(shortest).subspan(at));
            read += decoded.entry->text;
            at += static_cast<std::size_t>(decoded.byteCount);
        }
        EXPECT_EQ(read, text) << lines;
    }
}

} // namespace
} // namespace byteloom
