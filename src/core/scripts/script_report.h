#pragma once

#include "scripts/command_script.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace byteloom {

// A block of text: from a #JMP to the next #JMP (or #SETTARGETFILE, or the script's end).
struct BlockReport
{
    std::string script; // the script's file name
    int line = 0;       // of its #JMP
    std::string name;   // the name the #JMP gives, if any
    std::string file;   // the file it is written to
    std::int64_t start = 0;
    std::optional<std::int64_t> max; // the last offset it may write, inclusive
    std::int64_t end = 0;            // where its text ended
    std::int64_t written = 0;        // bytes of text written
    std::int64_t lost = 0;           // bytes of text not written: past max, or past the file's end

    // Bytes between its end and max that were left as they were (or filled); 0 without max.
    [[nodiscard]] std::int64_t Left() const { return max && end <= *max ? *max + 1 - end : 0; }
};

// A string cut at its block's max (or at the end of the file, or at a fixed length).
struct CutString
{
    std::string script;
    int line = 0;
    std::string block; // the block's name, or its start in hex
    std::int64_t offset = 0;
    std::int64_t lost = 0;
};

// An embedded pointer that got only its place (#EMBSET) or only its target (#EMBWRITE), or a
// slot of an embedded pointer table that was never written.
struct UnresolvedPointer
{
    std::string script;
    int line = 0;
    std::string what; // "#EMBSET(3) has no #EMBWRITE", "Slots 0, 2 of E were never written"
    std::int64_t count = 1;
};

enum class PointerKind { LowLevel, Custom, Table, List, Embedded, EmbeddedTable, Count };

struct CommandScriptReport
{
    std::vector<ScriptProblem> errors; // with the script's name in each message
    std::vector<BlockReport> blocks;
    std::array<std::int64_t, static_cast<std::size_t>(PointerKind::Count)> pointers{};
    std::vector<CutString> cut;
    std::vector<UnresolvedPointer> unresolved;
    std::int64_t pointerBytesLost = 0; // past the open file's end, or past an embedded block's max
    std::vector<std::string> notes;    // what the table loader passed over, one line per table
    std::vector<std::string> files;    // other files written

    [[nodiscard]] bool Failed() const { return !errors.empty(); }
    // Whether anything of the scripts was not written: cut strings, bytes past the end,
    // unresolved embedded pointers.
    [[nodiscard]] bool Lost() const
    {
        return !cut.empty() || !unresolved.empty() || pointerBytesLost > 0;
    }
    [[nodiscard]] std::int64_t PointerCount() const;
    [[nodiscard]] std::int64_t UnresolvedCount() const;
    [[nodiscard]] std::int64_t BytesWritten() const;
};

// An offset as a script writes it: "$4F200", "$-10".
[[nodiscard]] std::string HexOffset(std::int64_t offset);

// The report as text, one block per line, then the totals, the losses and the notes; the
// errors alone when there are any.
[[nodiscard]] std::string ReportText(const CommandScriptReport &report);
// The report without its block lines: the totals, the losses, the files and the notes; or the
// errors.
[[nodiscard]] std::string ReportSummaryText(const CommandScriptReport &report);
// One line for a block ("$40200-$4FFFF (Chapter 1): 1,234 bytes written, 12 left").
[[nodiscard]] std::string BlockLine(const BlockReport &block);
// "681 pointers (pointer tables 600, embedded 81)".
[[nodiscard]] std::string PointerSummary(const CommandScriptReport &report);

} // namespace byteloom
