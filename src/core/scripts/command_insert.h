#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "platform/file_system.h"
#include "scripts/script_report.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom {

class Document;
class UndoJournal;

// One write of an insert, to offset of a target (0 is the open file): length bytes of the plan's
// byte store from start, or, for a fill, length bytes of fill.
struct PlannedWrite
{
    int target = 0;
    std::int64_t offset = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    int fill = -1; // 0-255 for a fill
};

// How large an insert may make a file other than the open one.
inline constexpr std::int64_t kLargestWrittenFile = std::int64_t{1} << 31;

// Everything a run of command scripts writes, computed in memory, and its report. Later writes
// stand over earlier ones.
struct CommandScriptPlan
{
    CommandScriptReport report;
    std::vector<std::filesystem::path> targets; // targets[0] is the open file
    std::vector<std::uint8_t> bytes;
    std::vector<PlannedWrite> writes;
    int blockCount = 0;
};

// The open file the scripts write into: its path (to tell it from files the scripts name) and
// its size, which an insert never changes.
struct OpenFile
{
    std::filesystem::path path;
    std::int64_t size = 0;
};

// A script as it is stored, and where it was read from (its folder is where the files it names
// are looked for).
struct CommandScriptSource
{
    std::filesystem::path path;
    std::string stored;
};

// Runs the scripts one after the other: parsed and checked whole, tables and files read through
// files, every write computed. Nothing is written anywhere. Errors (in report.errors) name each
// script and line. progress is told of the steps done and may cancel (an error).
[[nodiscard]] CommandScriptPlan PlanCommandScripts(FileSystem &files,
                                                   const std::vector<CommandScriptSource> &scripts,
                                                   const OpenFile &file,
                                                   const ProgressCallback &progress = {});

// Reads the script files and plans them; a script that cannot be read is an error.
[[nodiscard]] CommandScriptPlan
PlanCommandScriptFiles(FileSystem &files,
                       const std::vector<std::filesystem::path> &paths,
                       const OpenFile &file,
                       const ProgressCallback &progress = {});

// Applies a plan without errors: the other files first, each written safely (and listed in
// report.files), then the open document's writes as one undo record. When another file cannot
// be written, the document is left as it was and the status says which files were written.
[[nodiscard]] Status ApplyCommandScriptPlan(FileSystem &files,
                                            Document &document,
                                            UndoJournal &journal,
                                            CommandScriptPlan &plan);

// Whether the file is a command script (see IsCommandScript); false when it cannot be read.
[[nodiscard]] bool IsCommandScriptFile(FileSystem &files, const std::filesystem::path &path);

// What a check of the script finds, for the insert dialog: "Command script: 3 blocks, 681
// pointers", or its first error.
[[nodiscard]] std::string DescribeCommandScript(const CommandScriptPlan &plan);

} // namespace byteloom
