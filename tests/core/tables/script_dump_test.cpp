#include "document/document.h"
#include "support/documents.h"
#include "support/dump_reference.h"
#include "support/platform.h"
#include "support/temp_folder.h"
#include "tables/script_dump.h"
#include "tables/table_codec.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <random>

namespace byteloom {
namespace {

using test::DocumentWith;

std::string Dump(Document &document, const TableFile *table, ByteRange range, bool clean)
{
    std::string out;
    EXPECT_TRUE(DumpScript(document, table, range, clean, [&out](std::string_view piece) {
                    out += piece;
                    return Status::Ok();
                }).ok());
    return out;
}

TEST(ScriptDump, HeadersLineBreaksAndCodesAsStored)
{
    const TableFile table = ParseTable("41=A\n42=B\n/FF\n*FE\n", "t").table;
    auto documentOwned = DocumentWith(0x100, {0x41, 0xFF, 0x42, 0xFE, 0x9C});
    Document &document = *documentOwned;

    // The last line of a dump with codes marks where the dumped bytes end.
    EXPECT_EQ(Dump(document, &table, {0x100, 3}, false),
              "<00000100>\r\r\nA\r\r\n\r\r\n<00000102>\r\r\nB\r\r\n<end:00000103>\r\r\n");
    EXPECT_EQ(Dump(document, &table, {0x100, 3}, true), "A\r\r\n\r\r\nB");
    EXPECT_EQ(Dump(document, &table, {0x103, 2}, false),
              "<00000103>\r\r\n\r\r\n<9c>\r\r\n<end:00000105>\r\r\n");
    EXPECT_EQ(Dump(document, &table, {0x103, 2}, true), "\r\r\n.");
    EXPECT_EQ(Dump(document, &table, {0x1F2A0, 0}, false),
              "<0001f2a0>\r\r\n\r\r\n<end:0001f2a0>\r\r\n");
    EXPECT_EQ(Dump(document, nullptr, {0x100, 3}, false), "<00000100>\r\r\n");

    // Tables of other code pages write byte codes too, so that their dumps insert back.
    const TableFile japanese = ParseTable(".codepage=932\n41=A\n", "j").table;
    EXPECT_EQ(Dump(document, &japanese, {0x104, 1}, false),
              "<00000104>\r\r\n<9c>\r\r\n<end:00000105>\r\r\n");
    EXPECT_EQ(Dump(document, &japanese, {0x104, 1}, true), ".");
}

TEST(ScriptDump, KeysAtTheRangeEndAreWholeAndTheDocumentEndStopsTheWalk)
{
    const TableFile table = ParseTable("8140=y\n41=A\n", "t").table;
    auto documentOwned = DocumentWith(2044, {0x41, 0x41, 0x81, 0x40});
    Document &document = *documentOwned;
    EXPECT_EQ(Dump(document, &table, {2044, 3}, true), "AAy");
    EXPECT_EQ(Dump(document, &table, {2046, 0x1000}, true), "y");
    EXPECT_EQ(Dump(document, &table, {4000, 10}, true), "");
    // A length as large as any (the command line takes one) ends at the document's end.
    EXPECT_EQ(Dump(document, &table, {2046, std::numeric_limits<std::int64_t>::max()}, true), "y");

    // Bytes that cannot be read stop the dump with the reason, never as zeros.
    test::TempFolder folder;
    test::WriteBytes(folder / "shrinks.bin", std::vector<std::uint8_t>(256, 0x41));
    Document paged(64, RealFileSystem());
    ASSERT_EQ(paged.Load(folder / "shrinks.bin", true).status, LoadStatus::Loaded);
    std::filesystem::resize_file(folder / "shrinks.bin", 100);
    std::string out;
    const Status failed = DumpScript(paged, &table, {0, 256}, true, [&](std::string_view piece) {
        out += piece;
        return Status::Ok();
    });
    EXPECT_FALSE(failed.ok());
    EXPECT_FALSE(failed.message().empty());
    // Through a table of wider keys too.
    const TableFile wide = ParseTable("414141=AAA\n41=A\n", "w").table;
    EXPECT_FALSE(DumpScript(paged, &wide, {0, 256}, true, [](std::string_view) {
                     return Status::Ok();
                 }).ok());
}

TEST(ScriptDump, DumpFilesAreWrittenWholeOrNotAtAll)
{
    test::TempFolder folder;
    const TableFile table = ParseTable("41=A\n", "t").table;
    auto documentOwned = DocumentWith(0, {0x41});
    Document &document = *documentOwned;
    ASSERT_TRUE(
        DumpScriptToFile(RealFileSystem(), document, &table, {0, 1}, true, folder / "out.txt")
            .ok());
    EXPECT_EQ(test::ReadBytes(folder / "out.txt"), std::vector<std::uint8_t>{'A'});

    const Status failed = DumpScriptToFile(
        RealFileSystem(), document, &table, {0, 1}, true, folder / "none" / "x.txt");
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.message().find("x.txt"), std::string::npos);
    EXPECT_NE(DumpScriptToFile(RealFileSystem(), document, &table, {0, 1}, true, folder.path())
                  .message()
                  .find("it is a directory, not a file"),
              std::string::npos);

    // A sink that fails stops the dump and the file keeps its old contents.
    test::WriteBytes(folder / "keep.txt", {'k'});
    std::vector<std::uint8_t> big(1 << 21, 0x41);
    Document large(kPageSize, RealFileSystem());
    large.New();
    ASSERT_TRUE(large.ReplaceContents(big).ok());
    const Status stopped = DumpScript(large, &table, {0, large.Size()}, true, [](std::string_view) {
        return Status::Error("disk full");
    });
    EXPECT_EQ(stopped.message(), "disk full");
    EXPECT_EQ(test::ReadBytes(folder / "keep.txt"), std::vector<std::uint8_t>{'k'});

    // A cancelled dump leaves the old file as it was and nothing beside it.
    std::int64_t reports = 0;
    const Status cancelled
        = DumpScriptToFile(RealFileSystem(),
                           large,
                           &table,
                           {0, large.Size()},
                           true,
                           folder / "keep.txt",
                           [&](std::int64_t, std::int64_t) { return ++reports > 1; });
    EXPECT_TRUE(cancelled.cancelled());
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(test::ReadBytes(folder / "keep.txt"), std::vector<std::uint8_t>{'k'});
    EXPECT_EQ(test::EntriesIn(folder.path()), 2u); // out.txt and keep.txt
}

// Random tables of one- and two-byte keys (rows of second bytes whole or in part, texts short
// and long, labelled markers, subtables over part of the image, now and then a three-byte key)
// over random paged images: the dump is exactly what reading key by key gives.
TEST(ScriptDump, DumpsAreWhatReadingKeyByKeyGives)
{
    test::TempFolder folder;
    std::mt19937 random(20261207u);
    const auto word = [&](std::size_t longest) {
        std::string text(1 + random() % longest, ' ');
        for (char &c : text)
            c = static_cast<char>('a' + random() % 26);
        return text;
    };
    for (int round = 0; round < 1500; ++round) {
        std::string tableText;
        std::vector<std::uint8_t> likely;
        const auto line = [&](std::uint32_t key, int digits, const std::string &text) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "%0*X", digits, key);
            tableText += std::string(hex) + "=" + text + "\n";
        };
        for (int i = 0; i < 40; ++i) {
            const auto key = static_cast<std::uint8_t>(random());
            likely.push_back(key);
            line(key, 2, word(random() % 4 == 0 ? 20 : 3));
        }
        for (int row = 0; row < static_cast<int>(random() % 4); ++row) {
            const auto lead = static_cast<std::uint8_t>(1 + random() % 255);
            likely.push_back(lead);
            const bool whole = random() % 2 == 0;
            for (std::uint32_t second = 0; second < 256; ++second) {
                if (whole || random() % 4 == 0)
                    line(lead * 256u + second, 4, word(random() % 8 == 0 ? 16 : 4));
            }
        }
        if (random() % 6 == 0)
            line(0x123456, 6, word(5));
        // A marker key of one or two bytes, with a label now and then.
        const auto marker = static_cast<std::uint8_t>(1 + random() % 255);
        const auto second = static_cast<std::uint8_t>(random());
        likely.push_back(marker);
        likely.push_back(second);
        char markerLine[16];
        if (random() % 2)
            std::snprintf(
                markerLine, sizeof markerLine, "%c%02X", random() % 2 ? '/' : '*', marker);
        else
            std::snprintf(markerLine,
                          sizeof markerLine,
                          "%c%02X%02X",
                          random() % 2 ? '/' : '*',
                          marker,
                          second);
        tableText += markerLine + (random() % 2 ? "=" + word(15) : "") + "\n";
        const std::size_t size = 1 + random() % 3000;
        if (random() % 2 == 0) {
            char range[64];
            std::snprintf(range,
                          sizeof range,
                          "subtable=E0\nstart=%zX\nend=%zX\n",
                          random() % size,
                          random() % size + random() % 500);
            tableText += range;
            line(likely[random() % likely.size()], 2, word(6));
            tableText += "subtableend=E1\n";
        }
        const TableFile table = ParseTable(tableText, "random.tbl").table;

        std::vector<std::uint8_t> image(size);
        for (auto &byte : image)
            byte = random() % 3 ? likely[random() % likely.size()]
                                : static_cast<std::uint8_t>(random());
        test::WriteBytes(folder / "image.bin", image);
        Document document(std::int64_t{64} << (random() % 3 * 3),
                          RealFileSystem()); // pages of 64, 512, 4096 bytes
        ASSERT_EQ(document.Load(folder / "image.bin", true).status, LoadStatus::Loaded);
        const std::size_t start = random() % size;
        const ByteRange range{static_cast<std::int64_t>(start),
                              static_cast<std::int64_t>(random() % (size - start + 8))};
        const bool clean = round % 2 == 0;
        ASSERT_EQ(Dump(document, &table, range, clean),
                  test::DumpKeyByKey(document, table, range, clean))
            << "round " << round << "\n"
            << tableText;
    }
}

TEST(CopyStringText, DecodesWithoutHeadersOrCodes)
{
    const TableFile table = ParseTable("41=A\n/FF\n*FE\n", "t").table;
    const TableFile japanese = ParseTable(".codepage=932\n/FF\n", "j").table;
    auto documentOwned = DocumentWith(0, {0x41, 0xFE, 0xFF, 0x9C});
    Document &document = *documentOwned;
    EXPECT_EQ(CopyStringText(document, &table, 0, 4), "A\r\n\r\n \r\n.");
    EXPECT_EQ(CopyStringText(document, &japanese, 2, 1), "\r\n\r\n");

    auto plainOwned = DocumentWith(0, {0x48, 0x49, 0x00, 0x4A});
    Document &plain = *plainOwned;
    EXPECT_EQ(CopyStringText(plain, nullptr, 0, 4), "HI");
    // No fixed limit on the length.
    Document large(kPageSize, RealFileSystem());
    large.New();
    ASSERT_TRUE(large.ReplaceContents(std::vector<std::uint8_t>(100000, 0x41)).ok());
    EXPECT_EQ(CopyStringText(large, &table, 0, 100000).size(), 100000u);
}

} // namespace
} // namespace byteloom
