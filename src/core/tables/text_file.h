#pragma once

#include "common/status.h"
#include "platform/file_system.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace byteloom {

// Table files and scripts are 8-bit text, read the same way on every system.

// Reading: a CR directly before an LF is dropped, and a byte 1A ends the data.
[[nodiscard]] std::string TextFromStoredBytes(std::string_view stored);

// UTF-16 text (without its byte-order mark) as UTF-8; an unpaired surrogate becomes U+FFFD and
// an odd last byte is dropped.
[[nodiscard]] std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

struct TextFileResult
{
    Status status = Status::Ok();
    std::string text;
};

// Reads the whole file as text; the status tells why it could not be read.
[[nodiscard]] TextFileResult ReadTextFile(const std::filesystem::path &path);
// Reads the whole file's bytes as they are stored.
[[nodiscard]] TextFileResult ReadBinaryFile(const std::filesystem::path &path,
                                            FileSystem &files = RealFileSystem());

} // namespace byteloom
