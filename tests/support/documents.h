#pragma once

#include "document/document.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace byteloom::test {

// A whole document holding exactly these bytes.
inline std::unique_ptr<Document> DocumentOf(std::vector<std::uint8_t> bytes)
{
    auto document = std::make_unique<Document>(kPageSize, RealFileSystem());
    document->New();
    (void)document->ReplaceContents(std::move(bytes));
    return document;
}

// A new 2048-byte document with these bytes written at offset.
inline std::unique_ptr<Document> DocumentWith(std::int64_t offset,
                                              const std::vector<std::uint8_t> &bytes)
{
    auto document = std::make_unique<Document>(kPageSize, RealFileSystem());
    document->New();
    (void)document->WriteBlock(offset, bytes);
    return document;
}

// Every byte of the document.
inline std::vector<std::uint8_t> ContentsOf(Document &document)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(document.Size()));
    (void)document.ReadBlock(0, bytes);
    return bytes;
}

// What the file holds when it is opened next, in the editor or byteloom-cli: any interrupted
// save put back first. Nothing when it cannot be opened.
inline std::vector<std::uint8_t> OpenedAgain(const std::filesystem::path &path)
{
    Document document(kPageSize, RealFileSystem());
    if (document.Load(path, false).status != LoadStatus::Loaded)
        return {};
    return ContentsOf(document);
}

} // namespace byteloom::test
