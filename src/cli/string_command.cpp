// byteloom-cli string FILE --start HEX --length HEX: the text Copy String puts on the clipboard.
#include "commands.h"
#include "tables/script_dump.h"
#include "view/code_page_list.h"

#include <memory>

namespace byteloom::cli {

namespace {

struct StringOptions
{
    std::string file;
    std::string table;
    std::string start;
    std::string length;
    bool decimal = false;
    bool utf8 = false;
};

int RunString(const StringOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    if (!options.table.empty() && !OpenTable(session, options.table))
        return kExitFailure;
    const auto range = ParseRange(options.start, options.length, options.decimal);
    if (!range || !RequireInside(session, range->first, "--start"))
        return kExitFailure;
    const TableFile *table = session.tables().Current();
    std::string text = CopyStringText(session.document(), table, range->first, range->second);
    if (auto error = session.document().TakeIoError())
        return Fail(*error);
    if (options.utf8)
        text = session.decoder().ToUtf8(
            table ? table->GetCodePage() : kDefaultCodePage,
            std::span(reinterpret_cast<const std::uint8_t *>(text.data()), text.size()));
    return WriteToStdout(text) ? 0 : Fail("Unable to write to standard output");
}

} // namespace

Subcommand AddStringCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "string",
        "Print the text that Copy String copies",
        [](CLI::App &command, StringOptions &options) {
            command.add_option("FILE", options.file, "The file (- for standard input)")->required();
            command.add_option(
                "--table", options.table, "The table file (without one, the bytes up to a 00)");
            command.add_option("--start", options.start, "First offset")->required();
            command.add_option("--length", options.length, "Number of bytes")->required();
            command.add_flag(
                "--utf8", options.utf8, "Write the text in UTF-8 instead of the table's code page");
            AddDecimalFlag(command, options.decimal);
        },
        RunString);
}

} // namespace byteloom::cli
