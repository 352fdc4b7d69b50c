// byteloom-cli pointers FILE --to OFFSET: every pointer to an offset, one line each (its offset
// and form), as Find Pointers lists them.
#include "commands.h"
#include "scripts/pointer_search.h"

#include <cstdio>

namespace byteloom::cli {

namespace {

struct PointersOptions
{
    std::string file;
    std::string to;
    int pointerSize = 16;
    std::string addressType = "LINEAR";
    std::string header = "0";
    std::string offsetting = "0";
    bool bigEndian = false;
    bool decimal = false;
};

int RunPointers(const PointersOptions &options)
{
    Session session;
    if (!OpenDocument(session, options.file))
        return kExitFailure;
    const auto target = ParseOffset(options.to, options.decimal, "--to");
    const auto header = ParseOffset(options.header, options.decimal, "--header");
    const auto offsetting = ParseSignedOffset(options.offsetting, options.decimal, "--offsetting");
    if (!target || !header || !offsetting || !RequireInside(session, *target, "--to"))
        return kExitFailure;
    std::vector<PointerShape> shapes;
    if (options.addressType == "any")
        shapes = EveryPointerShape();
    else
        shapes.push_back(
            {{*AddressTypeOfName(options.addressType), *offsetting, options.pointerSize},
             options.bigEndian});
    TerminalProgress progress("Searching");
    const PointerSearch search
        = FindPointers(session.document(), *target, *header, shapes, progress.Callback());
    progress.Clear();
    if (!search.status.ok())
        return Fail(search.status.message());
    for (const PointerHit &hit : search.hits)
        std::printf("%08llX %s\n",
                    static_cast<unsigned long long>(hit.offset),
                    ShapeName(hit.shape).c_str());
    return search.hits.empty() ? kExitNotFound : 0;
}

} // namespace

Subcommand AddPointersCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "pointers",
        "List every pointer to an offset: its own offset and its form",
        [](CLI::App &command, PointersOptions &options) {
            command.add_option("FILE", options.file, "The file to search (- for standard input)")
                ->required();
            command.add_option("--to", options.to, "The offset the pointers point to")->required();
            command.add_option("--pointer-size", options.pointerSize, "8, 16 (default), 24 or 32")
                ->check(CLI::IsMember({8, 16, 24, 32}));
            command
                .add_option("--address-type",
                            options.addressType,
                            "LINEAR (default), LOROM00, LOROM80, HIROM, GB, or any: every size, "
                            "type and byte order")
                ->check(CLI::IsMember({"LINEAR", "LOROM00", "LOROM80", "HIROM", "GB", "any"}));
            command.add_option("--header", options.header, "Header bytes before the image");
            command.add_option(
                "--offsetting", options.offsetting, "Subtracted from each address (- to add)");
            command.add_flag("--big-endian", options.bigEndian, "Pointers are big-endian");
            AddDecimalFlag(command, options.decimal);
        },
        RunPointers);
}

} // namespace byteloom::cli
