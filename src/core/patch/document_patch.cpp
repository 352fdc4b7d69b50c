#include "patch/document_patch.h"
#include "common/path_text.h"

#include "common/growable.h"
#include "document/document.h"
#include "document/undo_journal.h"
#include "patch/bps_patch.h"
#include "platform/binary_file.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace byteloom {

namespace {

// Patches are made and applied on images in memory, which a BPS patch's own limit keeps below
// 4 GiB; an IPS patch reaches only the first 16 MiB, so that of a larger paged image only they
// are read. More is refused before anything is read.
constexpr std::int64_t kLargestPatchedImage = (std::int64_t{1} << 32) - 1;

// The document's first length bytes, or why they cannot be had.
Status ReadDocumentStart(Document &document, std::int64_t length, std::vector<std::uint8_t> &bytes)
{
    if (length > kLargestPatchedImage)
        return PatchableInMemory(document.Size());
    bytes.clear();
    if (!TryResize(bytes, static_cast<std::size_t>(length)))
        return Status::Error("Unable to allocate " + std::to_string(length)
                             + " bytes RAM to patch the image.");
    const bool whole = document.ReadBlock(0, bytes) == length;
    // A page that could not be read reads as zeros: a patch made or applied on them is wrong.
    if (auto error = document.TakeIoError())
        return Status::Error(*error);
    return whole ? Status::Ok() : Status::Error("Unable to read the document.");
}

} // namespace

Status PatchableInMemory(std::int64_t size)
{
    if (size > kLargestPatchedImage)
        return Status::Error("Patches are made and applied on images below 4 GiB, and this one is "
                             + std::to_string(size)
                             + " bytes (an IPS patch, which reaches its first 16 MiB only, "
                               "applies to an image of any size).");
    return Status::Ok();
}

PatchKind PatchKindOfName(const std::filesystem::path &path)
{
    std::string extension = TextOfPath(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return extension == ".ips"   ? PatchKind::Ips
           : extension == ".bps" ? PatchKind::Bps
                                 : PatchKind::Unknown;
}

PatchKind PatchKindOfContents(std::span<const std::uint8_t> patch)
{
    return patch.size() >= 4 && std::equal(patch.begin(), patch.begin() + 4, "BPS1")
               ? PatchKind::Bps
               : PatchKind::Ips;
}

Status PatchCovers(PatchKind kind, std::int64_t originalSize, std::int64_t modifiedSize)
{
    if (kind == PatchKind::Unknown)
        return Status::Error("Name the patch .ips or .bps, which says its kind.");
    if (kind == PatchKind::Ips)
        return IpsPatchReaches(originalSize, modifiedSize);
    if (Status fits = PatchableInMemory(originalSize); !fits.ok())
        return fits;
    return PatchableInMemory(modifiedSize);
}

PatchResult CreatePatchFromDocument(Document &document,
                                    std::span<const std::uint8_t> original,
                                    PatchKind kind,
                                    const ProgressCallback &progress)
{
    if (Status covers
        = PatchCovers(kind, static_cast<std::int64_t>(original.size()), document.Size());
        !covers.ok())
        return {covers, {}};
    std::vector<std::uint8_t> modified;
    if (Status read = ReadDocumentStart(document, document.Size(), modified); !read.ok())
        return {read, {}};
    return kind == PatchKind::Ips ? CreateIpsPatch(original, modified)
                                  : CreateBpsPatch(original, modified, {}, progress);
}

PatchResult CreatePatchFromFile(FileSystem &files,
                                Document &document,
                                const std::filesystem::path &original,
                                PatchKind kind,
                                const ProgressCallback &progress)
{
    // An image the patch cannot cover is refused before a byte of it is read.
    if (Status covers = PatchCovers(kind, FileLength(files, original), document.Size());
        !covers.ok())
        return {covers, {}};
    const TextFileResult read = ReadBinaryFile(original, files);
    if (!read.status.ok())
        return {read.status, {}};
    const std::vector<std::uint8_t> bytes(read.text.begin(), read.text.end());
    return CreatePatchFromDocument(document, bytes, kind, progress);
}

Status ApplyPatchToDocument(Document &document,
                            UndoJournal &journal,
                            std::span<const std::uint8_t> patch,
                            const ProgressCallback &progress)
{
    const bool bps = PatchKindOfContents(patch) == PatchKind::Bps;
    // A paged image keeps its length, and an IPS patch changes nothing past 16 MiB in it.
    const std::int64_t reach
        = !bps && document.IsPaged() ? std::min(document.Size(), kIpsLimit) : document.Size();
    std::vector<std::uint8_t> image;
    if (Status read = ReadDocumentStart(document, reach, image); !read.ok())
        return read;
    const PatchResult applied
        = bps ? ApplyBpsPatch(image, patch, progress) : ApplyIpsPatch(image, patch);
    if (!applied.status.ok())
        return applied.status;
    const std::vector<std::uint8_t> &target = applied.bytes;
    const auto size = static_cast<std::int64_t>(target.size());
    if (document.IsPaged()) {
        if (size != reach)
            return Status::Error(
                std::string("This patch changes the length of the image, which a paged document "
                            "cannot take")
                + (PatchableInMemory(document.Size()).ok()
                       ? ": apply it to the file with byteloom-cli patch apply."
                       : "."));
        // Only the span from the first to the last changed byte is written and kept for Undo.
        const auto first = std::mismatch(image.begin(), image.end(), target.begin()).first;
        if (first == image.end())
            return Status::Ok();
        const auto last = std::mismatch(image.rbegin(), image.rend(), target.rbegin()).first.base();
        const auto from = first - image.begin();
        const auto count = last - first;
        journal.RecordBeforeWrite(document, from, count);
        if (document.WriteBlock(from,
                                std::span(target).subspan(static_cast<std::size_t>(from),
                                                          static_cast<std::size_t>(count)))
            != count)
            return Status::Error(document.TakeIoError().value_or("Unable to write the document."));
        return Status::Ok();
    }
    journal.RecordBeforeReplace(document, 0, document.Size(), size);
    return document.Splice(0, document.Size(), target);
}

} // namespace byteloom
