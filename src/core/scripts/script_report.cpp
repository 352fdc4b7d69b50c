#include "scripts/script_report.h"

#include <cstdio>
#include <numeric>

namespace byteloom {

namespace {

constexpr std::array<const char *, static_cast<std::size_t>(PointerKind::Count)> kKindNames{
    "low-level", "custom", "pointer tables", "pointer lists", "embedded", "embedded tables"};

std::string Count(std::int64_t value, const char *one, const char *many)
{
    return std::to_string(value) + " " + (value == 1 ? one : many);
}

} // namespace

std::string HexOffset(std::int64_t offset)
{
    char text[24];
    std::snprintf(text,
                  sizeof text,
                  offset < 0 ? "$-%llX" : "$%llX",
                  static_cast<unsigned long long>(offset < 0 ? -offset : offset));
    return text;
}

std::int64_t CommandScriptReport::PointerCount() const
{
    return std::accumulate(pointers.begin(), pointers.end(), std::int64_t{0});
}

std::int64_t CommandScriptReport::UnresolvedCount() const
{
    std::int64_t count = 0;
    for (const UnresolvedPointer &pointer : unresolved)
        count += pointer.count;
    return count;
}

std::int64_t CommandScriptReport::BytesWritten() const
{
    std::int64_t written = 0;
    for (const BlockReport &block : blocks)
        written += block.written;
    return written;
}

std::string BlockLine(const BlockReport &block)
{
    // Both ends inclusive: up to max, or to the last byte of text.
    const std::int64_t last = block.max ? *block.max : block.end - 1;
    std::string line = block.file + " " + HexOffset(block.start)
                       + (last > block.start ? "-" + HexOffset(last) : "") + ": "
                       + Count(block.written, "byte", "bytes") + " written";
    if (block.lost > 0)
        line += ", " + std::to_string(block.lost) + " lost";
    else if (block.max)
        line += ", " + std::to_string(block.Left()) + " left";
    return line;
}

std::string PointerSummary(const CommandScriptReport &report)
{
    std::string kinds;
    for (std::size_t kind = 0; kind < report.pointers.size(); ++kind) {
        if (report.pointers[kind] == 0)
            continue;
        kinds.append(kinds.empty() ? " (" : ", ").append(kKindNames[kind]).append(" ");
        kinds.append(std::to_string(report.pointers[kind]));
    }
    if (!kinds.empty())
        kinds.push_back(')');
    return Count(report.PointerCount(), "pointer", "pointers") + kinds;
}

std::string ReportSummaryText(const CommandScriptReport &report)
{
    std::string text;
    if (report.Failed()) {
        text = Count(static_cast<std::int64_t>(report.errors.size()), "error", "errors")
               + "; nothing was written:\n";
        for (const ScriptProblem &error : report.errors)
            text += "  " + error.message + "\n";
        return text;
    }
    text += Count(static_cast<std::int64_t>(report.blocks.size()), "block", "blocks") + ", "
            + Count(report.BytesWritten(), "byte", "bytes") + " of text, " + PointerSummary(report)
            + ".\n";
    if (!report.cut.empty()) {
        text += Count(static_cast<std::int64_t>(report.cut.size()), "string was", "strings were")
                + " cut:\n";
        for (const CutString &cut : report.cut)
            text += "  " + cut.script + " line " + std::to_string(cut.line) + " in " + cut.block
                    + ": the string at " + HexOffset(cut.offset) + " lost "
                    + Count(cut.lost, "byte", "bytes") + "\n";
    }
    if (!report.unresolved.empty()) {
        text += Count(report.UnresolvedCount(), "embedded pointer was", "embedded pointers were")
                + " left unresolved:\n";
        for (const UnresolvedPointer &pointer : report.unresolved)
            text += "  " + pointer.script + " line " + std::to_string(pointer.line) + ": "
                    + pointer.what + "\n";
    }
    if (report.pointerBytesLost > 0)
        text += Count(report.pointerBytesLost, "pointer byte", "pointer bytes")
                + " fell past the end of the file or of a block and were not written.\n";
    for (const std::string &file : report.files)
        text += "Written: " + file + "\n";
    for (const std::string &note : report.notes)
        text += "Table " + note + "\n"; // "Table game.tbl: 2 lines skipped (…)"
    return text;
}

std::string ReportText(const CommandScriptReport &report)
{
    std::string text;
    if (!report.Failed())
        for (const BlockReport &block : report.blocks)
            text += block.script + " line " + std::to_string(block.line)
                    + (block.name.empty() ? "" : " \"" + block.name + "\"") + ": "
                    + BlockLine(block) + "\n";
    return text + ReportSummaryText(report);
}

} // namespace byteloom
