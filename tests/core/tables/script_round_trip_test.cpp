// A dump made with codes inserts back byte for byte through the same table, whatever the table
// holds: texts that other texts spell, texts shared by several keys, empty texts, texts that look
// like a script's own syntax, keys of one to four bytes, double-byte texts. A Clean dump counts
// the keys it would not give back, and gives back every byte when it counts none.
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "tables/table_notes.h"
#include "tables/table_parser.h"
#include "tables/table_writer.h"
#include "tables/text_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace byteloom {
namespace {

std::string Hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

struct RandomTable
{
    std::string text;                // the table file
    std::vector<std::uint8_t> bytes; // bytes its keys begin with, and their later bytes
};

// A table with the structure real tables have: single letters and digits, dictionary entries
// spelled by them ("the " beside "t", "h", "e", " "), texts that two keys share, empty texts,
// "<", ">", "*", "." and hex digits that spell codes and headers, keys of up to four bytes,
// line-break and string-end keys (sometimes two of a kind, sometimes labelled), linked entries
// with their parameter bytes, now and then a subtable over part of the image, and a table of
// names that switching entries read through.
RandomTable MakeTable(std::mt19937 &random, bool japanese)
{
    RandomTable made;
    const auto pick = [&](std::size_t n) {
        return static_cast<unsigned>(random() % static_cast<unsigned>(n));
    };
    std::vector<unsigned> free(256);
    for (unsigned b = 0; b < 256; ++b)
        free[b] = b;
    std::shuffle(free.begin(), free.end(), random);
    std::size_t next = 0;
    const auto byte = [&] {
        return free[next++ % 256];
    };
    std::vector<std::string> texts;
    std::string lines = japanese ? ".codepage=932\n" : "";
    const auto entry = [&](unsigned key, int digits, const std::string &text) {
        lines += Hex(key, digits) + "=" + text + "\n";
        for (int shift = 8 * (digits / 2 - 1); shift >= 0; shift -= 8)
            made.bytes.push_back(static_cast<std::uint8_t>(key >> shift));
        texts.push_back(text);
    };
    const std::vector<std::string> alphabet
        = japanese
              ? std::vector<std::string>{"\x82\xA0", "\x82\xA2", "\x82\xA4", "\x88\x9F", "a", "."}
              : std::vector<std::string>{
                  "t", "h", "e", " ", ".", "<", ">", "*", "1", "f", "0", "a"};
    for (const std::string &letter : alphabet) {
        if (random() % 5 != 0)
            entry(byte(), 2, letter);
    }
    const std::size_t words = pick(8);
    for (std::size_t i = 0; i < words && !texts.empty(); ++i) {
        std::string word;
        for (std::size_t n = 2 + pick(3); n > 0; --n)
            word += texts[pick(texts.size())];
        const int width = random() % 4 == 0 ? 3 + static_cast<int>(pick(2)) : 2;
        const unsigned low = random() % 256;
        const unsigned key = width == 2   ? byte() * 256 + low
                             : width == 3 ? (byte() << 16) | (random() % 256) << 8 | low
                                          : (byte() << 24) | (random() % 0x10000) << 8 | low;
        entry(key, width * 2, word);
    }
    for (std::size_t i = pick(3); i > 0 && !texts.empty(); --i)
        entry(byte(), 2, texts[pick(texts.size())]); // a second key for a text
    for (std::size_t i = pick(3); i > 0; --i) {
        // Shown as ".", never what "." encodes to; one or two bytes.
        if (random() % 2 == 0)
            entry(byte(), 2, "");
        else
            entry(byte() * 256 + pick(256), 4, "");
    }
    // Linked entries: a control code and the parameter bytes after it ("$0500=<Color>,1"), its
    // text a tag or one that other keys spell.
    for (std::size_t i = random() % 3 == 0 ? 1 + pick(2) : 0; i > 0; --i) {
        const bool wide = random() % 2 == 0;
        const unsigned key = wide ? byte() * 256 + pick(256) : byte();
        const std::string text
            = random() % 2 == 0 || texts.empty() ? "<Color>" : texts[pick(texts.size())];
        lines
            += "$" + Hex(key, wide ? 4 : 2) + "=" + text + "," + std::to_string(1 + pick(3)) + "\n";
        made.bytes.push_back(static_cast<std::uint8_t>(wide ? key >> 8 : key));
    }
    const bool labels = random() % 3 == 0;
    for (const char *marker : {"*", "/"}) {
        for (std::size_t i = pick(3); i > 0; --i) {
            const unsigned key = byte();
            made.bytes.push_back(static_cast<std::uint8_t>(key));
            lines += marker + Hex(key, 2);
            if (labels && i == 1)
                lines += *marker == '*' ? "=<br>" : random() % 2 ? "=[end]" : "=\r";
            lines += "\n";
        }
    }
    if (random() % 4 == 0) {
        lines += "subtable=E0\nstart=" + Hex(pick(300), 1) + "\nend=" + Hex(300 + pick(300), 1)
                 + "\n";
        for (std::size_t i = 0; i < alphabet.size(); ++i)
            lines += Hex(free[i], 2) + "=" + alphabet[alphabet.size() - 1 - i] + "\n";
        lines += "subtableend=E1\n";
    }
    // Now and then a table of names read through switching entries ("!AB=<[Item]>,<@Names>:1"),
    // its texts like Main's, so that reading back may take either.
    if (random() % 3 == 0) {
        for (std::size_t i = 1 + pick(2); i > 0; --i) {
            const unsigned key = byte();
            made.bytes.push_back(static_cast<std::uint8_t>(key));
            lines += "!" + Hex(key, 2) + "=<[Item]>,<@Names>:" + std::to_string(pick(3)) + "\n";
        }
        lines += "@Names\n";
        for (std::size_t i = 1 + pick(4); i > 0; --i) {
            const unsigned key = pick(256);
            made.bytes.push_back(static_cast<std::uint8_t>(key));
            lines += Hex(key, 2) + "="
                     + (random() % 2 == 0 || texts.empty() ? "[N" + std::to_string(i) + "]"
                                                           : texts[pick(texts.size())])
                     + "\n";
        }
    }
    made.text = lines;
    return made;
}

std::vector<std::uint8_t> MakeImage(std::mt19937 &random, const RandomTable &made)
{
    std::vector<std::uint8_t> image(1 + random() % 600);
    for (std::uint8_t &b : image)
        b = random() % 8 == 0 || made.bytes.empty() ? static_cast<std::uint8_t>(random())
                                                    : made.bytes[random() % made.bytes.size()];
    return image;
}

struct Dumped
{
    std::string script; // as read from its file
    std::int64_t notExact = 0;
};

Dumped Dump(Document &document, const TableFile &table, ByteRange range, bool clean)
{
    std::string stored;
    Dumped dumped;
    EXPECT_TRUE(DumpScript(
                    document,
                    &table,
                    range,
                    clean,
                    [&](std::string_view piece) {
                        stored += piece;
                        return Status::Ok();
                    },
                    {},
                    &dumped.notExact)
                    .ok());
    dumped.script = TextFromStoredBytes(stored);
    return dumped;
}

TEST(ScriptRoundTrip, DumpsWithCodesInsertBackExactlyThroughAnyTable)
{
    std::mt19937 random(20261207u);
    int cleanExact = 0;
    for (int round = 0; round < 6000; ++round) {
        const bool clean = round % 3 == 0;
        const RandomTable made = MakeTable(random, round % 5 == 4);
        const TableFile table = ParseTable(made.text, "random.tbl").table;
        const std::vector<std::uint8_t> image = MakeImage(random, made);
        auto document = test::DocumentOf(image);
        const auto size = static_cast<std::int64_t>(image.size());
        const auto start = static_cast<std::int64_t>(random() % image.size());
        const auto room = static_cast<std::uint32_t>(size - start + 1);
        const ByteRange range{start, static_cast<std::int64_t>(random() % room)};
        const Dumped dumped = Dump(*document, table, range, clean);
        if (!clean) {
            ASSERT_EQ(dumped.notExact, 0) << made.text << "\nscript: " << dumped.script;
        }
        if (dumped.notExact > 0)
            continue;
        cleanExact += clean ? 1 : 0;

        // Scramble the image, then insert the dump back: a typed address only places a script
        // without headers.
        std::vector<std::uint8_t> noise(image.size());
        for (auto &b : noise)
            b = static_cast<std::uint8_t>(random());
        ASSERT_TRUE(document->ReplaceContents(noise).ok());
        UndoJournal journal;
        const InsertResult result = InsertScriptText(
            *document, journal, &table, dumped.script, {clean ? range.offset : size - 1, {}});
        ASSERT_TRUE(result.status.ok()) << result.status.message();
        std::vector<std::uint8_t> expected = noise;
        const std::int64_t end = std::min(size, start + result.bytesWritten);
        std::copy(image.begin() + start, image.begin() + end, expected.begin() + start);
        ASSERT_EQ(test::ContentsOf(*document), expected)
            << "round " << round << (clean ? " clean\n" : " with codes\n") << made.text
            << "\nscript: " << dumped.script;
        ASSERT_GE(result.bytesWritten, std::min(range.length, size - start));
        EXPECT_FALSE(result.Lost()) << InsertReport(result);
    }
    EXPECT_GT(cleanExact, 80); // a Clean dump that counts nothing gives back every byte
}

// The hardest tables a translator meets: a dictionary entry that single keys spell, two keys for
// one kanji, an empty text. Every pair of bytes, dumped with codes, comes back.
TEST(ScriptRoundTrip, EveryBytePairThroughADictionaryTableComesBack)
{
    const TableFile table = ParseTable(".codepage=932\n26=.\n0426=...\n20=\n41=A\n"
                                       "E000=the \n74=t\n68=h\n65=e\n"
                                       "053E=\x88\x9F\n0132=\x88\x9F\n/FF\n*FE\n",
                                       "dte.tbl")
                                .table;
    std::vector<std::uint8_t> image;
    for (unsigned pair = 0; pair < 0x10000; ++pair) {
        image.push_back(static_cast<std::uint8_t>(pair >> 8));
        image.push_back(static_cast<std::uint8_t>(pair));
    }
    image.insert(image.end(), {0x26, 0x26, 0x26, 0x74, 0x68, 0x65, 0x20, 0x41, 0x05, 0x3E});
    auto document = test::DocumentOf(image);
    const auto size = static_cast<std::int64_t>(image.size());
    const Dumped dumped = Dump(*document, table, {0, size}, false);
    EXPECT_EQ(dumped.notExact, 0);
    // Readable where it can be: one "." becomes a code so that "..." does not read as 04 26,
    // the empty text is its code, the kanji's first key is text and its second a code.
    EXPECT_NE(dumped.script.find("<26>..the<20>A\x88\x9F"), std::string::npos);
    EXPECT_NE(dumped.script.find("<1><32>"), std::string::npos);
    ASSERT_TRUE(document->ReplaceContents(std::vector<std::uint8_t>(image.size())).ok());
    UndoJournal journal;
    const InsertResult result = InsertScriptText(*document, journal, &table, dumped.script, {});
    ASSERT_TRUE(result.status.ok());
    EXPECT_FALSE(result.Lost()) << InsertReport(result);
    EXPECT_EQ(test::ContentsOf(*document), image);

    // A Clean dump of the same says how much would not come back.
    EXPECT_GT(Dump(*document, table, {0, size}, true).notExact, 1000);
}

// What no form of a dump can give back is said: a string-end text that reads as a byte code. A
// Clean dump that begins as an offset header would be read as a dump with headers: it counts.
TEST(ScriptRoundTrip, WhatCannotComeBackIsCounted)
{
    const std::vector<std::uint8_t> image{0x41, 0x1F, 0x41, 0xFF};
    auto document = test::DocumentOf(image);
    const TableFile coded = ParseTable("/FF=<1f>\n41=A\n", "t.tbl").table;
    EXPECT_EQ(Dump(*document, coded, {0, 4}, false).notExact, 1);
    const TableFile header = ParseTable("41=<00000010>\n*FE\n", "t.tbl").table;
    const auto headed = test::DocumentOf({0x41, 0xFE, 0x41});
    EXPECT_EQ(Dump(*headed, header, {0, 3}, true).notExact, 1);
    EXPECT_EQ(Dump(*headed, header, {0, 3}, false).notExact, 0);
}

} // namespace
} // namespace byteloom

namespace byteloom {
namespace {

// A dump with codes of the whole document, and what inserting it over zeros gives back.
std::string DumpedWithCodes(Document &document, const TableFile &table)
{
    std::string dumped;
    EXPECT_TRUE(
        DumpScript(document, &table, {0, document.Size()}, false, [&](std::string_view text) {
            dumped += text;
            return Status::Ok();
        }).ok());
    return dumped;
}

std::vector<std::uint8_t>
InsertedBack(const TableFile &table, const std::string &dumped, std::size_t size)
{
    auto back = test::DocumentOf(std::vector<std::uint8_t>(size, 0));
    UndoJournal journal;
    const InsertResult inserted
        = InsertScriptText(*back, journal, &table, TextFromStoredBytes(dumped), {});
    EXPECT_FALSE(inserted.Lost()) << InsertReport(inserted);
    return test::ContentsOf(*back);
}

// A linked entry takes its parameter bytes: the view, a dump, Copy String and an insert agree.
TEST(ScriptRoundTrip, ALinkedEntryCarriesItsParameterBytesThereAndBack)
{
    const ParsedTable parsed = ParseTable("$0500=<Color>,1\n41=A\n$07=x,a,2\n$08=y,0\n", "l.tbl");
    const TableFile &table = parsed.table;
    EXPECT_EQ(parsed.notes.Of(TableNote::OtherTool), 1); // "$08=y,0" takes no parameters
    EXPECT_EQ(table.GetSubtable(0).FindByText("x,a")->parameters, 2);
    EXPECT_NE(FormatTableFile(table).find("$0500=<Color>,1"), std::string::npos);

    const std::vector<std::uint8_t> bytes{0x05, 0x00, 0x03, 0x41, 0x07, 0x10, 0x20, 0x41};
    auto document = test::DocumentOf(bytes);
    EXPECT_EQ(CopyStringText(*document, &table, 0, 8), "<Color><$03>Ax,a<$10><$20>A");
    const std::string dumped = DumpedWithCodes(*document, table);
    EXPECT_NE(dumped.find("<Color><$03>A"), std::string::npos) << dumped;
    EXPECT_EQ(InsertedBack(table, dumped, bytes.size()), bytes);
    EXPECT_EQ(EncodeTextExactly(table, "<Color><$03>A", 0),
              (std::vector<std::uint8_t>{0x05, 0x00, 0x03, 0x41}));
    // At the end of the file a linked entry has the parameters there are.
    auto cut = test::DocumentOf({0x07, 0x10});
    EXPECT_EQ(CopyStringText(*cut, &table, 0, 2), "x,a<$10>");
}

// A switching entry reads the entries after it through the table it names, as one: the view, a
// dump, Copy String and an insert agree, and the file is written back with its tables.
TEST(ScriptRoundTrip, ASwitchingEntryReadsThroughItsTableAndBack)
{
    const ParsedTable parsed = ParseTable("@Main\n41=A\n!AB=<[Item Name:]>,<@ItemNames>:1\n"
                                          "!AC=<[Names:]>,<@ItemNames>:0\n!AD=<x>,<@None>:1\n"
                                          "@ItemNames\n01=[Potion]\n02=[Ether]\n",
                                          "s.tbl");
    const TableFile &table = parsed.table;
    EXPECT_EQ(parsed.notes.Of(TableNote::OtherTool), 1); // "@None" names no table
    EXPECT_EQ(table.SubtableCount(), 1);
    const std::vector<std::uint8_t> bytes{0xAB, 0x01, 0x41, 0xAC, 0x02, 0x01, 0x41, 0xAB};
    auto document = test::DocumentOf(bytes);
    EXPECT_EQ(CopyStringText(*document, &table, 0, 8),
              "[Item Name:][Potion]A[Names:][Ether][Potion]A[Item Name:]");
    const std::string dumped = DumpedWithCodes(*document, table);
    EXPECT_NE(dumped.find("[Item Name:][Potion]A"), std::string::npos) << dumped;
    EXPECT_EQ(InsertedBack(table, dumped, bytes.size()), bytes);

    // Find and typing through the table encode it the same way.
    EXPECT_EQ(EncodeTextExactly(table, "[Item Name:][Potion]A[Names:][Ether][Potion]", 0),
              (std::vector<std::uint8_t>{0xAB, 0x01, 0x41, 0xAC, 0x02, 0x01}));

    const std::string written = FormatTableFile(table);
    EXPECT_NE(written.find("!AB=<[Item Name:]>,<@ItemNames>:1"), std::string::npos) << written;
    const TableFile again = ParseStoredTable(written, "again.tbl").table;
    EXPECT_EQ(CopyStringText(*document, &again, 0, 8), CopyStringText(*document, &table, 0, 8));
}

} // namespace
} // namespace byteloom
