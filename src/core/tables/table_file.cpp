#include "tables/table_file.h"

#include "platform/code_page.h"

#include <algorithm>
#include <limits>

namespace byteloom {

const TableEntry &FallbackEntry()
{
    static const TableEntry fallback = [] {
        TableEntry entry;
        entry.text = ".";
        return entry;
    }();
    return fallback;
}

const TableEntry *Subtable::Bisect(int width, std::uint32_t value) const
{
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

bool Subtable::Covers(std::int64_t offset) const
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
    textIndex_.clear();
    prefixes_.clear();
    longestTextFrom_.fill(0);
    for (const TableEntry &entry : entries_) {
        if (!entry.text.empty()) {
            std::size_t &longest = longestTextFrom_[static_cast<unsigned char>(entry.text[0])];
            longest = std::max(longest, entry.text.size());
        }
        for (std::size_t n = 1; n < entry.text.size(); ++n)
            prefixes_.emplace(entry.text, 0, n);
    }
    // Walking backwards lets the first of equal keys win (the sort is stable); of equal texts
    // the one added first wins, whatever its key.
    for (std::size_t i = entries_.size(); i-- > 0;) {
        const TableEntry &entry = entries_[i];
        if (KeyWidth(entry.key) == 1)
            byteIndex_[entry.key] = static_cast<std::int32_t>(i);
        if (entry.text.empty())
            continue; // nothing encodes to an empty text
        const auto [found, added]
            = textIndex_.try_emplace(entry.text, static_cast<std::int32_t>(i));
        if (!added && entries_[static_cast<std::size_t>(found->second)].order > entry.order)
            found->second = static_cast<std::int32_t>(i);
    }
    BuildPairIndex();
}

void Subtable::BuildPairIndex()
{
    // The pair index costs 256 KiB, worth it only for a run of some size.
    if (CountOfWidth(2) < kPairIndexThreshold) {
        pairIndex_.clear();
        return;
    }
    pairIndex_.resize(0x10000);
    for (std::size_t pair = 0; pair < pairIndex_.size(); ++pair) {
        const std::int32_t single = byteIndex_.empty() ? -1 : byteIndex_[pair >> 8];
        pairIndex_[pair] = single < 0 ? -1 : single * 2;
    }
    const std::size_t start = runStarts_[Slot(2)];
    for (std::size_t i = start + static_cast<std::size_t>(CountOfWidth(2)); i-- > start;)
        pairIndex_[entries_[i].key] = static_cast<std::int32_t>(i) * 2 + 1;
}

TableFile::TableFile()
    : subtables_(1)
{}

void TableFile::SetCodePage(int codePage)
{
    codePage_ = codePage;
    leadBytes_ = LeadBytesOf(codePage);
}

void TableFile::SetTitle(std::string_view title)
{
    title_ = std::string(title.substr(0, kMaxTableTitleLength));
}

Subtable &TableFile::MutableSubtable(int number)
{
    return subtables_.at(static_cast<std::size_t>(number));
}

int TableFile::FindSubtableForOffset(std::int64_t offset) const
{
    for (int number = 1; number <= SubtableCount(); ++number) {
        if (GetSubtable(number).Covers(offset))
            return number;
    }
    return 0;
}

TableFile::SubtableRun TableFile::SubtableRunAt(std::int64_t offset) const
{
    std::int64_t until = std::numeric_limits<std::int64_t>::max();
    for (std::size_t number = 1; number < subtables_.size(); ++number) {
        for (const SubtableRange &range : subtables_[number].ranges) {
            const std::int64_t low = range.low;
            const std::int64_t pastHigh = range.high == std::numeric_limits<std::int64_t>::max()
                                              ? range.high
                                              : range.high + 1;
            if (low > offset)
                until = std::min(until, low);
            else if (pastHigh > offset)
                until = std::min(until, pastHigh);
        }
    }
    return {FindSubtableForOffset(offset), until};
}

void TableFile::NoteEntry(const TableEntry &entry)
{
    const int width = KeyWidth(entry.key);
    maxKeyBytes_ = std::max(maxKeyBytes_, width);
    maxEntryBytes_ = std::max(maxEntryBytes_, width + entry.parameters);
    linked_ = linked_ || entry.parameters > 0;
    maxTextLen_ = std::max(maxTextLen_, static_cast<int>(entry.text.size()));
}

void TableFile::AppendWhileLoading(
    int subtable, std::uint32_t key, std::string text, std::string label, int parameters)
{
    TableEntry entry;
    entry.key = key;
    entry.text = std::move(text);
    entry.label = std::move(label);
    entry.parameters = parameters;
    AppendWhileLoading(subtable, std::move(entry));
}

void TableFile::AppendWhileLoading(int subtable, TableEntry entry)
{
    entry.parameters = std::clamp(entry.parameters, 0, kMaxParameters);
    NoteEntry(entry);
    MutableSubtable(subtable).Append(std::move(entry));
}

int TableFile::FinishLoading()
{
    // Switching entries find their tables by name, wherever in the file those stand.
    int unresolved = 0;
    for (Subtable &subtable : subtables_) {
        for (TableEntry &entry : subtable.MutableEntries()) {
            if (entry.switchId.empty())
                continue;
            // Of tables with the same ID, the first.
            entry.switchTo = -1;
            for (std::size_t number = 0; number < subtables_.size() && entry.switchTo < 0; ++number)
                if (subtables_[number].id == entry.switchId)
                    entry.switchTo = static_cast<int>(number);
            if (entry.switchTo < 0) {
                ++unresolved;
                entry.switchId.clear();
                continue;
            }
            // What it reads through the other table goes with it, as far as one entry reaches.
            linked_ = switching_ = true;
            maxEntryBytes_ = kMaxEntryBytes;
        }
    }
    for (Subtable &subtable : subtables_)
        subtable.Reindex();
    return unresolved;
}

void TableFile::AddEntry(int subtable, std::uint32_t key, std::string text)
{
    AppendWhileLoading(subtable, key, std::move(text));
    MutableSubtable(subtable).Reindex();
}

void TableFile::AddRange(int subtable, std::int64_t low, std::int64_t high)
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
