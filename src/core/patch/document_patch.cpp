#include "patch/document_patch.h"

#include "document/document.h"
#include "document/undo_journal.h"
#include "patch/bps_patch.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace byteloom {

namespace {

std::optional<std::vector<std::uint8_t>> WholeDocument(Document &document)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document.Size()));
    if (document.ReadBlock(0, bytes) != document.Size())
        return std::nullopt;
    return bytes;
}

Status ReadFailure(Document &document)
{
    return Status::Error(document.TakeIoError().value_or("Unable to read the document."));
}

} // namespace

PatchKind PatchKindOfName(const std::filesystem::path &path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
        return static_cast<char>(std::tolower(c));
    });
    return extension == ".ips"   ? PatchKind::Ips
           : extension == ".bps" ? PatchKind::Bps
                                 : PatchKind::Unknown;
}

PatchResult CreatePatchFromDocument(Document &document,
                                    std::span<const std::uint8_t> original,
                                    PatchKind kind,
                                    const ProgressCallback &progress)
{
    if (kind == PatchKind::Unknown)
        return {Status::Error("Name the patch .ips or .bps, which says its kind."), {}};
    const auto modified = WholeDocument(document);
    if (!modified)
        return {ReadFailure(document), {}};
    return kind == PatchKind::Ips ? CreateIpsPatch(original, *modified)
                                  : CreateBpsPatch(original, *modified, {}, progress);
}

Status ApplyPatchToDocument(Document &document,
                            UndoJournal &journal,
                            std::span<const std::uint8_t> patch,
                            const ProgressCallback &progress)
{
    const auto image = WholeDocument(document);
    if (!image)
        return ReadFailure(document);
    const bool bps = patch.size() >= 4 && std::equal(patch.begin(), patch.begin() + 4, "BPS1");
    const PatchResult applied
        = bps ? ApplyBpsPatch(*image, patch, progress) : ApplyIpsPatch(*image, patch);
    if (!applied.status.ok())
        return applied.status;
    const std::vector<std::uint8_t> &target = applied.bytes;
    const auto size = static_cast<std::int64_t>(target.size());
    if (document.IsPaged()) {
        if (size != document.Size())
            return Status::Error("This patch changes the length of the image, which a paged "
                                 "document cannot take: apply it with byteloom-cli patch apply.");
        // Only the span from the first to the last changed byte is written and kept for Undo.
        const auto first = std::mismatch(image->begin(), image->end(), target.begin()).first;
        if (first == image->end())
            return Status::Ok();
        const auto last
            = std::mismatch(image->rbegin(), image->rend(), target.rbegin()).first.base();
        const auto from = first - image->begin();
        const auto count = last - first;
        journal.RecordBeforeWrite(document, from, count);
        if (document.WriteBlock(from,
                                std::span(target).subspan(static_cast<std::size_t>(from),
                                                          static_cast<std::size_t>(count)))
            != count)
            return ReadFailure(document);
        return Status::Ok();
    }
    journal.RecordBeforeReplace(document, 0, document.Size(), size);
    return document.Splice(0, document.Size(), target);
}

} // namespace byteloom
