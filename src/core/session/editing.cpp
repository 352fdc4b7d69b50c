#include "session/editing.h"

#include "common/number_text.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "tables/script_insert.h"
#include "tables/table_codec.h"
#include "view/text_mode.h"

#include <algorithm>

namespace byteloom {

namespace {

// Writes bytes at offset as one undo record; the part beyond the end is dropped.
std::int64_t WriteRecorded(Document &document,
                           UndoJournal &journal,
                           std::int64_t offset,
                           std::span<const std::uint8_t> bytes)
{
    const std::int64_t count
        = std::min(static_cast<std::int64_t>(bytes.size()), document.Size() - offset);
    if (offset < 0 || count <= 0)
        return 0;
    // Bytes that cannot be read cannot be taken back: nothing is written, and the document
    // keeps the error for the caller to report.
    UndoRecord record{offset, std::vector<std::uint8_t>(static_cast<std::size_t>(count))};
    if (document.ReadBlock(offset, record.oldBytes) != count)
        return 0;
    const std::int64_t written
        = document.WriteBlock(offset, bytes.first(static_cast<std::size_t>(count)));
    if (written <= 0)
        return 0;
    record.oldBytes.resize(static_cast<std::size_t>(written));
    journal.PushUndo(std::move(record));
    return written;
}

void DropSelection(CaretState &caret)
{
    caret.selection = {caret.Offset(), caret.Offset(), false};
}

} // namespace

bool TypeHexDigit(
    CaretState &caret, const CaretView &view, Document &document, UndoJournal &journal, char c)
{
    const std::int64_t offset = caret.Offset();
    const int digit = DigitValue(c, 16);
    if (digit < 0 || offset >= document.Size()) {
        caret.nibbleMark = caret.column;
        DropSelection(caret);
        return false;
    }
    std::uint8_t old = 0;
    if (document.ReadBlock(offset, std::span(&old, 1)) != 1)
        return false; // the document keeps the reason
    const bool high = caret.nibbleMark == caret.column;
    const auto value
        = static_cast<std::uint8_t>(high ? (digit << 4) | (old & 0x0F) : (old & 0xF0) | digit);
    if (WriteRecorded(document, journal, offset, std::span(&value, 1)) <= 0)
        return false;
    if (high)
        caret.nibbleMark = caret.column + 1;
    else // on to the next byte; past the last one, where further digits write nothing
        PlaceCaret(caret, view, offset + 1, false);
    caret.selection = {caret.Offset(), caret.Offset(), false};
    return true;
}

bool TypeTextBytes(CaretState &caret,
                   const CaretView &view,
                   Document &document,
                   UndoJournal &journal,
                   std::span<const std::uint8_t> bytes,
                   int unitSize)
{
    // A character of UTF-16 text always fills a whole unit, whichever of its bytes the caret
    // came to.
    const std::int64_t offset = caret.Offset() / unitSize * unitSize;
    const std::int64_t written = WriteRecorded(document, journal, offset, bytes);
    if (written > 0)
        PlaceCaret(caret, view, offset + written, true);
    DropSelection(caret);
    return written > 0;
}

bool TypeTableText(CaretState &caret,
                   const CaretView &view,
                   Document &document,
                   UndoJournal &journal,
                   const TableFile &table,
                   std::string text,
                   int *unencoded)
{
    RewriteLineBreaks(text);
    const std::int64_t offset = caret.Offset();
    const std::vector<std::uint8_t> bytes = EncodeText(table, text, offset, unencoded);
    const std::int64_t written = WriteRecorded(document, journal, offset, bytes);
    // On past what was written; past the last byte, where nothing more is written.
    if (written > 0)
        PlaceCaret(caret, view, offset + written, true);
    DropSelection(caret);
    return written > 0;
}

ByteRange SelectedSpan(const Selection &selection)
{
    if (!selection.active)
        return {};
    const std::int64_t lo = std::min(selection.anchor, selection.end);
    return {lo, std::max(selection.anchor, selection.end) - lo};
}

std::int64_t CaretAfterRestore(const ByteRange &range, std::int64_t size)
{
    return std::clamp<std::int64_t>(range.offset, 0, std::max<std::int64_t>(size - 1, 0));
}

bool PasteBytes(CaretState &caret,
                Document &document,
                UndoJournal &journal,
                std::span<const std::uint8_t> data)
{
    if (!document.IsOpen() || data.empty())
        return false;
    const ByteRange selected = SelectedSpan(caret.selection);
    const bool replacing = caret.selection.active && selected.length > 0;
    const std::int64_t at = PasteOffset(caret);
    if (caret.overwrite || document.IsPaged())
        return WriteRecorded(document, journal, at, data) > 0;

    const std::int64_t size = document.Size();
    const std::int64_t from = std::clamp<std::int64_t>(at, 0, size);
    const std::int64_t to = std::min(replacing ? selected.End() : from, size);
    journal.RecordBeforeReplace(document, from, to - from, static_cast<std::int64_t>(data.size()));
    if (!document.Splice(from, to - from, data).ok())
        return false;
    caret.selection = {caret.Offset(), caret.Offset(), false};
    return true;
}

std::vector<std::uint8_t> CutSelection(CaretState &caret, Document &document, UndoJournal &journal)
{
    const ByteRange selected = SelectedSpan(caret.selection);
    if (document.IsPaged() || selected.length <= 0)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(selected.length));
    bytes.resize(static_cast<std::size_t>(document.ReadBlock(selected.offset, bytes)));
    journal.RecordBeforeReplace(document, selected.offset, selected.length, 0);
    if (!document.RemoveRange(selected.offset, selected.End()).ok())
        return {};
    // The caret stands where the bytes were, so that what is typed next goes there. That byte
    // is at or above the caret's row, so the view scrolls only up to show it.
    CaretView view;
    view.size = document.Size();
    view.visibleRows = caret.row + 1;
    PlaceCaret(caret, view, selected.offset, caret.InText());
    caret.selection = {caret.Offset(), caret.Offset(), false};
    return bytes;
}

void SelectAll(CaretState &caret, std::int64_t size)
{
    caret.selection = {0, size, true};
}

void SelectLine(CaretState &caret)
{
    const std::int64_t start = (caret.row + caret.topRow) * kBytesPerRow;
    caret.selection = {start, start + kBytesPerRow, true};
}

void GoTo(CaretState &caret, const CaretView &view, std::int64_t target)
{
    caret.topRow = std::clamp<std::int64_t>(target / kBytesPerRow, 0, LastRow(view.size));
    caret.row = 0;
    caret.column = caret.nibbleMark = static_cast<int>(target % kBytesPerRow);
    // What follows (a paste, typing) goes where the user now sees the caret.
    DropSelection(caret);
}

void ResetCaret(CaretState &caret)
{
    const bool overwrite = caret.overwrite;
    caret = CaretState();
    caret.overwrite = overwrite;
}

std::int64_t PasteOffset(const CaretState &caret)
{
    const ByteRange selected = SelectedSpan(caret.selection);
    return caret.selection.active && selected.length > 0 ? selected.offset : caret.Offset();
}

std::optional<std::vector<std::uint8_t>> HexPairBytes(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    int high = -1;
    for (const char c : text) {
        const int digit = DigitValue(c, 16);
        if (digit >= 0) {
            if (high < 0) {
                high = digit;
            } else {
                bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
                high = -1;
            }
        } else if (std::string_view(" \t\r\n").find(c) == std::string_view::npos || high >= 0) {
            return std::nullopt; // not a blank, or a blank inside a pair
        }
    }
    if (high >= 0 || bytes.empty())
        return std::nullopt;
    return bytes;
}

std::vector<std::uint8_t> PlainTextPasteBytes(std::string_view utf8,
                                              const CaretState &caret,
                                              const TableFile *table,
                                              const TextEncoding &encoding,
                                              int &leftOut)
{
    if (!caret.InText()) {
        if (auto bytes = HexPairBytes(utf8))
            return *bytes;
    } else if ((table = TableForTextColumn(encoding.display, table))) {
        std::string text = encoding.decoder.FromUtf8Lossy(table->GetCodePage(), utf8, leftOut);
        RewriteLineBreaks(text);
        return EncodeText(*table, text, PasteOffset(caret));
    }
    return TextAsDocumentBytes(encoding.display, encoding.codePages, encoding.decoder, utf8);
}

int HitTestColumn(const CellEdges &cells, int x, int charWidth, int scroll, int offsetChars)
{
    if (x < (offsetChars - scroll) * charWidth)
        return 0;
    const int unscrolled = x + scroll * charWidth;
    int column = 2 * kBytesPerRow - 1;
    for (int c = 0; c < 2 * kBytesPerRow - 1; ++c) {
        if (cells.Left(c) <= unscrolled && unscrolled < cells.Right(c)) {
            column = c;
            break;
        }
    }
    if (column > 0 && cells.Right(column - 1) == cells.Left(column - 1))
        column -= 1;
    return column;
}

} // namespace byteloom
