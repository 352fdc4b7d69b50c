#pragma once

// The form of a rollback file, shared by the writing of one and the putting back of one.
#include "common/status.h"
#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace byteloom::rollback {

inline constexpr std::string_view kMagic = "BYTELOOM-ROLLBACK-3\n";
// Files of the earlier kinds are read as they always were: the first ends with the length and
// "SEALED!\n", written after a sync of everything before them; the second has this file's form
// with its trailer's checksum either the one of this file or a CRC-32 of the same bytes.
inline constexpr std::string_view kFirstMagic = "BYTELOOM-ROLLBACK-1\n";
inline constexpr std::string_view kFirstSeal = "SEALED!\n";
inline constexpr std::string_view kSecondMagic = "BYTELOOM-ROLLBACK-2\n";
// A sealed file ends with its length before the trailer, the checksum of those bytes and the
// seal, all put on the disk in one sync: a file torn by a power loss fails the checksum.
inline constexpr std::string_view kSeal = "SEALED2\n";
inline constexpr std::int64_t kTrailerLength = 8 + 8 + static_cast<std::int64_t>(kSeal.size());
inline constexpr std::uint64_t kEndOfRecords = ~std::uint64_t{0};
inline constexpr std::size_t kChunk = 1 << 20;
// The header: the magic, the old length and the file's mark; then records of offset, length and
// the old bytes.
inline constexpr std::int64_t kHeaderLength = static_cast<std::int64_t>(kMagic.size()) + 4 * 8;

void PutNumber(std::vector<std::uint8_t> &out, std::uint64_t value, int bytes);
[[nodiscard]] std::uint64_t GetNumber(std::span<const std::uint8_t> bytes);
[[nodiscard]] Status SystemFailure(const char *what, const std::string &shownAs);
// The checksum of the first length bytes of the file open as fd; nothing when it cannot be read.
[[nodiscard]] std::optional<std::uint64_t>
ChecksumOfFirst(FileSystem &files, int fd, std::int64_t length);
// The CRC-32 of the first length bytes of the file open as fd, as the second kind's seal has it.
[[nodiscard]] std::optional<std::uint32_t>
CrcOfFirst(FileSystem &files, int fd, std::int64_t length);

} // namespace byteloom::rollback
