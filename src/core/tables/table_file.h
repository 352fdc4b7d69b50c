#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace byteloom {

struct TableSource;

// A named offset that a table file carries.
struct Bookmark
{
    std::int64_t offset = 0; // past 4 GiB in the images of disc-based games
    std::string name;
};

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
    std::uint32_t order = 0; // its place among the subtable's entries as they were added
    // The text a line-break or end-string key carries ("/FF=<end>"): dumped before its line
    // breaks, and read back with them as the key.
    std::string label;
    // A linked entry's parameter bytes ("$0500=<Color>,1"): the bytes after the key that go with
    // it, shown and dumped as "<$03>" after its text.
    int parameters = 0;
    // A switching entry ("!AB=<[Item:]>,<@Items>:1"): after its key, switchCount entries (0:
    // as many as match) are read through the table named switchId, subtable switchTo, and
    // shown with its text as one.
    std::string switchId;
    int switchTo = -1;
    int switchCount = 0;
};

// The most parameter bytes a linked entry takes, and the most bytes one entry covers with what
// goes with it (parameters, or the entries a switching entry reads through another table).
inline constexpr int kMaxParameters = 16;
inline constexpr int kMaxEntryBytes = 64;

// The key's width in bytes follows from its value, never from how many digits it was written
// with: 0041 is the one-byte key 41.
[[nodiscard]] constexpr int KeyWidth(std::uint32_t key)
{
    return key <= 0xFF ? 1 : key <= 0xFFFF ? 2 : key <= 0xFFFFFF ? 3 : 4;
}

// The entry that stands for bytes no entry matches.
[[nodiscard]] const TableEntry &FallbackEntry();

// Offsets are 64-bit: the images of disc-based games reach past 4 GiB.
struct SubtableRange
{
    std::int64_t low = 0; // both bounds inclusive
    std::int64_t high = 0;
};

// A group of entries, kept in descending key order so that it falls into runs by key width.
// Lookups by key and by text cost a constant or a bisection; among entries with the same key
// or text the one that was added first (stood first in the table file) is found.
class Subtable
{
public:
    std::uint32_t startTrigger = 0;
    std::uint32_t endTrigger = 0;
    std::vector<SubtableRange> ranges;
    std::string id; // "@name": the name switching entries read through it by

    [[nodiscard]] const std::vector<TableEntry> &Entries() const { return entries_; }
    // The lookups see a change after the next Reindex().
    [[nodiscard]] std::vector<TableEntry> &MutableEntries() { return entries_; }
    [[nodiscard]] int CountOfWidth(int width) const { return widthCounts_[Slot(width)]; }
    [[nodiscard]] const TableEntry *FindByKey(int width, std::uint32_t value) const
    {
        // A value too wide for its width belongs to a wider key and is not in this run.
        if (width < 1 || width > 4 || KeyWidth(value) != width)
            return nullptr;
        if (width == 1 && !byteIndex_.empty())
            return EntryAt(byteIndex_[value]);
        if (width == 2 && HasPairIndex()) {
            const PairMatch match = DecodePair(static_cast<std::uint16_t>(value));
            return match.width == 2 ? match.entry : nullptr;
        }
        return Bisect(width, value);
    }

    struct PairMatch
    {
        const TableEntry *entry = nullptr; // nullptr when neither key matches
        int width = 0;
    };
    // Whether DecodePair may be used: the subtable has a long run of two-byte keys.
    [[nodiscard]] bool HasPairIndex() const { return !pairIndex_.empty(); }
    // The entry that the bytes b0 b1 (value b0 * 256 + b1) decode to among keys of one and two
    // bytes, the two-byte key first, in a single lookup. The width comes from the index itself,
    // so the next position is known before the entry is read.
    [[nodiscard]] PairMatch DecodePair(std::uint16_t value) const
    {
        const std::int32_t packed = pairIndex_[value];
        if (packed < 0)
            return {};
        return {&entries_[static_cast<std::size_t>(packed >> 1)], (packed & 1) + 1};
    }
    [[nodiscard]] const TableEntry *FindByText(std::string_view text) const;
    // Whether some entry text is longer than text and begins with it.
    [[nodiscard]] bool BeginsLongerText(std::string_view text) const
    {
        return prefixes_.find(text) != prefixes_.end();
    }
    // The length of the longest entry text that begins with the character c.
    [[nodiscard]] std::size_t LongestTextFrom(char c) const
    {
        return longestTextFrom_[static_cast<unsigned char>(c)];
    }
    [[nodiscard]] bool Covers(std::int64_t offset) const;

    // Adds an entry after every earlier one; the lookups see it after the next Reindex().
    void Append(TableEntry entry)
    {
        entry.order = nextOrder_++;
        entries_.push_back(std::move(entry));
    }
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
    [[nodiscard]] const TableEntry *Bisect(int width, std::uint32_t value) const;
    void BuildPairIndex();
    [[nodiscard]] const TableEntry *EntryAt(std::int32_t index) const
    {
        return index < 0 ? nullptr : &entries_[static_cast<std::size_t>(index)];
    }
    static constexpr int kPairIndexThreshold = 256;

    std::vector<TableEntry> entries_;
    std::array<int, 4> widthCounts_{};
    std::array<std::size_t, 4> runStarts_{};
    // Direct indexes for one-byte keys and for long runs of two-byte keys, which nearly every
    // table uses; -1 is none. Other runs are bisected. The pair index holds, for each pair of
    // bytes, its two-byte entry or else the first byte's one-byte entry, as the entry's position
    // times 2 plus its width less 1.
    std::vector<std::int32_t> byteIndex_;
    std::vector<std::int32_t> pairIndex_;
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> textIndex_;
    std::unordered_set<std::string, TextHash, std::equal_to<>> prefixes_;
    std::array<std::size_t, 256> longestTextFrom_{};
    std::uint32_t nextOrder_ = 0;
};

// One loaded table file: Main (subtable 0) and any number of further subtables.
class TableFile
{
public:
    TableFile();

    [[nodiscard]] int GetCodePage() const { return codePage_; }
    void SetCodePage(int codePage);
    // The bytes that start a two-byte character in the table's code page: such a character is
    // skipped whole where no entry encodes it.
    [[nodiscard]] bool IsLeadByte(char c) const
    {
        return leadBytes_[static_cast<unsigned char>(c)];
    }
    [[nodiscard]] const std::string &GetTitle() const { return title_; }
    // Cut to 49 characters.
    void SetTitle(std::string_view title);
    [[nodiscard]] int GetMaxKeyBytes() const { return maxKeyBytes_; }
    // The most bytes one entry covers: its key and a linked entry's parameters.
    [[nodiscard]] int GetMaxEntryBytes() const { return maxEntryBytes_; }
    // Linked or switching entries: an entry may cover more bytes than its key.
    [[nodiscard]] bool HasLinkedEntries() const { return linked_; }
    // Switching entries, whose reading runs on into the entries after them.
    [[nodiscard]] bool HasSwitchingEntries() const { return switching_; }
    [[nodiscard]] int GetMaxTextLen() const { return maxTextLen_; }
    [[nodiscard]] bool IsModified() const { return modified_; }
    void SetModified(bool modified) { modified_ = modified; }
    [[nodiscard]] const std::string &GetPath() const { return path_; }
    // The file began with a byte-order mark (UTF-8, or UTF-16 held as UTF-8): it is written
    // back with the UTF-8 mark.
    [[nodiscard]] bool HasByteOrderMark() const { return byteOrderMark_; }
    void SetByteOrderMark(bool mark) { byteOrderMark_ = mark; }
    void SetPath(std::string path) { path_ = std::move(path); }

    // The file as it was read, so that saving it changes only what changed; nothing for a table
    // that was not read from a file.
    [[nodiscard]] const std::shared_ptr<const TableSource> &Source() const { return source_; }
    void SetSource(std::shared_ptr<const TableSource> source) { source_ = std::move(source); }
    // The bookmarks the table's own file carries.
    [[nodiscard]] const std::vector<Bookmark> &Bookmarks() const { return bookmarks_; }
    void SetBookmarks(std::vector<Bookmark> bookmarks) { bookmarks_ = std::move(bookmarks); }
    // End tokens that end a string without writing a byte ("/<END>"), by their text; a command
    // script's strings end at them.
    [[nodiscard]] const std::vector<std::string> &EndTokensWithoutBytes() const
    {
        return byteLessEndTokens_;
    }
    void AddEndTokenWithoutBytes(std::string text)
    {
        byteLessEndTokens_.push_back(std::move(text));
    }

    // Subtables besides Main.
    [[nodiscard]] int SubtableCount() const { return static_cast<int>(subtables_.size()) - 1; }
    // number must be 0 .. SubtableCount().
    [[nodiscard]] const Subtable &GetSubtable(int number) const
    {
        return subtables_[static_cast<std::size_t>(number)];
    }
    // The first subtable 1 .. SubtableCount() with a range holding offset, else 0 (Main): the
    // subtable through which the bytes at offset are read and written, wherever they are read
    // from (the view, a dump, Copy String, an insert, the entry box).
    [[nodiscard]] int FindSubtableForOffset(std::int64_t offset) const;
    [[nodiscard]] const Subtable &SubtableAt(std::int64_t offset) const
    {
        return GetSubtable(FindSubtableForOffset(offset));
    }
    // The subtable at offset and the first offset after it where the answer may change (the
    // next range boundary), so that a walk asks once per run of offsets.
    struct SubtableRun
    {
        int number = 0;
        std::int64_t until = 0;
    };
    [[nodiscard]] SubtableRun SubtableRunAt(std::int64_t offset) const;
    // number must be 0 .. SubtableCount().
    [[nodiscard]] const TableEntry *FindEntryByKey(int number, int width, std::uint32_t value) const
    {
        return GetSubtable(number).FindByKey(width, value);
    }
    [[nodiscard]] const TableEntry *FindEntryByText(int number, std::string_view text) const
    {
        return GetSubtable(number).FindByText(text);
    }

    // Editing. Each keeps the lookups, maxKeyBytes and maxTextLen up to date.
    void AddEntry(int subtable, std::uint32_t key, std::string text);
    void AddRange(int subtable, std::int64_t low, std::int64_t high);
    // Returns the new subtable's number.
    int AddSubtable(std::uint32_t startTrigger, std::uint32_t endTrigger);

    // For the loader: adds entries without reindexing, then FinishLoading() indexes them all.
    void AppendWhileLoading(int subtable,
                            std::uint32_t key,
                            std::string text,
                            std::string label = {},
                            int parameters = 0);
    void AppendWhileLoading(int subtable, TableEntry entry);
    Subtable &MutableSubtable(int number);
    // Returns how many switching entries name a table the file does not have: they are read as
    // plain entries.
    int FinishLoading();

private:
    void NoteEntry(const TableEntry &entry);

    bool modified_ = false;
    bool byteOrderMark_ = false;
    int maxKeyBytes_ = 0;
    int maxEntryBytes_ = 0;
    bool linked_ = false;
    bool switching_ = false;
    int maxTextLen_ = 0;
    std::vector<Subtable> subtables_;
    std::string path_;
    int codePage_ = kDefaultTableCodePage;
    std::array<bool, 256> leadBytes_{};
    std::string title_;
    std::shared_ptr<const TableSource> source_;
    std::vector<Bookmark> bookmarks_;
    std::vector<std::string> byteLessEndTokens_;
};

} // namespace byteloom
