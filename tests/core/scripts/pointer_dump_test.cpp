#include "scripts/pointer_dump.h"
#include "scripts/pointer_search.h"

#include "command_script_support.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "support/documents.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace byteloom {
namespace {

using test::Bytes;

// Dumps the pointer table of image through the table text, then inserts the dump, changed by
// edit, back into the image; returns the image after the insert, and the plan's report.
struct RoundTrip
{
    std::string dump;
    Bytes inserted;
    CommandScriptReport report;
};

PointerTable Linear16(std::int64_t start, std::int64_t count)
{
    PointerTable pointerTable;
    pointerTable.start = start;
    pointerTable.count = count;
    pointerTable.form = {AddressType::Linear, 0, 16};
    return pointerTable;
}

RoundTrip DumpAndInsert(const std::string &tableText,
                        const Bytes &image,
                        const PointerTable &pointerTable,
                        const std::function<void(std::string &)> &edit = {})
{
    test::ScriptBench bench(tableText, static_cast<std::int64_t>(image.size()));
    bench.image = image;
    auto document = test::DocumentOf(image);
    const TableFile table = ParseTable(tableText, "t.tbl").table;
    RoundTrip trip;
    trip.dump = DumpPointerTable(*document, table, "t.tbl", pointerTable).script;
    std::string script = trip.dump;
    if (edit)
        edit(script);
    const CommandScriptPlan plan = bench.Plan({script});
    trip.report = plan.report;
    trip.inserted = bench.Applied(plan);
    return trip;
}

TEST(PointerDump, TheStringsOfATableComeBackByteForByteAndMoveWithTheirPointers)
{
    Bytes image(0x40, 0xEE);
    const Bytes pointers{0x20, 0x00, 0x23, 0x00};
    const Bytes strings{0x41, 0x42, 0xFF, 0x43, 0xFF};
    std::copy(pointers.begin(), pointers.end(), image.begin() + 0x10);
    std::copy(strings.begin(), strings.end(), image.begin() + 0x20);
    const std::string table = "41=A\n42=B\n43=C\n/FF=<END>\n";
    const PointerTable pointerTable = Linear16(0x10, 2);

    RoundTrip trip = DumpAndInsert(table, image, pointerTable);
    EXPECT_NE(trip.dump.find("#JMP($20, $24)\n// Pointer 1 at $10 points to $20\n"
                             "#WRITE(Ptr, $10)\nAB<END>\n// Pointer 2 at $12 points to $23\n"
                             "#WRITE(Ptr, $12)\nC<END>\n"),
              std::string::npos)
        << trip.dump;
    ASSERT_FALSE(trip.report.Failed()) << ReportText(trip.report);
    EXPECT_EQ(trip.inserted, image);

    // A shorter first string moves the second, and its pointer follows it.
    trip = DumpAndInsert(table, image, pointerTable, [](std::string &script) {
        script.replace(script.find("AB<END>"), 7, "A<END>");
    });
    EXPECT_EQ(test::Bytes(trip.inserted.begin() + 0x10, trip.inserted.begin() + 0x14),
              (Bytes{0x20, 0x00, 0x22, 0x00}));
    EXPECT_EQ(test::Bytes(trip.inserted.begin() + 0x20, trip.inserted.begin() + 0x24),
              (Bytes{0x41, 0xFF, 0x43, 0xFF}));
    // A longer one does not fit the block: what is cut is reported.
    trip = DumpAndInsert(table, image, pointerTable, [](std::string &script) {
        script.replace(script.find("AB<END>"), 7, "ABC<END>");
    });
    EXPECT_TRUE(trip.report.Lost());
    EXPECT_EQ(trip.inserted[0x25], 0xEE);
}

TEST(PointerDump, PointersThatCannotBeDumpedAreSetAsideAsComments)
{
    Bytes image(0x40, 0xEE);
    // Pointers: a string, the middle of it, outside the file, a string that never ends, and
    // the first string again.
    const Bytes pointers{0x20, 0x00, 0x21, 0x00, 0x00, 0x10, 0x3E, 0x00, 0x20, 0x00};
    std::copy(pointers.begin(), pointers.end(), image.begin());
    image[0x20] = 0x41;
    image[0x21] = 0x42;
    image[0x22] = 0xFF;
    auto document = test::DocumentOf(image);
    const TableFile table = ParseTable("41=A\n42=B\n/FF=<END>\n", "t.tbl").table;
    const PointerDump dump = DumpPointerTable(*document, table, "t.tbl", Linear16(0, 5));
    ASSERT_TRUE(dump.status.ok());
    EXPECT_EQ(dump.strings, 1);
    EXPECT_EQ(dump.pointers, 2);
    EXPECT_EQ(dump.setAside, 3);
    for (const char *expected :
         {"// Pointer 3 at $4 points outside the file\n",
          "// Pointer 2 at $2 points into the middle of the string at $20\n",
          "// Pointer 4 at $6 points to $3E, whose string runs to the end of the file",
          "// Pointers 1 at $0, 5 at $8 point to $20\n#WRITE(Ptr, $0)\n#WRITE(Ptr, $8)\nAB<END>\n"})
        EXPECT_NE(dump.script.find(expected), std::string::npos) << expected << "\n" << dump.script;
    EXPECT_FALSE(DumpPointerTable(*document, table, "t.tbl", Linear16(0x3F, 2)).status.ok());

    // The dialog's fields: each read whole, the defaults where they are left empty.
    const auto read
        = ReadPointerTableFields({"10", "4", 24, "LOROM00", true, "200", "-A000", "", "A0"});
    ASSERT_TRUE(std::holds_alternative<PointerTable>(read));
    const PointerTable &pointerTable = std::get<PointerTable>(read);
    EXPECT_EQ(pointerTable.start, 0x10);
    EXPECT_EQ(pointerTable.count, 4);
    EXPECT_EQ(pointerTable.form.offsetting, -0xA000);
    EXPECT_EQ(pointerTable.endToken, 0xA0u);
    EXPECT_FALSE(pointerTable.base);
    EXPECT_EQ(pointerTable.Step(), 3);
    const auto wrong = [](auto change) {
        PointerTableFields fields{"10", "2", 16, "LINEAR", false, "", "", "", ""};
        change(fields);
        return std::holds_alternative<std::string>(ReadPointerTableFields(fields));
    };
    EXPECT_TRUE(wrong([](PointerTableFields &fields) { fields.count.clear(); }));
    EXPECT_TRUE(wrong([](PointerTableFields &fields) { fields.header = "zz"; }));
    EXPECT_TRUE(wrong([](PointerTableFields &fields) { fields.bits = 12; }));
    EXPECT_TRUE(wrong([](PointerTableFields &fields) { fields.endToken = "G"; }));
    EXPECT_FALSE(wrong([](PointerTableFields &) {}));
    const PointerTableFields selected = PointerTableFieldsOf(0x13, 0x10);
    EXPECT_EQ(selected.start, "10");
    EXPECT_EQ(selected.count, "2");
}

// Tables whose texts would not read back as they stand: each string must still come back, from
// a copy whose strings were wiped.
TEST(PointerDump, TextsThatWouldReadOtherwiseAreWrittenAsCodes)
{
    struct Case
    {
        const char *why;
        std::string table;
        Bytes string;
    };
    const Case cases[] = {
        {"a line that starts as a comment", "2F=/\n41=A\n/FF=<END>\n", {0x2F, 0x2F, 0x41, 0xFF}},
        {"blanks, then a command", "20= \n23=#\n41=A\n/FF=<END>\n", {0x20, 0x23, 0x41, 0xFF}},
        {"a text a longer key has first", "4142=A\n41=A\n43=C\n/FF=<END>\n", {0x41, 0x43, 0xFF}},
        {"a line break in a text", "41=X\rY\n58=X\n59=Y\n/FF=<END>\n", {0x41, 0xFF}},
        {"code-page bytes that read as UTF-8", "41=\xC3\n42=\xA9\n/FF=<END>\n", {0x41, 0x42, 0xFF}},
        {"an empty text and a byte no entry has",
         "41=\n42=B\n/FF=<END>\n",
         {0x41, 0x99, 0x42, 0xFF}},
    };
    for (const Case &test : cases) {
        Bytes image(0x20, 0xEE);
        image[0] = 0x10;
        image[1] = 0x00;
        std::copy(test.string.begin(), test.string.end(), image.begin() + 0x10);
        Bytes wiped = image;
        std::fill(wiped.begin() + 0x10,
                  wiped.begin() + 0x10 + static_cast<std::ptrdiff_t>(test.string.size()),
                  0xEE);
        test::ScriptBench bench(test.table, 0x20);
        bench.image = wiped;
        auto document = test::DocumentOf(image);
        const PointerDump dump = DumpPointerTable(
            *document, ParseTable(test.table, "t.tbl").table, "t.tbl", Linear16(0, 1));
        EXPECT_EQ(dump.notExact, 0) << test.why;
        const CommandScriptPlan plan = bench.Plan({dump.script});
        ASSERT_FALSE(plan.report.Failed()) << test.why << "\n"
                                           << ReportText(plan.report) << dump.script;
        EXPECT_EQ(bench.Applied(plan), image) << test.why << "\n" << dump.script;
    }

    // A Game Boy pointer to bank 0 from another bank, and a table that overflows.
    Bytes image(0x10000, 0x00);
    image[0x100] = 0x41;
    image[0x101] = 0xFF;
    image[0x8000] = 0x00;
    image[0x8001] = 0x01;
    auto document = test::DocumentOf(image);
    const TableFile table = ParseTable("41=A\n/FF=<END>\n", "t.tbl").table;
    PointerTable gb = Linear16(0x8000, 1);
    gb.form.type = AddressType::Gb;
    EXPECT_EQ(DumpPointerTable(*document, table, "t.tbl", gb).strings, 1);
    EXPECT_EQ(FindPointers(*document, 0x100, 0, {{gb.form, false}}).hits.size(), 1u);
    PointerTable huge = Linear16(0, 0x7FFFFFFFFFFFFFFF);
    EXPECT_FALSE(DumpPointerTable(*document, table, "t.tbl", huge).status.ok());
    huge = Linear16(0, 2);
    huge.step = 0x7FFFFFFFFFFFFFFF;
    EXPECT_FALSE(DumpPointerTable(*document, table, "t.tbl", huge).status.ok());
    EXPECT_FALSE(DumpPointerTable(*document, table, "a\"b.tbl", Linear16(0, 1)).status.ok());
}

// Random images: strings of random keys (line tokens, bytes no entry matches, texts that spell
// each other) in runs, and a pointer table of a random form pointing at them, some strings by
// several pointers. The dump inserted unchanged gives back the image; with strings lengthened
// and shortened within each run, every pointer points at its string's new bytes.
TEST(PointerDump, RandomTablesOfEveryFormRoundTrip)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&](int count) {
            return static_cast<int>(random() % static_cast<unsigned>(count));
        };
        std::string table = "/FF=<END>\n*FE=<BR>\n20=\n";
        std::vector<std::uint8_t> keys{0xFE, 0x20};
        for (int key = 0x30; key < 0x60; ++key) {
            std::string text;
            for (int n = 1 + pick(3); n > 0; --n)
                text.push_back(static_cast<char>('a' + pick(4)));
            char line[16];
            std::snprintf(line, sizeof line, "%02X=", key);
            table += line + text + "\n";
            keys.push_back(static_cast<std::uint8_t>(key));
        }
        keys.push_back(0xF0); // no entry: written as its code
        const std::int64_t header = pick(2) ? 0x200 : 0;
        PointerTable pointerTable;
        pointerTable.form = {static_cast<AddressType>(pick(5)),
                             std::array{0, 0x100, -0x40}[static_cast<std::size_t>(pick(3))],
                             std::array{16, 24, 32}[static_cast<std::size_t>(pick(3))]};
        pointerTable.bigEndian = pick(2);
        pointerTable.header = header;
        pointerTable.start = header + 0x100;
        Bytes image(static_cast<std::size_t>(header + 0x3000));
        for (auto &byte : image)
            byte = static_cast<std::uint8_t>(random());

        // Runs of adjoining strings, with gaps between them.
        struct Placed
        {
            std::int64_t start;
            Bytes bytes;
            int run;
        };
        std::vector<Placed> strings;
        std::int64_t at = header + 0x800;
        for (int run = 0; run < 1 + pick(4); ++run) {
            for (int n = 1 + pick(5); n > 0; --n) {
                Bytes bytes;
                for (int k = pick(6); k > 0; --k)
                    bytes.push_back(
                        keys[static_cast<std::size_t>(pick(static_cast<int>(keys.size())))]);
                bytes.push_back(0xFF);
                std::copy(bytes.begin(), bytes.end(), image.begin() + at);
                strings.push_back({at, bytes, run});
                at += static_cast<std::int64_t>(bytes.size());
            }
            at += 1 + pick(16);
        }
        std::vector<std::size_t> targets;
        for (std::size_t i = 0; i < strings.size(); ++i)
            targets.push_back(i);
        for (int n = pick(4); n > 0; --n)
            targets.push_back(static_cast<std::size_t>(pick(static_cast<int>(strings.size()))));
        std::shuffle(targets.begin(), targets.end(), random);
        pointerTable.count = static_cast<std::int64_t>(targets.size());
        const int width = pointerTable.form.bits / 8;
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const Bytes value
                = ValueBytes(PointerValue(pointerTable.form, strings[targets[i]].start, header),
                             width,
                             pointerTable.bigEndian);
            std::copy(value.begin(),
                      value.end(),
                      image.begin() + pointerTable.start + static_cast<std::int64_t>(i) * width);
        }

        RoundTrip trip = DumpAndInsert(table, image, pointerTable);
        ASSERT_FALSE(trip.report.Failed()) << "seed " << seed << "\n"
                                           << ReportText(trip.report) << trip.dump;
        ASSERT_EQ(trip.inserted, image) << "seed " << seed << "\n" << trip.dump;

        // Each second string of a run gives bytes to the one before it, or takes them.
        std::vector<Bytes> changed;
        for (const Placed &string : strings)
            changed.push_back(string.bytes);
        for (std::size_t i = 1; i < strings.size(); ++i) {
            if (strings[i].run != strings[i - 1].run || pick(2) == 0)
                continue;
            const auto total = static_cast<int>(changed[i - 1].size() + changed[i].size());
            const int first = 1 + pick(total - 1);
            changed[i - 1].assign(static_cast<std::size_t>(first - 1), 0x41);
            changed[i - 1].push_back(0xFF);
            changed[i].assign(static_cast<std::size_t>(total - first - 1), 0x42);
            changed[i].push_back(0xFF);
        }
        trip = DumpAndInsert(table, image, pointerTable, [&](std::string &script) {
            for (std::size_t i = 0; i < strings.size(); ++i) {
                const std::size_t comment
                    = script.find(" to " + HexOffset(strings[i].start) + "\n");
                std::size_t text = script.find('\n', comment) + 1;
                while (script.compare(text, 7, "#WRITE(") == 0)
                    text = script.find('\n', text) + 1;
                const std::size_t end = script.find("<END>\n", text) + 6;
                std::string codes;
                char code[8];
                for (std::size_t k = 0; k + 1 < changed[i].size(); ++k) {
                    std::snprintf(code, sizeof code, "<$%02X>", changed[i][k]);
                    codes += code;
                }
                script.replace(text, end - text, codes + "<END>\n");
            }
        });
        ASSERT_FALSE(trip.report.Failed() || trip.report.Lost()) << "seed " << seed << "\n"
                                                                 << ReportText(trip.report);
        for (std::size_t i = 0; i < targets.size(); ++i) {
            const auto offset = static_cast<std::size_t>(pointerTable.start)
                                + i * static_cast<std::size_t>(width);
            const std::uint32_t value = ValueOfBytes(
                std::span(trip.inserted).subspan(offset, static_cast<std::size_t>(width)),
                pointerTable.bigEndian);
            const auto target
                = PointerTarget(pointerTable.form, value, header, pointerTable.Base());
            ASSERT_TRUE(target) << "seed " << seed;
            const Bytes &expected = changed[targets[i]];
            EXPECT_EQ(
                Bytes(trip.inserted.begin() + *target,
                      trip.inserted.begin() + *target + static_cast<std::int64_t>(expected.size())),
                expected)
                << "seed " << seed << " pointer " << i + 1;
        }
    }
}

TEST(PointerSearch, FindsEveryPointerToAPlaceInItsFormOrInAny)
{
    // A headerless LoROM image: 0x40010 is address $088010.
    Bytes image(0x60000, 0x00);
    for (const std::size_t at : {0x100u, 0x2345u, 0x50001u}) {
        image[at] = 0x10;
        image[at + 1] = 0x80;
        image[at + 2] = 0x08;
        image[at + 3] = 0xFF;
    }
    image[0x40020] = 0x10; // 16 bits in the target's own bank
    image[0x40021] = 0x80;
    image[0x50] = 0x10; // the same 16 bits in bank 0 point elsewhere
    image[0x51] = 0x80;
    auto document = test::DocumentOf(image);
    const PointerShape lorom24{{AddressType::LoRom00, 0, 24}, false};
    PointerSearch search = FindPointers(*document, 0x40010, 0, {lorom24});
    ASSERT_TRUE(search.status.ok());
    std::vector<std::int64_t> offsets;
    for (const PointerHit &hit : search.hits)
        offsets.push_back(hit.offset);
    EXPECT_EQ(offsets, (std::vector<std::int64_t>{0x100, 0x2345, 0x50001}));

    search = FindPointers(*document, 0x40010, 0, EveryPointerShape());
    std::vector<std::string> found;
    for (const PointerHit &hit : search.hits)
        found.push_back(HexOffset(hit.offset) + " " + ShapeName(hit.shape));
    for (const char *expected : {"$100 24-bit LOROM00 little-endian",
                                 "$40020 16-bit LOROM00 little-endian",
                                 "$50001 24-bit LOROM00 little-endian"})
        EXPECT_NE(std::find(found.begin(), found.end(), expected), found.end()) << expected;
    EXPECT_EQ(std::count_if(found.begin(),
                            found.end(),
                            [](const std::string &hit) { return hit.starts_with("$50 "); }),
              0);

    // Stopping it says so.
    search = FindPointers(
        *document, 0x40010, 0, {lorom24}, [](std::int64_t, std::int64_t) { return false; });
    EXPECT_TRUE(search.status.cancelled());
}

} // namespace
} // namespace byteloom
