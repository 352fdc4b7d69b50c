#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace byteloom {

class Document;

// The Copy Hex As texts of the bytes [start, end) (the two ends may come in either order). All
// hex digits are upper case and lines end in CR LF.

// Pairs of bytes as groups of four digits, each followed by a blank; 16 bytes to a line.
[[nodiscard]] std::string CopyHexAsText(Document &document, std::int64_t start, std::int64_t end);
// The same text of bytes already read.
[[nodiscard]] std::string HexText(std::span<const std::uint8_t> bytes);

// The body of a C array of 8-, 16- or 32-bit elements, under the header
// "/*Copied from Byteloom*/"; a last element short of bytes is padded with zero bytes. The
// byte order of the wider elements follows bigEndian. An empty range gives an empty text.
[[nodiscard]] std::string
CopyHexAsCharArray(Document &document, std::int64_t start, std::int64_t end);
[[nodiscard]] std::string
CopyHexAsShortArray(Document &document, std::int64_t start, std::int64_t end, bool bigEndian);
[[nodiscard]] std::string
CopyHexAsIntArray(Document &document, std::int64_t start, std::int64_t end, bool bigEndian);

} // namespace byteloom
