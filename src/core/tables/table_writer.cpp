#include "tables/table_writer.h"

#include "document/safe_file_writer.h"
#include "tables/table_editor.h"
#include "tables/table_source.h"
#include "tables/text_file.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace byteloom {

namespace {

std::string Printed(const char *format, unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string LowerHex(std::uint64_t value)
{
    return Printed("%llx", static_cast<unsigned long long>(value));
}

void AddLine(std::string &out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

std::string EntryLine(const TableEntry &entry)
{
    const std::string label = entry.label.empty() ? "" : "=" + entry.label;
    if (entry.text == kNewlineMarker)
        return "*" + KeyCellText(entry.key) + label;
    if (entry.text == kEndStringMarker)
        return "/" + KeyCellText(entry.key) + label;
    if (!entry.switchId.empty())
        return "!" + KeyCellText(entry.key) + "=<" + entry.text + ">,<@" + entry.switchId
               + ">:" + std::to_string(entry.switchCount);
    if (entry.parameters > 0)
        return "$" + KeyCellText(entry.key) + "=" + entry.text + ","
               + std::to_string(entry.parameters);
    return KeyCellText(entry.key) + "=" + entry.text;
}

// The entries in the order they were added: of equal texts the first encodes, as before.
std::vector<const TableEntry *> InFileOrder(const Subtable &subtable)
{
    std::vector<const TableEntry *> entries;
    for (const TableEntry &entry : subtable.Entries())
        entries.push_back(&entry);
    std::stable_sort(entries.begin(), entries.end(), [](const TableEntry *a, const TableEntry *b) {
        return a->order < b->order;
    });
    return entries;
}

void AddSubtableBlock(std::string &out, const Subtable &subtable)
{
    if (!subtable.id.empty()) {
        // A table of its own, with any ranges it has.
        AddLine(out, "@" + subtable.id);
        for (const SubtableRange &range : subtable.ranges) {
            AddLine(out, "start=" + LowerHex(static_cast<std::uint64_t>(range.low)));
            AddLine(out, "end=" + LowerHex(static_cast<std::uint64_t>(range.high)));
        }
        for (const TableEntry *entry : InFileOrder(subtable))
            AddLine(out, EntryLine(*entry));
        return;
    }
    AddLine(out, "subtable=" + LowerHex(subtable.startTrigger));
    for (const SubtableRange &range : subtable.ranges) {
        AddLine(out, "start=" + LowerHex(static_cast<std::uint64_t>(range.low)));
        AddLine(out, "end=" + LowerHex(static_cast<std::uint64_t>(range.high)));
    }
    for (const TableEntry *entry : InFileOrder(subtable))
        AddLine(out, EntryLine(*entry));
    AddLine(out, "subtableend=" + LowerHex(subtable.endTrigger));
}

// The saved file: the source's lines, each kept, rewritten or dropped, with new lines after
// the line they follow.
class SourceWriter
{
public:
    SourceWriter(const TableFile &table, const TableSource &source)
        : table_(table)
        , source_(source)
        , fate_(source.lines.size(), Fate::Keep)
        , rewritten_(source.lines.size())
        , after_(source.lines.size())
        , current_(static_cast<std::size_t>(table.SubtableCount()) + 1)
    {
        for (std::size_t number = 0; number < current_.size(); ++number) {
            // In file order, so that entries no line holds are added in the order they were made.
            for (const TableEntry *entry : InFileOrder(table.GetSubtable(static_cast<int>(number))))
                current_[number].push_back({entry, false});
        }
        const auto dominant = std::find_if(source.lines.begin(),
                                           source.lines.end(),
                                           [](const auto &line) { return !line.ending.empty(); });
        ending_ = dominant == source.lines.end() ? "\r\n" : dominant->ending;
    }

    std::string Write()
    {
        Entries();
        Directives();
        NewEntries();
        return Joined();
    }

private:
    using Item = TableSource::Item;
    using Kind = Item::Kind;
    enum class Fate { Keep, Rewrite, Drop };
    struct Current
    {
        const TableEntry *entry;
        bool used;
    };

    Current *Unused(int subtable, const std::function<bool(const TableEntry &)> &matches)
    {
        if (subtable < 0 || static_cast<std::size_t>(subtable) >= current_.size())
            return nullptr;
        for (Current &current : current_[static_cast<std::size_t>(subtable)]) {
            if (!current.used && matches(*current.entry))
                return &current;
        }
        return nullptr;
    }

    void Rewrite(int line, const std::string &text)
    {
        const auto at = static_cast<std::size_t>(line);
        rewritten_[at] = fate_[at] == Fate::Rewrite ? rewritten_[at] + ending_ + text : text;
        fate_[at] = Fate::Rewrite;
    }

    // Rewrites the item's line with an entry no line holds that matches; false when none does.
    bool RewriteWith(const Item &item, const std::function<bool(const TableEntry &)> &matches)
    {
        Current *other = Unused(item.subtable, matches);
        if (!other)
            return false;
        other->used = true;
        Rewrite(item.line, EntryLine(*other->entry));
        return true;
    }

    // Unchanged entries keep their lines; a changed one is rewritten in place with an entry of
    // its key that no line holds; the lines of removed ones go.
    void Entries()
    {
        std::vector<const Item *> changed;
        for (const Item &item : source_.items) {
            if (item.kind != Kind::Entry)
                continue;
            lastEntryLine_[item.subtable] = item.line;
            Current *same = Unused(item.subtable, [&](const TableEntry &entry) {
                return entry.key == item.key && entry.text == item.text
                       && entry.label == item.label;
            });
            if (same)
                same->used = true;
            else
                changed.push_back(&item);
        }
        // A changed entry keeps its line: one whose text changed is found by its key, one whose
        // key changed by its text.
        std::vector<const Item *> unmatched;
        for (const Item *item : changed) {
            if (!RewriteWith(*item,
                             [&](const TableEntry &entry) { return entry.key == item->key; }))
                unmatched.push_back(item);
        }
        for (const Item *item : unmatched) {
            const bool rewritten = RewriteWith(*item, [&](const TableEntry &entry) {
                return entry.text == item->text && entry.label == item->label;
            });
            if (!rewritten && fate_[static_cast<std::size_t>(item->line)] == Fate::Keep)
                fate_[static_cast<std::size_t>(item->line)] = Fate::Drop;
        }
    }

    // The title, the code page and the triggers, rewritten where they changed; a title or code
    // page the file has no line for is added at its top.
    void Directives()
    {
        const int codePage = table_.GetCodePage();
        const Item *title = nullptr;
        const Item *codePageLine = nullptr;
        for (const Item &item : source_.items) {
            if (item.kind == Kind::Title)
                title = &item;
            else if (item.kind == Kind::CodePage)
                codePageLine = &item;
            else if (item.kind == Kind::SubtableStart || item.kind == Kind::SubtableEnd)
                Trigger(item);
            else if (item.kind == Kind::TableId && item.subtable > 0)
                subtableLine_[item.subtable] = item.line; // a table the file already holds
        }
        const std::string bare = BareTitle(table_.GetTitle(), codePage);
        if (title && TitleWithCodePage(title->text, codePage) != table_.GetTitle())
            Rewrite(title->line, ".title=" + bare);
        // The code page the file says (or its encoding, which a UTF-16 or marked file is read
        // in whatever it says) changes only when the table's did.
        const bool fixedEncoding = source_.encoding != TableSource::Encoding::Bytes;
        const std::string number = std::to_string(codePage);
        if (!fixedEncoding && codePage != source_.codePage) {
            if (codePageLine)
                Rewrite(codePageLine->line, ".codepage=" + number);
            else
                top_.push_back(".codepage=" + number);
        }
        if (!title && table_.GetTitle() != source_.title)
            top_.push_back(".title=" + bare);
    }

    void Trigger(const Item &item)
    {
        if (item.subtable > table_.SubtableCount())
            return;
        const Subtable &subtable = table_.GetSubtable(item.subtable);
        const bool start = item.kind == Kind::SubtableStart;
        const std::uint32_t trigger = start ? subtable.startTrigger : subtable.endTrigger;
        if (start)
            subtableLine_[item.subtable] = item.line;
        if (trigger != item.key)
            Rewrite(item.line, (start ? "subtable=" : "subtableend=") + LowerHex(trigger));
    }

    // Entries no line holds: after the last entry of their subtable (or its opening line, or
    // for Main before the first subtable); subtables the file does not have, at its end.
    void NewEntries()
    {
        int firstSubtableLine = -1;
        for (const auto &[number, line] : subtableLine_) {
            if (firstSubtableLine < 0 || line < firstSubtableLine)
                firstSubtableLine = line;
        }
        for (std::size_t number = 0; number < current_.size(); ++number) {
            const int subtable = static_cast<int>(number);
            const bool known = subtable == 0 || subtableLine_.contains(subtable);
            if (!known) {
                std::string block;
                AddSubtableBlock(block, table_.GetSubtable(subtable));
                end_ += block;
                continue;
            }
            std::vector<std::string> added;
            for (const Current &current : current_[number]) {
                if (!current.used)
                    added.push_back(EntryLine(*current.entry));
            }
            if (added.empty())
                continue;
            int anchor = -1;
            if (lastEntryLine_.contains(subtable))
                anchor = lastEntryLine_[subtable];
            else if (subtable > 0)
                anchor = subtableLine_[subtable];
            else if (firstSubtableLine >= 0)
                anchor = firstSubtableLine - 1; // -1: before every line
            else
                anchor = static_cast<int>(source_.lines.size()) - 1;
            for (std::string &line : added) {
                if (anchor < 0)
                    top_.push_back(std::move(line));
                else
                    after_[static_cast<std::size_t>(anchor)].push_back(std::move(line));
            }
        }
    }

    std::string Joined()
    {
        std::string out;
        for (const std::string &line : top_)
            out += line + ending_;
        for (std::size_t i = 0; i < source_.lines.size(); ++i) {
            const TableSource::Line &line = source_.lines[i];
            const bool last = i + 1 == source_.lines.size();
            std::string ending = line.ending;
            if (ending.empty() && (!after_[i].empty() || (last && !end_.empty())))
                ending = ending_;
            if (fate_[i] != Fate::Drop)
                out += (fate_[i] == Fate::Keep ? line.text : rewritten_[i]) + ending;
            for (const std::string &added : after_[i])
                out += added + ending_;
        }
        if (!end_.empty()) {
            // The canonical block's CR LF in the file's own line ends.
            for (std::size_t at = 0; (at = end_.find("\r\n", at)) != std::string::npos;) {
                end_.replace(at, 2, ending_);
                at += ending_.size();
            }
            out += end_;
        }
        // A file whose last line had no end keeps it that way.
        if (!source_.lines.empty() && source_.lines.back().ending.empty() && out.ends_with(ending_))
            out.resize(out.size() - ending_.size());
        return out + source_.tail;
    }

    const TableFile &table_;
    const TableSource &source_;
    std::vector<Fate> fate_;
    std::vector<std::string> rewritten_;
    std::vector<std::vector<std::string>> after_;
    std::vector<std::vector<Current>> current_;
    std::map<int, int> lastEntryLine_; // subtable → line
    std::map<int, int> subtableLine_;  // subtable → its "subtable=" line
    std::vector<std::string> top_;
    std::string end_;
    std::string ending_;
};

// The file's text in the encoding it was read in.
std::string Encoded(const std::string &text, TableSource::Encoding encoding)
{
    switch (encoding) {
    case TableSource::Encoding::Utf8Mark:
        return "\xEF\xBB\xBF" + text;
    case TableSource::Encoding::Utf16Le:
        return "\xFF\xFE" + Utf8ToUtf16(text, false);
    case TableSource::Encoding::Utf16Be:
        return "\xFE\xFF" + Utf8ToUtf16(text, true);
    case TableSource::Encoding::Bytes:
        break;
    }
    return text;
}

} // namespace

std::string FormatTableFile(const TableFile &table)
{
    std::string out = table.HasByteOrderMark() ? "\xEF\xBB\xBF" : "";
    AddLine(out, ".codepage=" + std::to_string(table.GetCodePage()));
    AddLine(out, ".title=" + BareTitle(table.GetTitle(), table.GetCodePage()));
    if (!table.GetSubtable(0).id.empty())
        AddLine(out, "@" + table.GetSubtable(0).id);
    for (const TableEntry *entry : InFileOrder(table.GetSubtable(0)))
        AddLine(out, EntryLine(*entry));
    for (const std::string &token : table.EndTokensWithoutBytes())
        AddLine(out, "/" + token);
    // Subtables of ranges first: a table named by "@" runs to the next "@" or the end.
    for (int number = 1; number <= table.SubtableCount(); ++number)
        if (table.GetSubtable(number).id.empty())
            AddSubtableBlock(out, table.GetSubtable(number));
    for (int number = 1; number <= table.SubtableCount(); ++number)
        if (!table.GetSubtable(number).id.empty())
            AddSubtableBlock(out, table.GetSubtable(number));
    for (const Bookmark &bookmark : table.Bookmarks())
        AddLine(out,
                "(" + Printed("%08llX", static_cast<unsigned long long>(bookmark.offset)) + ")"
                    + bookmark.name);
    return out;
}

std::string TableFileBytes(const TableFile &table)
{
    const auto &source = table.Source();
    if (!source)
        return FormatTableFile(table);
    return Encoded(SourceWriter(table, *source).Write(), source->encoding);
}

Status SaveTableFile(const TableFile &table, const std::filesystem::path &path, FileSystem &files)
{
    const std::string bytes = TableFileBytes(table);
    if (const TextFileResult held = ReadBinaryFile(path, files);
        held.status.ok() && held.text == bytes)
        return Status::Ok(); // a table that did not change is never rewritten
    return WriteFileSafely(
        path, std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()), files);
}

} // namespace byteloom
