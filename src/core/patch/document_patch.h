#pragma once

#include "common/progress.h"
#include "patch/ips_patch.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>
#include <span>

namespace byteloom {

class Document;
class UndoJournal;

// Whether an image of size bytes can be patched in memory: below 4 GiB (BPS patches are made for
// such images; an IPS patch reaches 16 MiB). The refusal says so.
[[nodiscard]] Status PatchableInMemory(std::int64_t size);

// The patch kinds a file name asks for: ".ips" or ".bps" (any case); anything else is neither.
enum class PatchKind { Ips, Bps, Unknown };
[[nodiscard]] PatchKind PatchKindOfName(const std::filesystem::path &path);
// The kind a patch's own first bytes say: "BPS1" a BPS patch, anything else read as IPS (whose
// reader says what is wrong with it).
[[nodiscard]] PatchKind PatchKindOfContents(std::span<const std::uint8_t> patch);

// Whether a patch of kind can turn an image of originalSize bytes into one of modifiedSize, said
// before either is read: an IPS patch reaches 16 MiB, a BPS patch is made in memory below 4 GiB;
// an unknown kind is refused with the names' rule. A size of -1 (not known) passes: reading the
// file then says why.
[[nodiscard]] Status
PatchCovers(PatchKind kind, std::int64_t originalSize, std::int64_t modifiedSize);

// Create Patch: the patch that turns original into the document as it is now (its unsaved
// changes count), of the kind the name asks for.
[[nodiscard]] PatchResult CreatePatchFromDocument(Document &document,
                                                  std::span<const std::uint8_t> original,
                                                  PatchKind kind,
                                                  const ProgressCallback &progress = {});
// The same with the original read from its file, once the sizes have passed PatchCovers.
[[nodiscard]] PatchResult CreatePatchFromFile(FileSystem &files,
                                              Document &document,
                                              const std::filesystem::path &original,
                                              PatchKind kind,
                                              const ProgressCallback &progress = {});

// Apply Patch: the patch (IPS or BPS, told by its first bytes) applied to the document in
// memory as one step of Undo. A paged document whose length the patch would change is refused;
// nothing changes on any refusal. Images are patched in memory, below 4 GiB; an IPS patch, which
// reaches the first 16 MiB only, applies to a paged image of any size.
[[nodiscard]] Status ApplyPatchToDocument(Document &document,
                                          UndoJournal &journal,
                                          std::span<const std::uint8_t> patch,
                                          const ProgressCallback &progress = {});

} // namespace byteloom
