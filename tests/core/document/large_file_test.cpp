// Documents past 4 GiB: sparse files made with a length alone, so that they cost no disk.
#include "document/document.h"
#include "document/undo_journal.h"
#include "patch/document_patch.h"
#include "search/search_engines.h"
#include "search/search_pattern.h"
#include "support/temp_folder.h"
#include "tables/loaded_tables.h"
#include "tables/script_dump.h"
#include "tables/script_insert.h"
#include "tables/table_parser.h"
#include "view/caret_state.h"
#include "view/offset_label.h"
#include "view/scroll_mapping.h"

#include <gtest/gtest.h>

#include <fstream>

namespace byteloom {
namespace {

using test::TempFolder;

constexpr std::int64_t kGiB = std::int64_t{1} << 30;
constexpr std::int64_t kFar = 0x123456780; // past 4 GiB

// A sparse file of length bytes with text written at each offset given.
void MakeSparse(const std::filesystem::path &path,
                std::int64_t length,
                const std::vector<std::pair<std::int64_t, std::string>> &texts)
{
    {
        std::ofstream create(path, std::ios::binary);
    }
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(length));
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    for (const auto &[offset, text] : texts) {
        file.seekp(offset);
        file.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
}

std::string ReadAt(const std::filesystem::path &path, std::int64_t offset, std::size_t count)
{
    std::ifstream file(path, std::ios::binary);
    file.seekg(offset);
    std::string text(count, '\0');
    file.read(text.data(), static_cast<std::streamsize>(count));
    return text;
}

// 3 and 5 GiB open in pages; labels widen past 4 GiB; a search finds text near the end; patches
// refuse the 5 GiB image; a dump
// and an insert work at 0x1_2345_6780 and their offset headers read back; a commit of one byte
// writes one block.
TEST(LargeFile, ImagesPastFourGibibytesAreWholeFromStoreToLabels)
{
    TempFolder folder;
    for (const std::int64_t length : {3 * kGiB, 5 * kGiB}) {
        SCOPED_TRACE(length);
        const auto path = folder / "disc.iso";
        const std::int64_t nearEnd = length - 100;
        const bool far = length > kFar + 0x1000;
        std::vector<std::pair<std::int64_t, std::string>> texts{{nearEnd, "NEEDLE"}};
        if (far)
            texts.push_back({kFar,
                             std::string("HELLO\xFF"
                                         "EH",
                                         8)});
        MakeSparse(path, length, texts);

        Document document(kPageSize, RealFileSystem());
        const LoadResult loaded = document.Load(path, true);
        ASSERT_EQ(loaded.status, LoadStatus::Loaded) << loaded.detail;
        EXPECT_EQ(document.Size(), length);
        EXPECT_EQ(document.PageCount(), length / kPageSize);
        EXPECT_EQ(document.ReadByte(nearEnd), 'N');

        // The labels: eight digits below 4 GiB, nine past it.
        DisplaySettings display;
        const std::string last = OffsetLabel(length - 16, display, length);
        EXPECT_EQ(last, far ? "13FFFFFF0 " : "BFFFFFF0 ");

        // Ctrl+End and Go To reach the last row and a row past 4 GiB.
        CaretState caret;
        CaretView view;
        view.size = length;
        view.visibleRows = 40;
        MoveCaret(caret, view, CaretKey::End, false, true);
        EXPECT_EQ(caret.Offset(), (length - 1) / kBytesPerRow * kBytesPerRow);
        EXPECT_EQ(caret.topRow + caret.row, (length - 1) / kBytesPerRow);
        EXPECT_EQ(ScrollMaximum((length - 1) / kBytesPerRow), (length - 1) / kBytesPerRow);
        PlaceCaret(caret, view, length - 4 * kGiB / 3, false);
        EXPECT_EQ(caret.Offset(), length - 4 * kGiB / 3);

        const SearchPattern needle = PrepareTextPattern("NEEDLE");
        EXPECT_EQ(ValueSearch(document, needle, length - 8 * kPageSize), nearEnd);

        // Patches are made and applied in memory, below 4 GiB: a larger image is refused before
        // anything is read, and nothing changes. An IPS patch reaches only its first 16 MiB, so
        // it applies to an image of any size, unless it would change the length.
        if (far) {
            UndoJournal journal;
            const std::vector<std::uint8_t> ips{
                'P', 'A', 'T', 'C', 'H', 0, 0, 0, 0, 1, 'x', 'E', 'O', 'F'};
            const std::vector<std::uint8_t> bps{'B', 'P', 'S', '1', 0x80, 0x80, 0x80, 0, 0, 0};
            EXPECT_NE(ApplyPatchToDocument(document, journal, bps).message().find("below 4 GiB"),
                      std::string::npos);
            EXPECT_NE(CreatePatchFromDocument(document, ips, PatchKind::Bps)
                          .status.message()
                          .find("below 4 GiB"),
                      std::string::npos);
            EXPECT_NE(CreatePatchFromDocument(document, ips, PatchKind::Ips)
                          .status.message()
                          .find("reaches 16 MiB"),
                      std::string::npos);
            std::vector<std::uint8_t> truncating = ips;
            truncating.insert(truncating.end(), {0, 0x10, 0});
            EXPECT_NE(ApplyPatchToDocument(document, journal, truncating)
                          .message()
                          .find("changes the length"),
                      std::string::npos);
            EXPECT_FALSE(journal.CanUndo());
            EXPECT_FALSE(document.IsPageDirty(0));

            ASSERT_TRUE(ApplyPatchToDocument(document, journal, ips).ok());
            EXPECT_EQ(document.ReadByte(0), 'x');
            EXPECT_EQ(document.Size(), length);
            ASSERT_TRUE(journal.Undo(document));
            EXPECT_EQ(document.ReadByte(0), 0);
        }

        if (far) {
            // A dump with offset headers, changed and inserted back: its header of nine digits
            // takes the text back to 0x1_2345_6780 (the typed address is elsewhere).
            test::WriteText(folder / "t.tbl", "48=H\n45=E\n4C=L\n4F=O\n/FF\n");
            LoadedTables tables;
            ASSERT_TRUE(LoadTableFile(RealFileSystem(), folder / "t.tbl", tables).status.ok());
            const TableFile &table = *tables.Current();
            const auto script = folder / "script.txt";
            ASSERT_TRUE(
                DumpScriptToFile(RealFileSystem(), document, &table, {kFar, 8}, false, script)
                    .ok());
            const auto dumped = test::ReadBytes(script);
            std::string text(dumped.begin(), dumped.end());
            EXPECT_EQ(text.substr(0, 14), "<123456780>\r\r\n") << text;
            ASSERT_NE(text.find("HELLO"), std::string::npos) << text;
            ASSERT_NE(text.find("<123456786>\r\r\nEH"), std::string::npos) << text;
            text.replace(text.find("HELLO"), 5, "OLLEH");
            text.replace(0, 11, "<123456680>"); // the first string moves 0x100 back
            text.replace(text.rfind("EH"), 2, "HE");
            test::WriteBytes(script, {text.begin(), text.end()});
            UndoJournal journal;
            const InsertResult inserted = InsertScript(RealFileSystem(),
                                                       document,
                                                       journal,
                                                       tables,
                                                       script,
                                                       kFar - 0x100,
                                                       table.GetTitle());
            ASSERT_TRUE(inserted.status.ok()) << inserted.status.message();
            EXPECT_EQ(inserted.bytesWritten, 8);
            std::vector<std::uint8_t> moved(8);
            ASSERT_EQ(document.ReadBlock(kFar - 0x100, moved), 8);
            EXPECT_EQ(std::string(moved.begin(), moved.end()), std::string("OLLEH\xFF\0\0", 8));
            ASSERT_EQ(document.ReadBlock(kFar, moved), 8);
            EXPECT_EQ(std::string(moved.begin(), moved.end()),
                      std::string("HELLO\xFF"
                                  "HE",
                                  8));
        }
        ASSERT_TRUE(document.WriteByte(nearEnd, 'n'));
        const std::int64_t before = document.Stats().bytesWrittenToFile;
        ASSERT_TRUE(document.Save().ok());
        EXPECT_EQ(document.Stats().bytesWrittenToFile - before, far ? 2 * 4096 : 4096);
        EXPECT_EQ(std::filesystem::file_size(path), static_cast<std::uintmax_t>(length));
        EXPECT_EQ(ReadAt(path, nearEnd, 6), "nEEDLE");
        if (far) {
            EXPECT_EQ(ReadAt(path, kFar, 8),
                      std::string("HELLO\xFF"
                                  "HE",
                                  8));
            EXPECT_EQ(ReadAt(path, kFar - 0x100, 6), std::string("OLLEH\xFF", 6));
        }
        document.Release(); // Windows removes no file that is open
        std::filesystem::remove(path);
    }
}

// Past 2^31 - 1 rows the scroll bar's values spread over the rows: its ends are the first and
// the last row, and every value maps back onto itself through the first row it shows.
TEST(LargeFile, TheScrollBarReachesEveryRowOfAnyDocument)
{
    for (const std::int64_t lastRow : {std::int64_t{0},
                                       std::int64_t{1000},
                                       kMaxScrollValue,
                                       kMaxScrollValue + 1,
                                       (std::int64_t{1} << 40) / kBytesPerRow - 1}) {
        SCOPED_TRACE(lastRow);
        const int maximum = ScrollMaximum(lastRow);
        EXPECT_LE(maximum, kMaxScrollValue);
        EXPECT_EQ(RowOfScrollValue(0, lastRow), 0);
        EXPECT_EQ(RowOfScrollValue(maximum, lastRow), lastRow);
        for (const int value : {0, 1, maximum / 3, maximum / 2, maximum - 1, maximum}) {
            if (value < 0 || value > maximum)
                continue;
            const std::int64_t row = RowOfScrollValue(value, lastRow);
            EXPECT_EQ(ScrollValueOfRow(row, lastRow), value);
            EXPECT_LE(row, lastRow);
        }
        if (lastRow <= kMaxScrollValue) {
            EXPECT_EQ(RowOfScrollValue(12, std::max<std::int64_t>(lastRow, 12)), 12);
        }
    }
}

} // namespace
} // namespace byteloom
