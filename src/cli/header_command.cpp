// byteloom-cli header FILE [--fix]: the cartridge header a file carries, its stored and computed
// checksums; --fix writes the right values and saves. Exits 1 when no header is recognised, or
// when a checksum is wrong and --fix was not given.
#include "commands.h"
#include "console.h"
#include "inspect/rom_header.h"

#include <cstdio>

namespace byteloom::cli {

namespace {

struct HeaderOptions
{
    std::string file;
    bool fix = false;
};

int RunHeader(const HeaderOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file, !options.fix))
        return kExitFailure;
    TerminalProgress progress("Checking");
    const HeaderCheck check = CheckHeader(session.document(), progress.Callback());
    progress.Clear();
    if (!check.status.ok())
        return Fail(check.status.message());
    WriteText(stdout, HeaderReport(check));
    if (!check.Recognised())
        return kExitLoss;
    if (check.Right())
        return 0;
    if (!options.fix)
        return kExitLoss;
    if (const Status fixed = FixHeader(session.document(), session.journal(), check); !fixed.ok())
        return Fail(fixed.message());
    if (!SaveDocument(session))
        return kExitFailure;
    std::puts("Fixed.");
    return 0;
}

} // namespace

Subcommand AddHeaderCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "header",
        "Check the cartridge header's checksums (SNES, Game Boy, Mega Drive, Game Boy Advance)",
        [](CLI::App &command, HeaderOptions &options) {
            command.add_option("FILE", options.file, "The image")->required();
            command.add_flag("--fix", options.fix, "Write the right checksums and save the file");
        },
        RunHeader);
}

} // namespace byteloom::cli
