// byteloom-cli checksum FILE [--start HEX] [--length HEX] [--algorithm NAME]: the checksum of the
// file or of a range of it, in hexadecimal.
#include "commands.h"
#include "inspect/checksum.h"

#include <cstdio>

namespace byteloom::cli {

namespace {

struct ChecksumOptions
{
    std::string file;
    std::string start = "0";
    std::string length;
    std::string algorithm = "crc32";
    bool decimal = false;
};

int RunChecksum(const ChecksumOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    const auto start = ParseOffset(options.start, options.decimal, "--start");
    if (!start || (*start != 0 && !RequireInside(session, *start, "--start")))
        return kExitFailure;
    std::int64_t length = session.document().Size() - *start;
    if (!options.length.empty()) {
        const auto given = ParseOffset(options.length, options.decimal, "--length");
        if (!given)
            return kExitFailure;
        if (*given > length)
            return Fail("--length runs past the end of the file");
        length = *given;
    }
    TerminalProgress progress("Computing");
    const ChecksumResult result = Checksum(session.document(),
                                           {*start, length},
                                           *ChecksumKindOfName(options.algorithm),
                                           progress.Callback());
    progress.Clear();
    if (!result.status.ok())
        return Fail(result.status.message());
    std::printf("%s\n", result.value.c_str());
    return 0;
}

} // namespace

Subcommand AddChecksumCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "checksum",
        "Print the checksum of a file, or of a range of it, in hexadecimal",
        [](CLI::App &command, ChecksumOptions &options) {
            command.add_option("FILE", options.file, "The file (- for standard input)")->required();
            command.add_option("--start", options.start, "First offset (default 0)");
            command.add_option(
                "--length", options.length, "Number of bytes (default: to the end of the file)");
            command
                .add_option("--algorithm",
                            options.algorithm,
                            "crc32 (default), adler32, md5, sha1, sha256 or sum16 (the 16-bit sum "
                            "of the bytes)")
                ->check(CLI::IsMember({"crc32", "adler32", "md5", "sha1", "sha256", "sum16"}));
            AddDecimalFlag(command, options.decimal);
        },
        RunChecksum);
}

} // namespace byteloom::cli
