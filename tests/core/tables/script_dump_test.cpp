#include "document/document.h"
#include "support/documents.h"
#include "support/temp_folder.h"
#include "tables/script_dump.h"
#include "tables/table_parser.h"

#include <gtest/gtest.h>

namespace byteloom {
namespace {

using test::DocumentWith;

std::string Dump(Document &document, const TableFile *table, DumpRange range, bool clean)
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

    EXPECT_EQ(Dump(document, &table, {0x100, 3}, false),
              "<00000100>\r\r\nA\r\r\n\r\r\n<00000102>\r\r\nB");
    EXPECT_EQ(Dump(document, &table, {0x100, 3}, true), "A\r\r\n\r\r\nB");
    EXPECT_EQ(Dump(document, &table, {0x103, 2}, false), "<00000103>\r\r\n\r\r\n<9c>");
    EXPECT_EQ(Dump(document, &table, {0x103, 2}, true), "\r\r\n.");
    EXPECT_EQ(Dump(document, &table, {0x1F2A0, 0}, false), "<0001f2a0>\r\r\n");
    EXPECT_EQ(Dump(document, nullptr, {0x100, 3}, false), "<00000100>\r\r\n");

    // Tables of other code pages write byte codes too, so that their dumps insert back.
    const TableFile japanese = ParseTable(".codepage=932\n41=A\n", "j").table;
    EXPECT_EQ(Dump(document, &japanese, {0x104, 1}, false), "<00000104>\r\r\n<9c>");
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
}

TEST(ScriptDump, DumpFilesAreWrittenWholeOrNotAtAll)
{
    test::TempFolder folder;
    const TableFile table = ParseTable("41=A\n", "t").table;
    auto documentOwned = DocumentWith(0, {0x41});
    Document &document = *documentOwned;
    ASSERT_TRUE(DumpScriptToFile(document, &table, {0, 1}, true, folder / "out.txt").ok());
    EXPECT_EQ(test::ReadBytes(folder / "out.txt"), std::vector<std::uint8_t>{'A'});

    const Status failed
        = DumpScriptToFile(document, &table, {0, 1}, true, folder / "none" / "x.txt");
    EXPECT_FALSE(failed.ok());
    EXPECT_NE(failed.message().find("x.txt"), std::string::npos);
    EXPECT_NE(DumpScriptToFile(document, &table, {0, 1}, true, folder.path())
                  .message()
                  .find("it is a directory, not a file"),
              std::string::npos);

    // A sink that fails stops the dump and the file keeps its old contents.
    test::WriteBytes(folder / "keep.txt", {'k'});
    std::vector<std::uint8_t> big(1 << 21, 0x41);
    Document large;
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
        = DumpScriptToFile(large,
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
    Document large;
    large.New();
    ASSERT_TRUE(large.ReplaceContents(std::vector<std::uint8_t>(100000, 0x41)).ok());
    EXPECT_EQ(CopyStringText(large, &table, 0, 100000).size(), 100000u);
}

} // namespace
} // namespace byteloom
