// byteloom-cli patch create ORIGINAL MODIFIED -o OUT.ips|OUT.bps
// byteloom-cli patch apply IMAGE PATCH [-o OUT]: IPS and BPS patches, made and applied.
#include "commands.h"
#include "common/path_text.h"
#include "document/document.h"
#include "document/safe_file_writer.h"
#include "document/undo_journal.h"
#include "patch/bps_patch.h"
#include "patch/document_patch.h"
#include "tables/text_file.h"

#include <cstdio>
#include <memory>

namespace byteloom::cli {

namespace {

struct PatchOptions
{
    std::string original;
    std::string modified;
    std::string image;
    std::string patch;
    std::string output;
    CLI::App *create = nullptr; // parsed when the patch is to be made
};

std::optional<std::vector<std::uint8_t>> ReadWhole(const std::string &path)
{
    const TextFileResult file = ReadBinaryFile(PathOfText(path), RealFileSystem());
    if (!file.status.ok()) {
        Fail(file.status.message());
        return std::nullopt;
    }
    return std::vector<std::uint8_t>(file.text.begin(), file.text.end());
}

int Write(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    if (Status written = WriteFileSafely(PathOfText(path), bytes, RealFileSystem()); !written.ok())
        return Fail(written.message());
    return 0;
}

// The image opened as a document and patched there: whole when the patch may be made in memory,
// else through the paged store (an IPS patch reaches the first 16 MiB only, and only the blocks
// that change are written, so that a sparse disc image stays sparse). Without -o the image is
// saved as the editor saves it, so that it stays the same file (its links, owner and
// permissions); with -o it is saved as a new file there.
int ApplyThroughDocument(const PatchOptions &options,
                         const std::vector<std::uint8_t> &patch,
                         bool whole)
{
    Session session;
    if (!OpenDocument(session, options.image, !options.output.empty(), !whole))
        return kExitFailure;
    UndoJournal journal;
    TerminalProgress progress("Applying the patch");
    const Status applied
        = ApplyPatchToDocument(session.document(), journal, patch, progress.Callback());
    progress.Clear();
    if (!applied.ok())
        return Fail(applied.message());
    if (options.output.empty())
        return SaveDocument(session) ? 0 : kExitFailure;
    if (Status saved = session.document().SaveAs(PathOfText(options.output)); !saved.ok())
        return Fail(saved.message());
    return 0;
}

int RunCreate(const PatchOptions &options)
{
    FileSystem &files = RealFileSystem();
    const PatchKind kind = PatchKindOfName(options.output);
    if (kind == PatchKind::Unknown)
        return Fail("-o " + options.output + ": name the patch .ips or .bps, which says its kind");
    if (SameFile(files, PathOfText(options.output), PathOfText(options.original))
        || SameFile(files, PathOfText(options.output), PathOfText(options.modified)))
        return Fail("-o " + options.output + " is one of the images; the patch goes elsewhere");
    // Images the patch cannot cover are refused before they are read.
    if (Status covers = PatchCovers(kind,
                                    FileLength(files, PathOfText(options.original)),
                                    FileLength(files, PathOfText(options.modified)));
        !covers.ok())
        return Fail(covers.message());
    const auto original = ReadWhole(options.original);
    const auto modified = original ? ReadWhole(options.modified) : std::nullopt;
    if (!modified)
        return kExitFailure;
    TerminalProgress progress("Making the patch");
    const PatchResult patch = kind == PatchKind::Ips
                                  ? CreateIpsPatch(*original, *modified)
                                  : CreateBpsPatch(*original, *modified, {}, progress.Callback());
    progress.Clear();
    if (!patch.status.ok())
        return Fail(patch.status.message());
    return Write(options.output, patch.bytes);
}

int RunApply(const PatchOptions &options)
{
    const std::string &output = options.output.empty() ? options.image : options.output;
    if (SameFile(RealFileSystem(), PathOfText(output), PathOfText(options.patch)))
        return Fail("-o " + output + " is the patch itself");
    const auto patch = ReadWhole(options.patch);
    if (!patch)
        return kExitFailure;
    const bool bps = PatchKindOfContents(*patch) == PatchKind::Bps;
    if (Status fits = PatchableInMemory(FileLength(RealFileSystem(), PathOfText(options.image)));
        !fits.ok())
        return bps ? Fail(fits.message()) : ApplyThroughDocument(options, *patch, false);
    if (options.output.empty())
        return ApplyThroughDocument(options, *patch, true);
    const auto image = ReadWhole(options.image);
    if (!image)
        return kExitFailure;
    TerminalProgress progress("Applying the patch");
    const PatchResult applied
        = bps ? ApplyBpsPatch(*image, *patch, progress.Callback()) : ApplyIpsPatch(*image, *patch);
    progress.Clear();
    if (!applied.status.ok())
        return Fail(applied.status.message());
    return Write(output, applied.bytes);
}

int RunPatch(const PatchOptions &options)
{
    return options.create->parsed() ? RunCreate(options) : RunApply(options);
}

} // namespace

Subcommand AddPatchCommand(CLI::App &app)
{
    return AddSubcommand(
        app,
        "patch",
        "Create or apply an IPS or BPS patch",
        [](CLI::App &command, PatchOptions &options) {
            command.require_subcommand(1);
            options.create = command.add_subcommand(
                "create",
                "Make the patch that turns ORIGINAL into MODIFIED (its kind from OUT's name)");
            options.create->add_option("ORIGINAL", options.original, "The original image")
                ->required();
            options.create->add_option("MODIFIED", options.modified, "The modified image")
                ->required();
            options.create
                ->add_option(
                    "-o,--output", options.output, "The patch to write: OUT.ips or OUT.bps")
                ->required();
            CLI::App *apply = command.add_subcommand(
                "apply", "Apply PATCH (IPS or BPS, told by its first bytes) to IMAGE");
            apply->add_option("IMAGE", options.image, "The image to patch")->required();
            apply->add_option("PATCH", options.patch, "The patch")->required();
            apply->add_option("-o,--output",
                              options.output,
                              "Write the patched image here instead of over IMAGE");
            command.footer("A patch is checked whole before anything is written, and every file "
                           "is written safely: a refused patch changes no file.");
        },
        RunPatch);
}

} // namespace byteloom::cli
