#include "tables/table_writer.h"

#include "document/safe_file_writer.h"
#include "tables/table_editor.h"

#include <cstdio>

namespace byteloom {

namespace {

std::string Printed(const char *format, unsigned long value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string LowerHex(std::uint64_t value)
{
    return Printed("%lx", value);
}

void AddLine(std::string &out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

void AddEntries(std::string &out, const Subtable &subtable)
{
    for (const TableEntry &entry : subtable.Entries()) {
        const std::string label = entry.label.empty() ? "" : "=" + entry.label;
        if (entry.text == kNewlineMarker)
            AddLine(out, "*" + KeyCellText(entry.key) + label);
        else if (entry.text == kEndStringMarker)
            AddLine(out, "/" + KeyCellText(entry.key) + label);
        else
            AddLine(out, KeyCellText(entry.key) + "=" + entry.text);
    }
}

} // namespace

std::string FormatTableFile(const TableFile &table, const std::vector<Bookmark> &bookmarks)
{
    std::string out = table.HasByteOrderMark() ? "\xEF\xBB\xBF" : "";
    AddLine(out, ".codepage=" + std::to_string(table.GetCodePage()));
    AddLine(out, ".title=" + BareTitle(table.GetTitle(), table.GetCodePage()));
    AddEntries(out, table.GetSubtable(0));
    for (int number = 1; number <= table.SubtableCount(); ++number) {
        const Subtable &subtable = table.GetSubtable(number);
        AddLine(out, "subtable=" + LowerHex(subtable.startTrigger));
        for (const SubtableRange &range : subtable.ranges) {
            AddLine(out, "start=" + LowerHex(static_cast<std::uint64_t>(range.low)));
            AddLine(out, "end=" + LowerHex(static_cast<std::uint64_t>(range.high)));
        }
        AddEntries(out, subtable);
        AddLine(out, "subtableend=" + LowerHex(subtable.endTrigger));
    }
    for (const Bookmark &bookmark : bookmarks)
        AddLine(out,
                "(" + Printed("%08lX", static_cast<unsigned long>(bookmark.offset)) + ")"
                    + bookmark.name);
    return out;
}

Status SaveTableFile(const TableFile &table,
                     const std::vector<Bookmark> &bookmarks,
                     const std::filesystem::path &path,
                     FileSystem &files)
{
    const std::string text = FormatTableFile(table, bookmarks);
    return WriteFileSafely(
        path, std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()), files);
}

} // namespace byteloom
