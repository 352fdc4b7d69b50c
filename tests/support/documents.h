#pragma once

#include "common/byte_range.h"
#include "document/document.h"
#include "document/rollback_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <initializer_list>
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

// What a save stopped once its rollback file was sealed leaves beside path: the file's old
// length and the bytes old holds in each kept range (the caller then scribbles on the file).
inline void SealRollback(const std::filesystem::path &path,
                         std::int64_t oldLength,
                         const std::vector<std::uint8_t> &old,
                         std::initializer_list<ByteRange> kept)
{
    RollbackFile rollback(RealFileSystem());
    ASSERT_TRUE(rollback.Begin(path, oldLength).ok());
    for (const ByteRange &range : kept)
        ASSERT_TRUE(rollback
                        .Keep(range.offset,
                              std::span(old).subspan(static_cast<std::size_t>(range.offset),
                                                     static_cast<std::size_t>(range.length)))
                        .ok());
    ASSERT_TRUE(rollback.Seal().ok());
}

} // namespace byteloom::test
