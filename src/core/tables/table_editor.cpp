#include "tables/table_editor.h"

#include "common/number_text.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace byteloom {

namespace {

bool AllHexDigits(std::string_view text)
{
    return !text.empty()
           && std::all_of(text.begin(), text.end(), [](char c) { return DigitValue(c, 16) >= 0; });
}

std::string Printed(const char *format, unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// What the cell editor's Enter takes: the text up to the first line end.
std::string_view FirstLine(std::string_view input)
{
    return input.substr(0, input.find_first_of("\r\n"));
}

std::string KeyTakenMessage(std::uint32_t key)
{
    return "The key " + KeyCellText(key) + " is already in this subtable";
}

constexpr const char *kKeyTooLongMessage = "A key is at most four bytes (8 hex digits)";
constexpr const char *kNotHexMessage = "A key is written in hexadecimal digits (0-9, A-F)";

// A hexadecimal field of the New Subtable dialog: the value, or the message.
std::optional<std::string> ReadHexField(std::string_view text,
                                        const char *emptyMessage,
                                        const char *what,
                                        std::uint32_t &value)
{
    if (text.empty())
        return emptyMessage;
    const auto number = ParseWholeNumber(text, 16);
    if (!number)
        return std::string("The ") + what + " must be a hexadecimal number of at most 8 digits";
    value = *number;
    return std::nullopt;
}

// A range's bound: an offset, 64-bit.
std::optional<std::string>
ReadOffsetField(std::string_view text, const char *what, std::int64_t &value)
{
    const auto number = ParseWholeOffset(text, 16);
    if (!number)
        return std::string("The ") + what + " must be a hexadecimal number of at most 16 digits";
    value = *number;
    return std::nullopt;
}

} // namespace

std::string BareTitle(std::string_view title, int codePage)
{
    const std::string suffix = " (" + std::to_string(codePage) + ")";
    if (title.size() > suffix.size() && title.ends_with(suffix))
        return std::string(title.substr(0, title.size() - suffix.size()));
    return std::string(title);
}

std::string TitleWithCodePage(std::string_view bare, int codePage)
{
    const std::string title = std::string(bare) + " (" + std::to_string(codePage) + ")";
    return title.substr(0, std::min(title.size(), kMaxTableTitleLength));
}

std::vector<int> CodePageChoices(int tableCodePage, std::vector<int> listed)
{
    listed.push_back(tableCodePage);
    std::sort(listed.begin(), listed.end());
    listed.erase(std::unique(listed.begin(), listed.end()), listed.end());
    return listed;
}

namespace {

// Each marker word and what the grid shows for it.
constexpr std::pair<std::string_view, std::string_view> kMarkersShown[] = {
    {kNewlineMarker, "\u27E8new line\u27E9"},
    {kEndStringMarker, "\u27E8end of string\u27E9"},
};

} // namespace

std::string_view MarkerShownAs(std::string_view text)
{
    for (const auto &[marker, shown] : kMarkersShown) {
        if (text == marker)
            return shown;
    }
    return text;
}

std::string_view MarkerTyped(std::string_view typed)
{
    for (const auto &[marker, shown] : kMarkersShown) {
        if (typed == shown)
            return marker;
    }
    return typed;
}

std::string KeyCellText(std::uint32_t key)
{
    static constexpr const char *kFormats[] = {"%02llX", "%04llX", "%06llX", "%08llX"};
    return Printed(kFormats[KeyWidth(key) - 1], key);
}

TableEditor::TableEditor(const TableFile &table)
    : table_(table)
{
    for (int number = 0; number <= table.SubtableCount(); ++number) {
        const Subtable &subtable = table.GetSubtable(number);
        Draft &draft = drafts_.emplace_back();
        draft.startTrigger = subtable.startTrigger;
        draft.endTrigger = subtable.endTrigger;
        draft.ranges = subtable.ranges;
        draft.id = subtable.id;
        // Keys ascending, as a user reads a table: the entries are kept descending for lookups.
        for (auto it = subtable.Entries().rbegin(); it != subtable.Entries().rend(); ++it) {
            const TableEntry &entry = *it;
            draft.rows.push_back({entry.key,
                                  entry.text,
                                  entry.order,
                                  entry.label,
                                  entry.parameters,
                                  entry.switchId,
                                  entry.switchCount});
            draft.nextOrder = std::max(draft.nextOrder, entry.order + 1);
        }
    }
}

std::vector<std::string> TableEditor::SubtableNames() const
{
    std::vector<std::string> names{"Main"};
    // A table of its own goes by its ID, a subtable of ranges by its trigger.
    for (std::size_t number = 1; number < drafts_.size(); ++number)
        names.push_back(drafts_[number].id.empty() ? Printed("%02lX", drafts_[number].startTrigger)
                                                   : "@" + drafts_[number].id);
    return names;
}

void TableEditor::ShowSubtable(int number)
{
    if (number >= 0 && number < static_cast<int>(drafts_.size()))
        shown_ = number;
}

int TableEditor::RowCount() const
{
    return static_cast<int>(Shown().rows.size()) + 1;
}

std::uint32_t TableEditor::KeyAt(int row) const
{
    return IsEmptyRow(row) ? 0 : Shown().rows.at(static_cast<std::size_t>(row)).key;
}

const std::string &TableEditor::TextAt(int row) const
{
    static const std::string empty;
    return IsEmptyRow(row) ? empty : Shown().rows.at(static_cast<std::size_t>(row)).text;
}

bool TableEditor::KeyTaken(std::uint32_t key, int exceptRow) const
{
    const std::vector<Row> &rows = Shown().rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].key == key && static_cast<int>(i) != exceptRow)
            return true;
    }
    return false;
}

TableEditor::Outcome TableEditor::AddRow(std::uint32_t key, std::string text)
{
    if (KeyTaken(key, -1))
        return {Outcome::Refused, KeyTakenMessage(key)};
    Draft &draft = Shown();
    draft.rows.push_back({key, std::move(text), draft.nextOrder++, {}, 0, {}, 0});
    changed_ = true;
    return {Outcome::Changed, {}};
}

TableEditor::Outcome TableEditor::Commit(int row, Column column, std::string_view input)
{
    if (row < 0 || row >= RowCount())
        return {};
    const std::string_view typed = FirstLine(input);
    if (column == Column::Text) {
        if (typed.empty())
            return {};
        if (IsEmptyRow(row))
            return AddRow(0, std::string(typed));
        Row &edited = Shown().rows[static_cast<std::size_t>(row)];
        if (edited.text == typed)
            return {};
        edited.text = typed;
        // A label belongs to a line-break or string-end key; another text has none.
        if (edited.text != kNewlineMarker && edited.text != kEndStringMarker)
            edited.label.clear();
        changed_ = true;
        return {Outcome::Changed, {}};
    }

    if (typed.empty())
        return {};
    if (!AllHexDigits(typed))
        return {Outcome::Refused, kNotHexMessage};
    const auto key = ParseWholeNumber(typed, 16);
    if (!key)
        return {Outcome::Refused, kKeyTooLongMessage};
    if (IsEmptyRow(row))
        return AddRow(*key, {});
    Row &changed = Shown().rows[static_cast<std::size_t>(row)];
    if (changed.key == *key)
        return {};
    if (KeyTaken(*key, row))
        return {Outcome::Refused, KeyTakenMessage(*key)};
    changed.key = *key;
    changed_ = true;
    return {Outcome::Changed, {}};
}

bool TableEditor::RemoveRow(int row)
{
    if (row < 0 || row >= RowCount() || IsEmptyRow(row))
        return false;
    std::vector<Row> &rows = Shown().rows;
    rows.erase(rows.begin() + row);
    changed_ = true;
    return true;
}

std::optional<std::string> TableEditor::RefuseStartTrigger(std::uint32_t startTrigger) const
{
    for (std::size_t number = 1; number < drafts_.size(); ++number) {
        if (drafts_[number].startTrigger == startTrigger)
            return "A subtable with the start trigger " + Printed("%02lX", startTrigger)
                   + " is already in this table";
    }
    return std::nullopt;
}

std::optional<std::string> TableEditor::AddSubtable(std::uint32_t startTrigger,
                                                    std::uint32_t endTrigger,
                                                    const std::vector<SubtableRange> &ranges)
{
    if (auto refused = RefuseStartTrigger(startTrigger))
        return refused;
    Draft &draft = drafts_.emplace_back();
    draft.startTrigger = startTrigger;
    draft.endTrigger = endTrigger;
    draft.ranges = ranges;
    shown_ = static_cast<int>(drafts_.size()) - 1;
    changed_ = true;
    return std::nullopt;
}

TableFile TableEditor::Result(std::string_view titleField, int codePage) const
{
    const std::string &title = table_.GetTitle();
    const std::string bare = BareTitle(title, table_.GetCodePage());
    TableFile result;
    result.SetPath(table_.GetPath());
    result.SetByteOrderMark(table_.HasByteOrderMark());
    result.SetSource(table_.Source());
    result.SetBookmarks(table_.Bookmarks());
    result.SetCodePage(codePage);
    if (!titleField.empty() && titleField != bare)
        result.SetTitle(TitleWithCodePage(titleField, codePage));
    else if (bare != title)
        result.SetTitle(TitleWithCodePage(bare, codePage));
    else
        result.SetTitle(title);
    for (std::size_t number = 0; number < drafts_.size(); ++number) {
        const Draft &draft = drafts_[number];
        if (number > 0) {
            result.AddSubtable(draft.startTrigger, draft.endTrigger);
            for (const SubtableRange &range : draft.ranges)
                result.AddRange(static_cast<int>(number), range.low, range.high);
        }
        result.MutableSubtable(static_cast<int>(number)).id = draft.id;
        // Added in the order they were first added, so that of equal texts the same entry
        // encodes as before.
        std::vector<const Row *> rows;
        for (const Row &row : draft.rows)
            rows.push_back(&row);
        std::stable_sort(rows.begin(), rows.end(), [](const Row *a, const Row *b) {
            return a->order < b->order;
        });
        for (const Row *row : rows) {
            TableEntry entry;
            entry.key = row->key;
            entry.text = row->text;
            entry.label = row->label;
            entry.parameters = row->parameters;
            entry.switchId = row->switchId;
            entry.switchCount = row->switchCount;
            result.AppendWhileLoading(static_cast<int>(number), std::move(entry));
        }
    }
    (void)result.FinishLoading(); // the names were resolved when the table was loaded
    result.SetModified(table_.IsModified() || changed_ || result.GetTitle() != title
                       || codePage != table_.GetCodePage());
    return result;
}

std::optional<std::string> AddRangeFromFields(NewSubtableFields &fields)
{
    if (fields.rangeStart.empty())
        return "Please input a start range";
    if (fields.rangeEnd.empty())
        return "Please input an end range";
    SubtableRange range;
    if (auto message = ReadOffsetField(fields.rangeStart, "range's start", range.low))
        return message;
    if (auto message = ReadOffsetField(fields.rangeEnd, "range's end", range.high))
        return message;
    if (range.high < range.low)
        return "The range's end comes before its start";
    fields.ranges.push_back(range);
    fields.rangeStart.clear();
    fields.rangeEnd.clear();
    return std::nullopt;
}

std::string RangeBoundText(std::int64_t bound)
{
    return Printed("%08llx", static_cast<unsigned long long>(bound));
}

std::optional<std::string> ReadNewSubtable(const NewSubtableFields &fields, NewSubtable &result)
{
    if (auto message = ReadHexField(fields.startTrigger,
                                    "Please input a start trigger",
                                    "start trigger",
                                    result.startTrigger))
        return message;
    return ReadHexField(
        fields.endTrigger, "Please input an end trigger", "end trigger", result.endTrigger);
}

std::optional<std::string>
ReadCodePageField(std::string_view text, const std::function<bool(int)> &available, int &codePage)
{
    const auto number = ParseWholeNumber(text, 10);
    if (!number)
        return "The code page must be a number such as 1252 or 932";
    if (!available(static_cast<int>(*number)))
        return "Code page " + std::to_string(*number) + " is not available on this system";
    codePage = static_cast<int>(*number);
    return std::nullopt;
}

} // namespace byteloom
