// byteloom-cli copy-as (text|char|short|int) FILE --start HEX --length HEX [--big-endian]: the
// clipboard text of Copy Hex As.
#include "clipboard/copy_hex_as.h"
#include "commands.h"

#include <memory>

namespace byteloom::cli {

namespace {

struct CopyAsOptions
{
    std::string format;
    std::string file;
    std::string start;
    std::string length;
    bool bigEndian = false;
    bool decimal = false;
};

int RunCopyAs(const CopyAsOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    const auto range = ParseRange(options.start, options.length, options.decimal);
    if (!range || !RequireInside(session, range->first, "--start"))
        return kExitFailure;
    Document &document = session.document();
    const auto [start, end] = std::pair(range->first, range->first + range->second);
    std::string text;
    if (options.format == "text")
        text = CopyHexAsText(document, start, end);
    else if (options.format == "char")
        text = CopyHexAsCharArray(document, start, end);
    else if (options.format == "short")
        text = CopyHexAsShortArray(document, start, end, options.bigEndian);
    else
        text = CopyHexAsIntArray(document, start, end, options.bigEndian);
    if (auto error = document.TakeIoError())
        return Fail(*error);
    return WriteToStdout(text) ? 0 : Fail("Unable to write to standard output");
}

} // namespace

Subcommand AddCopyAsCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "copy-as",
        "Print the text that Copy Hex As puts on the clipboard",
        [](CLI::App &command, CopyAsOptions &options) {
            command.add_option("FORMAT", options.format, "text, char, short or int")
                ->required()
                ->check(CLI::IsMember({"text", "char", "short", "int"}));
            command.add_option("FILE", options.file, "The file (- for standard input)")->required();
            command.add_option("--start", options.start, "First offset")->required();
            command.add_option("--length", options.length, "Number of bytes")->required();
            command.add_flag(
                "--big-endian", options.bigEndian, "Write short and int elements big-endian");
            AddDecimalFlag(command, options.decimal);
        },
        RunCopyAs);
}

} // namespace byteloom::cli
