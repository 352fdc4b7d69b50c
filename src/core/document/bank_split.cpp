#include "document/bank_split.h"

#include "document/document.h"
#include "document/safe_file_writer.h"
#include "document/undo_journal.h"

#include <algorithm>
#include <cstdio>

namespace byteloom {

std::filesystem::path BankFilePath(const std::filesystem::path &document, std::int64_t bank)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08llX.bank", static_cast<unsigned long long>(bank));
    std::filesystem::path path = document;
    path += suffix;
    return path;
}

namespace {

Status WriteBank(Document &document,
                 std::int64_t start,
                 std::int64_t length,
                 const std::filesystem::path &path,
                 FileSystem &files)
{
    SafeFileStream file(files);
    Status status = file.Open(path);
    for (std::int64_t done = 0; status.ok() && done < length;) {
        const std::span<const std::uint8_t> page = document.SpanAt(start + done);
        if (page.empty())
            return Status::Error(document.TakeIoError().value_or("Unable to read the document."));
        const std::size_t count = std::min(page.size(), static_cast<std::size_t>(length - done));
        status = file.Write(page.first(count));
        done += static_cast<std::int64_t>(count);
    }
    if (status.ok())
        status = file.Commit();
    return status;
}

} // namespace

SplitResult SplitIntoBanks(FileSystem &files,
                           Document &document,
                           std::int64_t bankSize,
                           std::int64_t headerSize,
                           const ProgressCallback &progress)
{
    if (bankSize <= 0)
        return {Status::Error("The bank size must be greater than 0."), 0};
    if (headerSize < 0 || headerSize >= document.Size())
        return {Status::Error("The header must be smaller than the file."), 0};
    if (document.IsUnnamed() || document.Path().empty())
        return {Status::Error("Save the document before splitting it into banks."), 0};
    const std::int64_t banks = (document.Size() - headerSize) / bankSize;
    if (banks == 0)
        return {Status::Error("The bank size is larger than the data after the header; no bank "
                              "was written."),
                0,
                0};
    SplitResult result;
    result.bytesLeftOver = (document.Size() - headerSize) % bankSize;
    for (std::int64_t bank = 0; bank < banks; ++bank) {
        result.status = WriteBank(document,
                                  headerSize + bank * bankSize,
                                  bankSize,
                                  BankFilePath(document.Path(), bank),
                                  files);
        if (!result.status.ok())
            break;
        ++result.banksWritten;
        if (progress && !progress(bank + 1, banks))
            break;
    }
    return result;
}

Status
ExpandWithUndo(Document &document, UndoJournal &journal, std::int64_t count, std::uint8_t fill)
{
    const std::int64_t before = document.Size();
    Status expanded = document.Expand(count, fill);
    if (expanded.ok())
        journal.RecordExpansion(before, count, fill);
    return expanded;
}

} // namespace byteloom
