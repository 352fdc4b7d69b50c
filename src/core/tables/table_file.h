#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace byteloom {

// Entry texts that stand for a line break and for the end of a string.
inline constexpr std::string_view kNewlineMarker = "BYTELOOM_NEWLINE";
inline constexpr std::string_view kEndStringMarker = "BYTELOOM_ENDSTRING";
inline constexpr int kDefaultTableCodePage = 1252;
inline constexpr std::size_t kMaxTableTitleLength = 49;

// One mapping: the key is the entry's byte sequence read big-endian (first byte most
// significant); the text is 8-bit text in the table's code page.
struct TableEntry
{
    std::uint32_t key = 0;
    std::string text;
};

// The key's width in bytes follows from its value, never from how many digits it was written
// with: 0041 is the one-byte key 41.
[[nodiscard]] constexpr int KeyWidth(std::uint32_t key)
{
    return key <= 0xFF ? 1 : key <= 0xFFFF ? 2 : key <= 0xFFFFFF ? 3 : 4;
}

// The entry that stands for bytes no entry matches.
[[nodiscard]] const TableEntry &FallbackEntry();

struct SubtableRange
{
    std::uint32_t low = 0; // both bounds inclusive
    std::uint32_t high = 0;
};

// A group of entries, kept in descending key order so that it falls into runs by key width.
// Lookups by key and by text cost a constant or a bisection; among entries with the same key
// or text the one that stood first in the table file is found.
class Subtable
{
public:
    std::uint32_t startTrigger = 0;
    std::uint32_t endTrigger = 0;
    std::vector<SubtableRange> ranges;

    [[nodiscard]] const std::vector<TableEntry> &Entries() const { return entries_; }
    [[nodiscard]] int CountOfWidth(int width) const { return widthCounts_[Slot(width)]; }
    [[nodiscard]] const TableEntry *FindByKey(int width, std::uint32_t value) const;
    [[nodiscard]] const TableEntry *FindByText(std::string_view text) const;
    [[nodiscard]] bool Covers(std::uint32_t offset) const;

    // Adds an entry; the lookups see it after the next Reindex().
    void Append(TableEntry entry) { entries_.push_back(std::move(entry)); }
    // Restores the order and rebuilds the lookups; costs one sort of the entries.
    void Reindex();

private:
    struct TextHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const
        {
            return std::hash<std::string_view>{}(text);
        }
    };
    static std::size_t Slot(int width) { return static_cast<std::size_t>(width - 1); }
    static constexpr int kWordIndexThreshold = 256;

    std::vector<TableEntry> entries_;
    std::array<int, 4> widthCounts_{};
    std::array<std::size_t, 4> runStarts_{};
    // Direct indexes for one-byte keys and for long runs of two-byte keys, which nearly every
    // table uses; -1 is none. Other runs are bisected.
    std::vector<std::int32_t> byteIndex_;
    std::vector<std::int32_t> wordIndex_;
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> textIndex_;
};

// One loaded table file: Main (subtable 0) and any number of further subtables.
class TableFile
{
public:
    TableFile();

    [[nodiscard]] int GetCodePage() const { return codePage_; }
    void SetCodePage(int codePage) { codePage_ = codePage; }
    [[nodiscard]] const std::string &GetTitle() const { return title_; }
    // Cut to 49 characters.
    void SetTitle(std::string_view title);
    [[nodiscard]] int GetMaxKeyBytes() const { return maxKeyBytes_; }
    [[nodiscard]] int GetMaxTextLen() const { return maxTextLen_; }
    [[nodiscard]] bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    [[nodiscard]] const std::string &GetPath() const { return path_; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // Subtables besides Main.
    [[nodiscard]] int SubtableCount() const { return static_cast<int>(subtables_.size()) - 1; }
    [[nodiscard]] const Subtable &GetSubtable(int number) const;
    [[nodiscard]] int CurrentSubtable() const { return currentSubtable_; }
    // Numbers outside 0 .. SubtableCount() select Main.
    void SelectSubtable(int number);
    // The first subtable 1 .. SubtableCount() with a range holding offset, else 0 (Main).
    [[nodiscard]] int FindSubtableForOffset(std::uint32_t offset) const;
    // Searches the current subtable only.
    [[nodiscard]] const TableEntry *FindEntryByKey(int width, std::uint32_t value) const;
    [[nodiscard]] const TableEntry *FindEntryByText(std::string_view text) const;

    // Editing. Each keeps the lookups, maxKeyBytes and maxTextLen up to date.
    void AddEntry(int subtable, std::uint32_t key, std::string text);
    void AddRange(int subtable, std::uint32_t low, std::uint32_t high);
    // Returns the new subtable's number.
    int AddSubtable(std::uint32_t startTrigger, std::uint32_t endTrigger);

    // For the loader: adds entries without reindexing, then FinishLoading() indexes them all.
    void AppendWhileLoading(int subtable, std::uint32_t key, std::string text);
    Subtable &MutableSubtable(int number);
    void FinishLoading();

private:
    void NoteEntry(std::uint32_t key, const std::string &text);

    bool modified_ = false;
    int maxKeyBytes_ = 0;
    int maxTextLen_ = 0;
    int currentSubtable_ = 0;
    std::vector<Subtable> subtables_;
    std::string path_;
    int codePage_ = kDefaultTableCodePage;
    std::string title_;
};

} // namespace byteloom
