// Any bytes as a command script, planned against a 2 KiB document: no crash, no write outside the
// document, and a plan without errors applies and undoes. Other files are never written.
#include "document/document.h"
#include "document/undo_journal.h"
#include "scripts/command_insert.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// The tables and files the scripts may name, in a folder removed at exit.
struct Folder
{
    Folder()
    {
        std::filesystem::create_directories(path);
        Write("t.tbl", "41=A\n42=B\n8140=AB\n/FF=<END>\n/<X>\n*FE=<LINE>\n");
        Write("list.txt", "$10\n$20\n");
        Write("bin.bin", "0123456789");
    }
    ~Folder() { std::filesystem::remove_all(path); }
    void Write(const char *name, std::string_view text) const
    {
        std::ofstream(path / name, std::ios::binary) << text;
    }
    std::filesystem::path operator/(const char *name) const { return path / name; }

    std::filesystem::path path
        = std::filesystem::temp_directory_path() / ("byteloom-fuzz-" + std::to_string(getpid()));
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace byteloom;
    static const Folder folder;
    Document document(kPageSize, RealFileSystem());
    document.New();
    CommandScriptPlan plan = PlanCommandScripts(
        RealFileSystem(),
        {{folder / "s.txt", std::string(reinterpret_cast<const char *>(data), size)}},
        {folder / "rom.bin", document.Size()});
    for (const PlannedWrite &write : plan.writes) {
        const bool inside
            = write.target != 0
              || (write.offset >= 0
                  && write.offset + static_cast<std::int64_t>(write.length) <= document.Size());
        if (!inside || (write.fill < 0 && write.start + write.length > plan.bytes.size()))
            __builtin_trap();
    }
    if (plan.report.Failed() || plan.targets.size() > 1)
        return 0;
    UndoJournal journal;
    if (!ApplyCommandScriptPlan(RealFileSystem(), document, journal, plan).ok())
        __builtin_trap();
    while (journal.Undo(document)) {
    }
    return 0;
}
