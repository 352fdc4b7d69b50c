#pragma once

#include "common/byte_range.h"
#include "common/progress.h"
#include "common/status.h"

#include <optional>
#include <string>
#include <string_view>

namespace byteloom {

class Document;

enum class ChecksumKind { Crc32, Adler32, Md5, Sha1, Sha256, Sum16 };

// "crc32", "adler32", "md5", "sha1", "sha256" or "sum16"; nothing for any other name.
[[nodiscard]] std::optional<ChecksumKind> ChecksumKindOfName(std::string_view name);
[[nodiscard]] std::string_view NameOf(ChecksumKind kind);

struct ChecksumResult
{
    Status status = Status::Ok(); // Cancelled when progress stopped it
    std::string value;            // in hexadecimal, upper case, its full width
};

// The checksum of the range of the document, read page by page (any size). CRC-32 and Adler-32
// as zip computes them, MD5 and the SHA digests through OpenSSL, and the 16-bit sum of the bytes.
// progress hears of every page and may stop it.
[[nodiscard]] ChecksumResult Checksum(Document &document,
                                      ByteRange range,
                                      ChecksumKind kind,
                                      const ProgressCallback &progress = {});

} // namespace byteloom
