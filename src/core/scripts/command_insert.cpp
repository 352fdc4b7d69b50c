#include "scripts/command_insert.h"
#include "common/path_text.h"

#include "common/growable.h"
#include "document/document.h"
#include "document/safe_file_writer.h"
#include "document/undo_journal.h"
#include "platform/binary_file.h"
#include "scripts/command_script.h"
#include "scripts/script_run.h"

#include <algorithm>

namespace byteloom {

CommandScriptPlan PlanCommandScripts(FileSystem &files,
                                     const std::vector<CommandScriptSource> &scripts,
                                     const OpenFile &file,
                                     const ProgressCallback &progress)
{
    CommandScriptPlan plan;
    ScriptRun run(files, file, plan);
    for (const CommandScriptSource &script : scripts)
        if (!run.Run(script, progress))
            break;
    return plan;
}

CommandScriptPlan PlanCommandScriptFiles(FileSystem &files,
                                         const std::vector<std::filesystem::path> &paths,
                                         const OpenFile &file,
                                         const ProgressCallback &progress)
{
    std::vector<CommandScriptSource> scripts;
    CommandScriptPlan unread;
    for (const std::filesystem::path &path : paths) {
        TextFileResult read = ReadBinaryFile(path, files);
        if (!read.status.ok())
            unread.report.errors.push_back(
                {0, TextOfPath(path.filename()) + ": " + read.status.message()});
        scripts.push_back({path, std::move(read.text)});
    }
    if (unread.report.Failed())
        return unread;
    return PlanCommandScripts(files, scripts, file, progress);
}

namespace {

// What a failure among the other files says of those written before it.
std::string WrittenAlready(const CommandScriptPlan &plan)
{
    std::string done;
    for (const std::string &file : plan.report.files)
        done += " " + file;
    return (done.empty() ? "" : " These files were written already:" + done)
           + " The open file was not changed.";
}

// Whether every other file can be written: a file where there is none yet or a regular file,
// in a folder that exists. Checked before any is written.
Status CheckOtherFiles(FileSystem &files, const CommandScriptPlan &plan)
{
    for (std::size_t target = 1; target < plan.targets.size(); ++target) {
        const std::filesystem::path &path = plan.targets[target];
        const Status regular = RefuseIfNotARegularFile(files, path, TextOfPath(path), "write");
        if (!regular.ok())
            return Status::Error(regular.message() + " Nothing was written.");
        if (PathExists(files, path.parent_path()) <= 0)
            return Status::Error("The folder of " + TextOfPath(path)
                                 + " does not exist; nothing was written.");
    }
    return Status::Ok();
}

// The other files' new contents: each as it is on disk (or empty when it does not exist yet),
// with the plan's writes over it.
Status WriteOtherFiles(FileSystem &files, CommandScriptPlan &plan)
{
    if (const Status checked = CheckOtherFiles(files, plan); !checked.ok())
        return checked;
    for (std::size_t target = 1; target < plan.targets.size(); ++target) {
        const std::filesystem::path &path = plan.targets[target];
        std::string contents;
        if (PathExists(files, path) > 0) {
            TextFileResult read = ReadBinaryFile(path, files);
            if (!read.status.ok())
                return Status::Error(read.status.message() + WrittenAlready(plan));
            contents = std::move(read.text);
        }
        for (const PlannedWrite &write : plan.writes) {
            if (write.target != static_cast<int>(target))
                continue;
            const auto end = static_cast<std::size_t>(write.offset) + write.length;
            if (contents.size() < end && !TryResize(contents, end))
                return Status::Error("There is not enough memory to write " + TextOfPath(path) + "."
                                     + WrittenAlready(plan));
            const auto at = contents.begin() + write.offset;
            if (write.fill >= 0)
                std::fill_n(at, write.length, static_cast<char>(write.fill));
            else
                std::copy_n(plan.bytes.begin() + static_cast<std::ptrdiff_t>(write.start),
                            write.length,
                            at);
        }
        const auto *data = reinterpret_cast<const std::uint8_t *>(contents.data());
        const Status written = WriteFileSafely(path, std::span(data, contents.size()), files);
        if (!written.ok())
            return Status::Error(written.message() + WrittenAlready(plan));
        plan.report.files.push_back(TextOfPath(path));
    }
    return Status::Ok();
}

} // namespace

Status ApplyCommandScriptPlan(FileSystem &files,
                              Document &document,
                              UndoJournal &journal,
                              CommandScriptPlan &plan)
{
    if (plan.report.Failed())
        return Status::Error("The script has errors; nothing was written.");
    if (const Status others = WriteOtherFiles(files, plan); !others.ok())
        return others;
    std::int64_t low = document.Size();
    std::int64_t high = 0;
    for (const PlannedWrite &write : plan.writes) {
        if (write.target != 0)
            continue;
        low = std::min(low, write.offset);
        high = std::max(high, write.offset + static_cast<std::int64_t>(write.length));
    }
    if (high <= low)
        return Status::Ok();
    journal.RecordBeforeWrite(document, low, high - low);
    for (const PlannedWrite &write : plan.writes) {
        if (write.target != 0)
            continue;
        if (write.fill < 0) {
            (void)document.WriteBlock(write.offset,
                                      std::span(plan.bytes).subspan(write.start, write.length));
            continue;
        }
        const std::vector<std::uint8_t> fill(std::min<std::size_t>(write.length, 1 << 16),
                                             static_cast<std::uint8_t>(write.fill));
        for (std::size_t done = 0; done < write.length; done += fill.size()) {
            const std::size_t count = std::min(fill.size(), write.length - done);
            (void)document.WriteBlock(write.offset + static_cast<std::int64_t>(done),
                                      std::span(fill).first(count));
        }
    }
    if (auto error = document.TakeIoError())
        return Status::Error(*error);
    return Status::Ok();
}

bool IsCommandScriptFile(FileSystem &files, const std::filesystem::path &path)
{
    // Projects open their scripts with a few lines of notes; the first command is well within
    // the first 64 KiB.
    BinaryFile file(files);
    if (!file.Open(path, BinaryFile::Mode::Read).ok())
        return false;
    std::vector<std::uint8_t> start(static_cast<std::size_t>(
        std::clamp<std::int64_t>(file.Length(), 0, std::int64_t{64} * 1024)));
    if (!file.ReadAt(0, start).ok())
        return false;
    return IsCommandScript(
        std::string_view(reinterpret_cast<const char *>(start.data()), start.size()));
}

std::string DescribeCommandScript(const CommandScriptPlan &plan)
{
    const std::size_t errors = plan.report.errors.size();
    if (errors == 1)
        return plan.report.errors.front().message;
    if (errors > 1)
        return std::to_string(errors) + " errors; the first: " + plan.report.errors.front().message;
    return "Command script: " + std::to_string(plan.blockCount)
           + (plan.blockCount == 1 ? " block, " : " blocks, ")
           + std::to_string(plan.report.PointerCount())
           + (plan.report.PointerCount() == 1 ? " pointer" : " pointers");
}

} // namespace byteloom
