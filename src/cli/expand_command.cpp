// byteloom-cli expand FILE --by HEX [--fill HEX]: grows FILE with filler bytes and saves it.
#include "commands.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct ExpandOptions
{
    std::string file;
    std::string by;
    std::string fill = "0";
    bool decimal = false;
};

int RunExpand(const ExpandOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file, false))
        return kExitFailure;
    const auto by = ParseOffset(options.by, options.decimal, "--by");
    const auto fill = by ? ParseOffset(options.fill, options.decimal, "--fill") : std::nullopt;
    if (!fill)
        return kExitFailure;
    if (*fill > 0xFF)
        return Fail("--fill " + options.fill
                    + " is not a byte (at most FF, or 255 with --decimal)");
    const Status expanded = session.document().Expand(*by, static_cast<std::uint8_t>(*fill));
    if (!expanded.ok())
        return Fail(expanded.message());
    if (!SaveDocument(session))
        return kExitFailure;
    std::printf("%llX\n", static_cast<unsigned long long>(session.document().Size()));
    return 0;
}

} // namespace

Subcommand AddExpandCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "expand",
        "Grow a file by filler bytes and save it; prints the new size",
        [](CLI::App &command, ExpandOptions &options) {
            command.add_option("FILE", options.file, "The file to grow")->required();
            command.add_option("--by", options.by, "Number of bytes to add")->required();
            command.add_option("--fill", options.fill, "The filler byte (default 0)");
            AddDecimalFlag(command, options.decimal);
        },
        RunExpand);
}

} // namespace byteloom::cli
