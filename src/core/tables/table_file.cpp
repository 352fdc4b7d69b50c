#include "tables/table_file.h"

#include <algorithm>

namespace byteloom {

const TableEntry &FallbackEntry()
{
    static const TableEntry fallback{0, "."};
    return fallback;
}

const TableEntry *Subtable::FindByKey(int width, std::uint32_t value) const
{
    if (width < 1 || width > 4)
        return nullptr;
    // A value too wide for its width belongs to a wider key and is not in this run.
    if (KeyWidth(value) != width)
        return nullptr;
    const auto *index = width == 1 ? &byteIndex_ : width == 2 ? &wordIndex_ : nullptr;
    if (index && !index->empty()) {
        const std::int32_t found = (*index)[value];
        return found < 0 ? nullptr : &entries_[static_cast<std::size_t>(found)];
    }
    const auto begin = entries_.begin() + static_cast<std::ptrdiff_t>(runStarts_[Slot(width)]);
    const auto end = begin + CountOfWidth(width);
    const auto found
        = std::lower_bound(begin, end, value, [](const TableEntry &entry, std::uint32_t key) {
              return entry.key > key;
          });
    return found != end && found->key == value ? &*found : nullptr;
}

const TableEntry *Subtable::FindByText(std::string_view text) const
{
    const auto found = textIndex_.find(text);
    return found == textIndex_.end() ? nullptr : &entries_[static_cast<std::size_t>(found->second)];
}

bool Subtable::Covers(std::uint32_t offset) const
{
    return std::any_of(ranges.begin(), ranges.end(), [offset](const SubtableRange &range) {
        return range.low <= offset && offset <= range.high;
    });
}

void Subtable::Reindex()
{
    std::stable_sort(entries_.begin(),
                     entries_.end(),
                     [](const TableEntry &a, const TableEntry &b) { return a.key > b.key; });
    widthCounts_.fill(0);
    for (const TableEntry &entry : entries_)
        ++widthCounts_[Slot(KeyWidth(entry.key))];
    // Descending keys: the 4-byte run comes first, the 1-byte run last.
    std::size_t start = 0;
    for (int width = 4; width >= 1; --width) {
        runStarts_[Slot(width)] = start;
        start += static_cast<std::size_t>(CountOfWidth(width));
    }

    byteIndex_.assign(CountOfWidth(1) > 0 ? 0x100 : 0, -1);
    // The two-byte index costs 256 KiB, worth it only for a run of some size.
    wordIndex_.assign(CountOfWidth(2) >= kWordIndexThreshold ? 0x10000 : 0, -1);
    textIndex_.clear();
    // Walking backwards lets the first of equal keys or texts win.
    for (std::size_t i = entries_.size(); i-- > 0;) {
        const TableEntry &entry = entries_[i];
        const auto position = static_cast<std::int32_t>(i);
        const int width = KeyWidth(entry.key);
        if (width == 1)
            byteIndex_[entry.key] = position;
        else if (width == 2 && !wordIndex_.empty())
            wordIndex_[entry.key] = position;
        textIndex_.insert_or_assign(entry.text, position);
    }
}

TableFile::TableFile()
    : subtables_(1)
{}

void TableFile::SetTitle(std::string_view title)
{
    title_ = std::string(title.substr(0, kMaxTableTitleLength));
}

const Subtable &TableFile::GetSubtable(int number) const
{
    return subtables_.at(static_cast<std::size_t>(number));
}

Subtable &TableFile::MutableSubtable(int number)
{
    return subtables_.at(static_cast<std::size_t>(number));
}

void TableFile::SelectSubtable(int number)
{
    currentSubtable_ = number >= 0 && number <= SubtableCount() ? number : 0;
}

int TableFile::FindSubtableForOffset(std::uint32_t offset) const
{
    for (int number = 1; number <= SubtableCount(); ++number) {
        if (GetSubtable(number).Covers(offset))
            return number;
    }
    return 0;
}

const TableEntry *TableFile::FindEntryByKey(int width, std::uint32_t value) const
{
    return GetSubtable(currentSubtable_).FindByKey(width, value);
}

const TableEntry *TableFile::FindEntryByText(std::string_view text) const
{
    return GetSubtable(currentSubtable_).FindByText(text);
}

void TableFile::NoteEntry(std::uint32_t key, const std::string &text)
{
    maxKeyBytes_ = std::max(maxKeyBytes_, KeyWidth(key));
    maxTextLen_ = std::max(maxTextLen_, static_cast<int>(text.size()));
}

void TableFile::AppendWhileLoading(int subtable, std::uint32_t key, std::string text)
{
    NoteEntry(key, text);
    MutableSubtable(subtable).Append({key, std::move(text)});
}

void TableFile::FinishLoading()
{
    for (Subtable &subtable : subtables_)
        subtable.Reindex();
}

void TableFile::AddEntry(int subtable, std::uint32_t key, std::string text)
{
    AppendWhileLoading(subtable, key, std::move(text));
    MutableSubtable(subtable).Reindex();
}

void TableFile::AddRange(int subtable, std::uint32_t low, std::uint32_t high)
{
    MutableSubtable(subtable).ranges.push_back({low, high});
}

int TableFile::AddSubtable(std::uint32_t startTrigger, std::uint32_t endTrigger)
{
    Subtable &added = subtables_.emplace_back();
    added.startTrigger = startTrigger;
    added.endTrigger = endTrigger;
    added.Reindex();
    return SubtableCount();
}

} // namespace byteloom
