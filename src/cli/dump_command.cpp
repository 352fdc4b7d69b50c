// byteloom-cli dump FILE --table TABLE: a script file of a range, as Dump Script writes it.
#include "commands.h"
#include "tables/script_dump.h"

#include <memory>

namespace byteloom::cli {

namespace {

struct DumpOptions
{
    std::string file;
    std::string table;
    std::string start = "0";
    std::string length;
    bool noClean = false;
    bool decimal = false;
    std::string output;
};

int RunDump(const DumpOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file) || !OpenTable(session, options.table))
        return kExitFailure;
    const auto start = ParseOffset(options.start, options.decimal, "--start");
    if (!start)
        return kExitFailure;
    std::int64_t length = std::max<std::int64_t>(session.document().Size() - *start, 0);
    if (!options.length.empty()) {
        const auto given = ParseOffset(options.length, options.decimal, "--length");
        if (!given)
            return kExitFailure;
        length = *given;
    }
    Document &document = session.document();
    const TableFile *table = session.tables().Current();
    const DumpRange range{*start, length};
    const bool clean = !options.noClean;
    Status status
        = options.output.empty()
              ? DumpScript(document,
                           table,
                           range,
                           clean,
                           [](std::string_view bytes) {
                               return WriteToStdout(bytes)
                                          ? Status::Ok()
                                          : Status::Error("Unable to write to standard output");
                           })
              : DumpScriptToFile(document, table, range, clean, options.output);
    if (auto error = document.TakeIoError(); error && status.ok())
        status = Status::Error(*error);
    return status.ok() ? 0 : Fail(status.message());
}

} // namespace

CommandAction AddDumpCommand(CLI::App &app)
{
    auto options = std::make_shared<DumpOptions>();
    CLI::App *command
        = app.add_subcommand("dump", "Dump a range of a file through a table, as Dump Script does");
    command->add_option("FILE", options->file, "The file to dump from")->required();
    command->add_option("--table", options->table, "The table file")->required();
    command->add_option("--start", options->start, "First offset (default 0)");
    command->add_option(
        "--length", options->length, "Number of bytes (default: to the end of the file)");
    command->add_flag(
        "--no-clean", options->noClean, "Write offset headers and codes for unknown bytes");
    AddDecimalFlag(*command, options->decimal);
    command->add_option("-o,--output", options->output, "Write to OUT instead of standard output");
    return [options] {
        return RunDump(*options);
    };
}

} // namespace byteloom::cli
