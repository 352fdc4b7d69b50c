#pragma once

#include "common/progress.h"
#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <filesystem>

namespace byteloom {

class Document;
class UndoJournal;

// The file of bank number `bank`: the document's path followed by ".%08X.bank".
[[nodiscard]] std::filesystem::path BankFilePath(const std::filesystem::path &document,
                                                 std::int64_t bank);

struct SplitResult
{
    Status status = Status::Ok();
    std::int64_t banksWritten = 0;
    std::int64_t bytesLeftOver = 0; // after the last whole bank: not written
};

// Writes the document, after a header of headerSize bytes, as bank files of bankSize bytes
// beside it; a remainder shorter than a bank is not written (bytesLeftOver says how much). A
// bank size of 0 or less or larger than the data after the header, or a header at or beyond the
// end, is refused and writes nothing; each bank file is written whole or
// not at all, and the first one that cannot be written stops the split and is reported.
SplitResult SplitIntoBanks(FileSystem &files,
                           Document &document,
                           std::int64_t bankSize,
                           std::int64_t headerSize,
                           const ProgressCallback &progress = {});

// Expand File: the document grows by count bytes of fill as one step of Undo, which takes the
// growth back; the file stays as it was until the document is saved.
Status
ExpandWithUndo(Document &document, UndoJournal &journal, std::int64_t count, std::uint8_t fill);

} // namespace byteloom
