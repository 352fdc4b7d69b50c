#include "document/rollback_format.h"

#include "common/crc32.h"
#include "common/system_error_text.h"

#include <algorithm>
#include <cstring>

namespace byteloom::rollback {

void PutNumber(std::vector<std::uint8_t> &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t GetNumber(std::span<const std::uint8_t> bytes)
{
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

Status SystemFailure(const char *what, const std::string &shownAs)
{
    return Status::Error("Unable to " + std::string(what) + " " + shownAs + ": "
                         + LastSystemErrorText());
}

// The checksum of the first length bytes of the file open as fd: eight bytes a step, each step
// a one-to-one mix of the sum so far with the next eight bytes, so that any one changed word
// changes the result and a torn file fails it except by a chance of 2^-64. It reads the file back
// several times faster than a CRC-32 would.
std::optional<std::uint64_t> ChecksumOfFirst(FileSystem &files, int fd, std::int64_t length)
{
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kChunk)));
    std::uint64_t sum = 0x6A09E667F3BCC908u;
    for (std::int64_t done = 0; done < length;) {
        // Whole chunks (a multiple of eight bytes) but the last, however the reads return.
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), length - done));
        for (std::size_t filled = 0; filled < count;) {
            const std::int64_t got = files.ReadAt(fd,
                                                  chunk.data() + filled,
                                                  count - filled,
                                                  done + static_cast<std::int64_t>(filled));
            if (got <= 0)
                return std::nullopt;
            filled += static_cast<std::size_t>(got);
        }
        for (std::size_t at = 0; at < count; at += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, chunk.data() + at, std::min<std::size_t>(8, count - at));
            sum = ((sum ^ word) * 0x9E3779B97F4A7C15u);
            sum ^= sum >> 29;
        }
        done += static_cast<std::int64_t>(count);
    }
    return sum;
}

// The CRC-32 of the first length bytes of the file open as fd, as the second kind's seal has it.
std::optional<std::uint32_t> CrcOfFirst(FileSystem &files, int fd, std::int64_t length)
{
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kChunk)));
    std::uint32_t crc = 0;
    for (std::int64_t done = 0; done < length;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(kChunk), length - done));
        const std::int64_t got = files.ReadAt(fd, chunk.data(), count, done);
        if (got <= 0)
            return std::nullopt;
        crc = Crc32(std::span(chunk).first(static_cast<std::size_t>(got)), crc);
        done += got;
    }
    return crc;
}

} // namespace byteloom::rollback
