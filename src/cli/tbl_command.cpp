// byteloom-cli tbl TABLE [--normalize OUT]: what a table file holds, as the editor reads it.
#include "commands.h"
#include "console.h"
#include "document/safe_file_writer.h"
#include "session/window_title.h"
#include "tables/table_writer.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct TblOptions
{
    std::string table;
    std::string normalizeTo;
};

void PrintSubtable(const TableFile &table, int number)
{
    const Subtable &subtable = table.GetSubtable(number);
    std::printf("subtable %d%s: start trigger %x, end trigger %x\n",
                number,
                number == 0 ? " (Main)" : "",
                subtable.startTrigger,
                subtable.endTrigger);
    for (const SubtableRange &range : subtable.ranges)
        std::printf("  range %08llX-%08llX\n",
                    static_cast<unsigned long long>(range.low),
                    static_cast<unsigned long long>(range.high));
    std::printf("  entries: %d of 1 byte, %d of 2 bytes, %d of 3 bytes, %d of 4 bytes\n",
                subtable.CountOfWidth(1),
                subtable.CountOfWidth(2),
                subtable.CountOfWidth(3),
                subtable.CountOfWidth(4));
}

// What the loader passed over or took doubtfully, each kind with the first line it was seen.
void PrintNotes(const TableNotes &notes)
{
    for (int kind = 0; kind < static_cast<int>(TableNote::Count); ++kind) {
        const auto note = static_cast<TableNote>(kind);
        if (notes.Of(note) > 0)
            std::printf("skipped or doubtful: %d %s (first at line %d)\n",
                        notes.Of(note),
                        TableNoteName(note),
                        notes.FirstLineOf(note));
    }
}

int RunTbl(const TblOptions &options)
{
    Session session;
    const TableLoadResult loaded = LoadTableFile(session.files(), options.table, session.tables());
    if (!loaded.status.ok()) {
        (void)OpenTable(session, options.table); // says why, as every command does
        return kExitFailure;
    }
    const TableFile &table = *session.tables().Current();
    WriteText(stdout,
              "title: " + ShownTableText(table, session.decoder(), table.GetTitle()) + "\n");
    std::printf("codepage: %d\n", table.GetCodePage());
    std::printf("maxKeyBytes: %d\n", table.GetMaxKeyBytes());
    std::printf("maxTextLen: %d\n", table.GetMaxTextLen());
    for (int number = 0; number <= table.SubtableCount(); ++number)
        PrintSubtable(table, number);
    PrintNotes(loaded.notes);
    const auto &bookmarks = session.tables().Bookmarks();
    std::printf("bookmarks: %zu\n", bookmarks.size());
    for (const Bookmark &bookmark : bookmarks) {
        char offset[24];
        std::snprintf(
            offset, sizeof offset, "  %08llX ", static_cast<unsigned long long>(bookmark.offset));
        WriteText(stdout, offset + ShownTableText(table, session.decoder(), bookmark.name) + "\n");
    }
    if (!options.normalizeTo.empty()) {
        const std::string canonical = FormatTableFile(table);
        if (Status saved
            = WriteFileSafely(options.normalizeTo,
                              std::span(reinterpret_cast<const std::uint8_t *>(canonical.data()),
                                        canonical.size()),
                              session.files());
            !saved.ok())
            return Fail(saved.message());
    }
    return 0;
}

} // namespace

Subcommand AddTblCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "tbl",
        "Show what a table file holds, as the editor reads it",
        [](CLI::App &command, TblOptions &options) {
            command.add_option("TABLE", options.table, "The table file")->required();
            command.add_option(
                "--normalize", options.normalizeTo, "Write the table in its canonical form to OUT");
        },
        RunTbl);
}

} // namespace byteloom::cli
