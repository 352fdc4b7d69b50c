#pragma once

#include "tables/table_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

// The title as the user wrote it: the suffix " (932)" that loading adds for the table's code
// page is cut off with its blank; any other title ("game (J).tbl", "Game (1996)") is whole.
// The Title field shows it, and the table writer writes it.
[[nodiscard]] std::string BareTitle(std::string_view title, int codePage);
// A title as loading makes it from a title line: the bare title and " (codePage)", cut to 49.
[[nodiscard]] std::string TitleWithCodePage(std::string_view bare, int codePage);

// The "CodePage:" list: the table's own code page and every listed one, ascending, once each.
[[nodiscard]] std::vector<int> CodePageChoices(int tableCodePage, std::vector<int> listed);

// A key as the editor and the table writer write it: two, four, six or eight upper-case digits
// by its value.
[[nodiscard]] std::string KeyCellText(std::uint32_t key);
// The grid shows the two marker entries by what they do ("⟨new line⟩", "⟨end of string⟩"), not
// by their marker words; either form typed back is the marker. Brackets no code page of a
// table holds keep an entry whose own text is "new line" what it is.
[[nodiscard]] std::string_view MarkerShownAs(std::string_view text);
[[nodiscard]] std::string_view MarkerTyped(std::string_view typed);

inline constexpr int kKeyCellLength = 8;
inline constexpr int kTextCellLength = 32;

// The Table File Editor's working copy of one table. Every change is made to the copy, so that
// Cancel leaves the table exactly as it was and OK applies everything at once. The grid shows
// the chosen subtable's entries by key, ascending, as they stood when the editor opened (new ones
// last), followed by one empty row for a new entry.
class TableEditor
{
public:
    enum class Column { Key, Text };

    // A cell's change: nothing changed (empty input, or a key that is not hexadecimal), the
    // change was made, or it was refused with a message for the user.
    struct Outcome
    {
        enum Kind { Unchanged, Changed, Refused } kind = Unchanged;
        std::string message;
    };

    explicit TableEditor(const TableFile &table);

    // The subtables the "Subtable:" list offers: "Main", then each start trigger as "%02X".
    [[nodiscard]] std::vector<std::string> SubtableNames() const;
    [[nodiscard]] int ShownSubtable() const { return shown_; }
    void ShowSubtable(int number);

    // The shown subtable's entries plus the empty row.
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] bool IsEmptyRow(int row) const { return row == RowCount() - 1; }
    [[nodiscard]] std::uint32_t KeyAt(int row) const;
    // In the table's code page.
    [[nodiscard]] const std::string &TextAt(int row) const;

    // The cell editor's Enter. input is what was typed, in the table's code page; only the text
    // up to the first CR counts. On the empty row a key adds an entry with an empty text and a
    // text adds one with the key 0. A key that is not hexadecimal, that another entry of the
    // subtable has, or of more than four bytes, is refused with the reason; an empty one changes
    // nothing.
    Outcome Commit(int row, Column column, std::string_view input);
    // Delete: the entry goes; the empty row stays. False for the empty row.
    bool RemoveRow(int row);

    // Why a new subtable may not have this start trigger (another subtable has it), or nothing.
    [[nodiscard]] std::optional<std::string> RefuseStartTrigger(std::uint32_t startTrigger) const;
    // The New Subtable dialog's OK: the new subtable is listed and shown; a start trigger that
    // another subtable has is refused with the message returned.
    [[nodiscard]] std::optional<std::string> AddSubtable(std::uint32_t startTrigger,
                                                         std::uint32_t endTrigger,
                                                         const std::vector<SubtableRange> &ranges);

    // Whether anything has been changed since the editor opened.
    [[nodiscard]] bool HasChanges() const { return changed_; }

    // OK: the table as edited, with the Title field's text and the code page given. A field
    // left as it was shown (or emptied) keeps the table's title, under the new code page's
    // suffix where it had one; a new text becomes the title as a title line would. The table is
    // marked changed when anything differs. Its lookups see every entry.
    [[nodiscard]] TableFile Result(std::string_view titleField, int codePage) const;

private:
    struct Row
    {
        std::uint32_t key = 0;
        std::string text;
        std::uint32_t order = 0; // when it was added: the first of equal texts encodes
        std::string label;       // a marker key's text, kept as it was
        int parameters = 0;      // a linked entry's, kept as they were
        std::string switchId;    // a switching entry's table and count, kept as they were
        int switchCount = 0;
    };
    struct Draft
    {
        std::uint32_t startTrigger = 0;
        std::uint32_t endTrigger = 0;
        std::vector<SubtableRange> ranges;
        std::string id;
        std::vector<Row> rows;
        std::uint32_t nextOrder = 0;
    };

    [[nodiscard]] Draft &Shown() { return drafts_[static_cast<std::size_t>(shown_)]; }
    [[nodiscard]] const Draft &Shown() const { return drafts_[static_cast<std::size_t>(shown_)]; }
    [[nodiscard]] bool KeyTaken(std::uint32_t key, int exceptRow) const;
    Outcome AddRow(std::uint32_t key, std::string text);

    const TableFile &table_;
    std::vector<Draft> drafts_;
    int shown_ = 0;
    bool changed_ = false;
};

// The New Subtable dialog's fields, as typed, and the ranges added so far.
struct NewSubtableFields
{
    std::string startTrigger;
    std::string endTrigger;
    std::string rangeStart;
    std::string rangeEnd;
    std::vector<SubtableRange> ranges;
};

// "Add Range": appends the range fields' pair and empties the fields, or returns the message
// that keeps them ("Please input a start range", "Please input an end range", not hexadecimal,
// the end before the start).
[[nodiscard]] std::optional<std::string> AddRangeFromFields(NewSubtableFields &fields);
// A pending range as the list shows it, "%08x".
[[nodiscard]] std::string RangeBoundText(std::int64_t bound);

struct NewSubtable
{
    std::uint32_t startTrigger = 0;
    std::uint32_t endTrigger = 0;
};
// OK: both triggers read, or the message that keeps the dialog open ("Please input a start
// trigger", "Please input an end trigger", not hexadecimal).
[[nodiscard]] std::optional<std::string> ReadNewSubtable(const NewSubtableFields &fields,
                                                         NewSubtable &result);

// The "CodePage:" field read on OK: a decimal number the converter has, else the message that
// keeps the editor open.
[[nodiscard]] std::optional<std::string>
ReadCodePageField(std::string_view text, const std::function<bool(int)> &available, int &codePage);

} // namespace byteloom
