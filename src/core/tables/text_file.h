#pragma once

#include "common/status.h"
#include "platform/binary_file.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace byteloom {

// Table files and scripts are 8-bit text, read the same way on every system.

// Reading: a CR directly before an LF is dropped, and a byte 1A ends the data.
[[nodiscard]] std::string TextFromStoredBytes(std::string_view stored);

// UTF-16 text (without its byte-order mark) as UTF-8; an unpaired surrogate becomes U+FFFD and
// an odd last byte is dropped.
[[nodiscard]] std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// UTF-8 text as UTF-16 bytes (without a byte-order mark); a malformed sequence becomes U+FFFD.
[[nodiscard]] std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

// UTF-8 text in an 8-bit code page (65001 keeps it as it is); nothing when a character has no
// form there or the code page has no converter.
[[nodiscard]] std::optional<std::string> Utf8ToCodePage(std::string_view utf8, int codePage);

// Reads the whole file as text; the status tells why it could not be read.
[[nodiscard]] TextFileResult ReadTextFile(FileSystem &files, const std::filesystem::path &path);
// A script file's text, to be encoded through a table of codePage: read as text, a UTF-8
// byte-order mark dropped for a UTF-8 table; a UTF-16 file (told by its byte-order mark) is
// converted to the code page, and refused when it holds a character the code page has not.
// codePage 0 (a raw copy) takes the file as it is read as text.
[[nodiscard]] TextFileResult ScriptTextFromStoredBytes(std::string_view stored, int codePage);
[[nodiscard]] TextFileResult
ReadScriptFile(FileSystem &files, const std::filesystem::path &path, int codePage);

} // namespace byteloom
