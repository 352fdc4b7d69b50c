#pragma once

#include "common/byte_range.h"
#include "view/caret_state.h"
#include "view/cell_edges.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace byteloom {

class CodePageList;
class Document;
class TableFile;
class TextDecoder;
class UndoJournal;
struct DisplaySettings;

// Each edit writes only inside the document, records what it overwrote for Undo (one record),
// drops the selection and moves the caret; it returns whether a byte changed. A byte that could
// not be read or stored changes nothing and records nothing; the document keeps the reason
// (TakeIoError) for the caller to report.

// A hex digit on the caret byte: the high nibble first, then the low one and on to the next
// byte (past the last byte of the document, where digits write nothing). Any other character
// only resets the nibble.
bool TypeHexDigit(
    CaretState &caret, const CaretView &view, Document &document, UndoJournal &journal, char c);

// Bytes typed into the text column (a character in the current 8-bit code page, or UTF-16
// units in their byte order), written from the caret byte, or from the first byte of its unit
// of unitSize bytes; the caret moves past them.
bool TypeTextBytes(CaretState &caret,
                   const CaretView &view,
                   Document &document,
                   UndoJournal &journal,
                   std::span<const std::uint8_t> bytes,
                   int unitSize = 1);

// Text for the current table, as the table entry box or an input method delivers it: line
// breaks become "*", the text is encoded through the table and the keys written from the caret
// byte; the caret ends on the byte after the last one written, in the text column. unencoded,
// when given, gets the number of characters no entry encodes, which are not written.
bool TypeTableText(CaretState &caret,
                   const CaretView &view,
                   Document &document,
                   UndoJournal &journal,
                   const TableFile &table,
                   std::string text,
                   int *unencoded = nullptr);

// The range that Copy, Cut and the Copy commands take: the bytes of an active selection.
[[nodiscard]] ByteRange SelectedSpan(const Selection &selection);

// Where the caret goes after Undo or Redo restored range: its first byte, or the document's
// last byte when the restore took the bytes there away (Undo of Expand File).
[[nodiscard]] std::int64_t CaretAfterRestore(const ByteRange &range, std::int64_t size);

// Paste: in insert mode on a whole document the data is inserted at the caret or replaces the
// selection (the size changes); otherwise it overwrites from the selection's start or the
// caret, never past the end. Returns whether the document changed. Either is one undo record.
bool PasteBytes(CaretState &caret,
                Document &document,
                UndoJournal &journal,
                std::span<const std::uint8_t> data);

// Cut: the selected bytes leave a whole document (they are returned for the clipboard), as one
// undo record.
[[nodiscard]] std::vector<std::uint8_t>
CutSelection(CaretState &caret, Document &document, UndoJournal &journal);

// Where a paste goes: the start of a selection, else the caret byte.
[[nodiscard]] std::int64_t PasteOffset(const CaretState &caret);

// Text made only of pairs of hex digits, with blanks and line breaks between pairs: its bytes.
[[nodiscard]] std::optional<std::vector<std::uint8_t>> HexPairBytes(std::string_view text);

// What the text mode turns text into bytes with.
struct TextEncoding
{
    const DisplaySettings &display;
    const CodePageList &codePages;
    TextDecoder &decoder;
};

// The bytes that plain text from the clipboard pastes as: into the hex column, text of hex digit
// pairs is those bytes; into the text column with a table, the text encoded through the table
// from where it is pasted, as typing does; otherwise the text in the current text mode.
// Characters the table's code page cannot hold are left out and counted in leftOut.
[[nodiscard]] std::vector<std::uint8_t> PlainTextPasteBytes(std::string_view utf8,
                                                            const CaretState &caret,
                                                            const TableFile *table,
                                                            const TextEncoding &encoding,
                                                            int &leftOut);

// A new or newly opened document: the caret on its first byte, no selection; the paste mode
// stays.
void ResetCaret(CaretState &caret);

// Select All, Select Line (the caret's row, 16 bytes) and Go To (the target's row at the top,
// the caret on its byte in the hex column, no selection).
void SelectAll(CaretState &caret, std::int64_t size);
void SelectLine(CaretState &caret);
void GoTo(CaretState &caret, const CaretView &view, std::int64_t target);

// The cell under a point x (pixels in the window) of a row: 0 in the offset column, else the
// cell whose edges hold x; a cell after a zero-width one gives that first byte's cell.
[[nodiscard]] int
HitTestColumn(const CellEdges &cells, int x, int charWidth, int scroll, int offsetChars = 9);

} // namespace byteloom
