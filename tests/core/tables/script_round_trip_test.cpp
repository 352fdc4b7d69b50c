// A dump inserted back through the same table at the same address gives back the same bytes,
// wherever the table's texts are unambiguous: checked on thousands of random tables and images.
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"
#include "tables/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace byteloom {
namespace {

struct RandomTable
{
    TableFile table;
    std::vector<std::uint8_t> keyBytes; // the one-byte keys
    std::vector<std::uint8_t> leads;    // first bytes of two-byte keys
    int newline = -1;                   // the line-break key, or -1
    int endString = -1;                 // the end-string key, or -1
};

std::string KeyLine(const char *format, unsigned key, const std::string &text)
{
    char line[64];
    std::snprintf(line, sizeof line, format, key, text.c_str());
    return line;
}

// Texts are single letters and digits, unique in their subtable, or "{wN}", which no other text
// begins: nothing a dump writes can be read back two ways. A subtable over part of the image
// maps its keys to other texts. Marker keys may carry a label, written before their breaks.
RandomTable MakeTable(std::mt19937 &random, std::int64_t size, bool japanese)
{
    RandomTable made;
    std::vector<std::uint8_t> bytes(256);
    for (int b = 0; b < 256; ++b)
        bytes[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(b);
    std::shuffle(bytes.begin(), bytes.end(), random);
    const bool markers = random() % 4 != 0;
    std::size_t next = 0;
    if (markers && random() % 3 != 0)
        made.newline = bytes[next++];
    if (markers && random() % 3 != 0)
        made.endString = bytes[next++];
    const std::size_t singles = 1 + random() % 40;
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // A code page 932 table: its longer texts are hiragana, two bytes each.
    std::string text = japanese ? ".codepage=932\n" : "";
    std::string sub;
    for (std::size_t i = 0; i < singles && next < bytes.size(); ++i, ++next) {
        made.keyBytes.push_back(bytes[next]);
        text += KeyLine("%02X=%s\n", bytes[next], std::string(1, letters[i]));
        sub += KeyLine("%02X=%s\n", bytes[next], std::string(1, letters[letters.size() - 1 - i]));
    }
    const std::size_t pairs = random() % 30;
    for (std::size_t i = 0; i < pairs; ++i) {
        const std::uint8_t lead
            = made.keyBytes.empty() || random() % 2 ? bytes[next % 256] : made.keyBytes[0];
        const unsigned key = (lead == 0 ? 1u : lead) * 256u + static_cast<unsigned>(random() % 256);
        made.leads.push_back(static_cast<std::uint8_t>(key >> 8));
        const std::string word = japanese ? std::string{'\x82', static_cast<char>(0x9F + i)}
                                          : "{w" + std::to_string(i) + "}";
        text += KeyLine("%04X=%s\n", key, word);
    }
    // Marker keys with a text of their own ("/FF=<end>") half of the time.
    const bool labels = random() % 2 == 0;
    std::string markerLines;
    if (made.newline >= 0)
        markerLines
            += KeyLine("*%02X%s\n", static_cast<unsigned>(made.newline), labels ? "=<br>" : "");
    if (made.endString >= 0)
        markerLines
            += KeyLine("/%02X%s\n", static_cast<unsigned>(made.endString), labels ? "=<end>" : "");
    text += markerLines;
    if (random() % 2 == 0 && size > 4) {
        const auto low = static_cast<unsigned>(random() % static_cast<std::uint32_t>(size));
        const auto high = low + static_cast<unsigned>(random() % 64);
        text += KeyLine("subtable=E0\nstart=%X%s\n", low, "");
        text += KeyLine("end=%X%s\n", high, "");
        text += sub + markerLines + "subtableend=E1\n";
    }
    made.table = ParseTable(text, "random.tbl").table;
    return made;
}

// Bytes of keys, two-byte keys' leads, markers and (with headers) anything at all. A clean dump
// reads a run of line breaks back as end-string keys where both exist, so there the image keeps
// at most one line-break key, first, in each run of marker keys.
std::vector<std::uint8_t> MakeImage(std::mt19937 &random, const RandomTable &made, bool clean)
{
    std::vector<std::uint8_t> image(1 + random() % 400);
    const bool bothMarkers = made.newline >= 0 && made.endString >= 0;
    for (std::size_t i = 0; i < image.size(); ++i) {
        const auto pick = random() % 10;
        std::uint8_t byte = static_cast<std::uint8_t>(random());
        if (pick < 5 && !made.keyBytes.empty())
            byte = made.keyBytes[random() % made.keyBytes.size()];
        else if (pick < 7 && !made.leads.empty())
            byte = made.leads[random() % made.leads.size()];
        else if (pick == 7 && made.newline >= 0)
            byte = static_cast<std::uint8_t>(made.newline);
        else if (pick == 8 && made.endString >= 0)
            byte = static_cast<std::uint8_t>(made.endString);
        else if (clean && !made.keyBytes.empty())
            byte = made.keyBytes[random() % made.keyBytes.size()];
        const bool afterMarker
            = i > 0 && (image[i - 1] == made.newline || image[i - 1] == made.endString);
        if (clean && bothMarkers && byte == made.newline && afterMarker)
            byte = static_cast<std::uint8_t>(made.endString);
        image[i] = byte;
    }
    return image;
}

std::string Dump(Document &document, const TableFile &table, DumpRange range, bool clean)
{
    std::string stored;
    EXPECT_TRUE(DumpScript(document, &table, range, clean, [&](std::string_view piece) {
                    stored += piece;
                    return Status::Ok();
                }).ok());
    return TextFromStoredBytes(stored);
}

// Whether a clean dump of the image can be read back: a clean dump writes "." for bytes that no
// key matches, and a two-byte key's lead that is not followed by its second byte is one.
bool EveryByteDecodes(Document &document, const TableFile &table, DumpRange range)
{
    const std::int64_t end = std::min(range.start + range.length, document.Size());
    for (std::int64_t at = range.start; at < end;) {
        const DecodedEntry decoded = DecodeAt(table, document, at);
        if (decoded.IsFallback())
            return false;
        at += decoded.byteCount;
    }
    return true;
}

TEST(ScriptRoundTrip, RandomTablesAndImagesComeBackByteForByte)
{
    std::mt19937 random(20261207u);
    int checked = 0;
    for (int round = 0; round < 5000; ++round) {
        const bool clean = round % 2 == 0;
        const RandomTable made = MakeTable(random, 400, round % 3 == 2);
        const std::vector<std::uint8_t> image = MakeImage(random, made, clean);
        auto owned = test::DocumentOf(image);
        Document &document = *owned;
        const auto size = static_cast<std::int64_t>(image.size());
        const auto start = static_cast<std::int64_t>(random() % image.size());
        const DumpRange range{
            start,
            1 + static_cast<std::int64_t>(random() % static_cast<std::uint32_t>(size - start))};
        if (clean && !EveryByteDecodes(document, made.table, range))
            continue;
        const std::string script = Dump(document, made.table, range, clean);

        // Scramble the range, then insert the dump back over it.
        std::vector<std::uint8_t> noise(static_cast<std::size_t>(range.length));
        for (auto &byte : noise)
            byte = static_cast<std::uint8_t>(random());
        ASSERT_EQ(document.WriteBlock(range.start, noise), range.length);
        UndoJournal journal;
        const InsertResult result
            = InsertScriptText(document, journal, &made.table, script, range.start);
        ASSERT_TRUE(result.status.ok()) << result.status.message();
        std::vector<std::uint8_t> back(image.size());
        ASSERT_EQ(document.ReadBlock(0, back), size);
        ASSERT_EQ(back, image) << "round " << round << (clean ? " clean" : " with headers")
                               << "\nscript: " << script;
        EXPECT_GE(result.bytesWritten, range.length);
        EXPECT_EQ(result.skippedCount, 0);
        EXPECT_TRUE(result.overflows.empty());
        EXPECT_EQ(result.bytesBeyondEnd, 0);

        // The insertion is one step of Undo, which brings back every scrambled byte.
        ASSERT_TRUE(journal.Undo(document));
        std::vector<std::uint8_t> undone(static_cast<std::size_t>(range.length));
        ASSERT_EQ(document.ReadBlock(range.start, undone), range.length);
        EXPECT_EQ(undone, noise);
        ++checked;
    }
    EXPECT_GT(checked, 3000);
}

} // namespace
} // namespace byteloom
