// byteloom-cli split FILE --bank-size HEX [--header HEX]: bank files beside FILE.
#include "commands.h"
#include "document/bank_split.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct SplitOptions
{
    std::string file;
    std::string bankSize;
    std::string header = "0";
    bool decimal = false;
};

int RunSplit(const SplitOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file, false))
        return kExitFailure;
    const auto bankSize = ParseOffset(options.bankSize, options.decimal, "--bank-size");
    const auto header
        = bankSize ? ParseOffset(options.header, options.decimal, "--header") : std::nullopt;
    if (!header)
        return kExitFailure;
    TerminalProgress progress("Splitting");
    const SplitResult result = SplitIntoBanks(
        session.files(), session.document(), *bankSize, *header, progress.Callback());
    progress.Clear();
    if (!result.status.ok())
        return Fail(result.status.message());
    std::printf("%lld bank files written\n", static_cast<long long>(result.banksWritten));
    if (result.bytesLeftOver > 0)
        std::fprintf(stderr,
                     "byteloom-cli: the last %llX bytes, less than a bank, were not written\n",
                     static_cast<unsigned long long>(result.bytesLeftOver));
    return 0;
}

} // namespace

Subcommand AddSplitCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "split",
        "Write a file as bank files FILE.%08X.bank beside it",
        [](CLI::App &command, SplitOptions &options) {
            command.add_option("FILE", options.file, "The file to split")->required();
            command.add_option("--bank-size", options.bankSize, "Bytes per bank")->required();
            command.add_option(
                "--header", options.header, "Bytes skipped before the first bank (default 0)");
            AddDecimalFlag(command, options.decimal);
        },
        RunSplit);
}

} // namespace byteloom::cli
