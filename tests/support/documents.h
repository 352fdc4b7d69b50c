#pragma once

#include "document/document.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace byteloom::test {

// A whole document holding exactly these bytes.
inline std::unique_ptr<Document> DocumentOf(std::vector<std::uint8_t> bytes)
{
    auto document = std::make_unique<Document>();
    document->New();
    (void)document->ReplaceContents(std::move(bytes));
    return document;
}

// A new 2048-byte document with these bytes written at offset.
inline std::unique_ptr<Document> DocumentWith(std::int64_t offset,
                                              const std::vector<std::uint8_t> &bytes)
{
    auto document = std::make_unique<Document>();
    document->New();
    (void)document->WriteBlock(offset, bytes);
    return document;
}

} // namespace byteloom::test
