#include "patch/ips_patch.h"

#include <algorithm>
#include <string_view>

namespace byteloom {

namespace {

constexpr std::string_view kHeader = "PATCH";
constexpr std::string_view kEnd = "EOF";
constexpr std::int64_t kEofOffset = 0x454F46;
constexpr std::int64_t kMaxRecord = 0xFFFF;
constexpr std::int64_t kHeaderBytes = 5; // offset and size
constexpr std::int64_t kShortestRun = 9; // a run-length record pays for itself from here

void PutNumber(std::vector<std::uint8_t> &out, std::uint32_t value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t GetNumber(std::span<const std::uint8_t> bytes)
{
    std::uint32_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value << 8 | byte;
    return value;
}

// The length of the run of equal bytes at from, up to end.
std::int64_t RunAt(std::span<const std::uint8_t> bytes, std::int64_t from, std::int64_t end)
{
    std::int64_t length = 1;
    while (from + length < end
           && bytes[static_cast<std::size_t>(from + length)]
                  == bytes[static_cast<std::size_t>(from)])
        ++length;
    return length;
}

// Writes modified[start, end) as records: data records, and run-length records for long runs.
void PutRecords(std::vector<std::uint8_t> &out,
                std::span<const std::uint8_t> modified,
                std::int64_t start,
                std::int64_t end)
{
    std::int64_t dataStart = start;
    const auto flushData = [&](std::int64_t upTo) {
        while (dataStart < upTo) {
            // A record may not start at the offset that reads as "EOF": it takes the byte
            // before along (written again as it is in modified).
            if (dataStart == kEofOffset)
                --dataStart;
            const std::int64_t size = std::min(kMaxRecord, upTo - dataStart);
            PutNumber(out, static_cast<std::uint32_t>(dataStart), 3);
            PutNumber(out, static_cast<std::uint32_t>(size), 2);
            const auto from = modified.begin() + dataStart;
            out.insert(out.end(), from, from + size);
            dataStart += size;
        }
    };
    for (std::int64_t at = start; at < end;) {
        const std::int64_t run = std::min(RunAt(modified, at, end), kMaxRecord);
        // A run-length record may not start at the offset that reads as "EOF".
        if (run >= kShortestRun && at != kEofOffset) {
            flushData(at);
            PutNumber(out, static_cast<std::uint32_t>(at), 3);
            PutNumber(out, 0, 2);
            PutNumber(out, static_cast<std::uint32_t>(run), 2);
            out.push_back(modified[static_cast<std::size_t>(at)]);
            at += run;
            dataStart = at;
        } else {
            ++at;
        }
    }
    flushData(end);
}

} // namespace

PatchResult CreateIpsPatch(std::span<const std::uint8_t> original,
                           std::span<const std::uint8_t> modified)
{
    const auto oldSize = static_cast<std::int64_t>(original.size());
    const auto newSize = static_cast<std::int64_t>(modified.size());
    if (Status reaches = IpsPatchReaches(oldSize, newSize); !reaches.ok())
        return {reaches, {}};
    PatchResult result;
    std::vector<std::uint8_t> &out = result.bytes;
    out.assign(kHeader.begin(), kHeader.end());
    const auto differs = [&](std::int64_t at) {
        return at >= oldSize
               || original[static_cast<std::size_t>(at)] != modified[static_cast<std::size_t>(at)];
    };
    for (std::int64_t at = 0; at < newSize;) {
        if (!differs(at)) {
            ++at;
            continue;
        }
        // The change runs on across gaps too short to pay for another record's header.
        std::int64_t end = at + 1;
        for (;;) {
            while (end < newSize && differs(end))
                ++end;
            std::int64_t next = end;
            while (next < newSize && next - end < kHeaderBytes && !differs(next))
                ++next;
            if (next < newSize && next - end < kHeaderBytes && differs(next))
                end = next;
            else
                break;
        }
        PutRecords(out, modified, at, end);
        at = end;
    }
    out.insert(out.end(), kEnd.begin(), kEnd.end());
    if (newSize < oldSize)
        PutNumber(out, static_cast<std::uint32_t>(newSize), 3);
    return result;
}

Status IpsPatchReaches(std::int64_t oldSize, std::int64_t newSize)
{
    if (oldSize > kIpsLimit || newSize > kIpsLimit)
        return Status::Error(
            "An IPS patch reaches 16 MiB and this image is larger: make a BPS patch instead.");
    return Status::Ok();
}

PatchResult ApplyIpsPatch(std::span<const std::uint8_t> image, std::span<const std::uint8_t> patch)
{
    const auto refuse = [](const char *why) {
        return PatchResult{Status::Error(why), {}};
    };
    if (patch.size() < kHeader.size() || !std::equal(kHeader.begin(), kHeader.end(), patch.begin()))
        return refuse("This is not an IPS patch: it does not begin with \"PATCH\".");
    struct Record
    {
        std::int64_t offset;
        std::int64_t size;
        std::size_t data; // where its bytes stand in the patch; for a run, its value's place
        bool run;
    };
    std::vector<Record> records;
    std::size_t at = kHeader.size();
    std::int64_t truncateTo = -1;
    std::int64_t end = static_cast<std::int64_t>(image.size());
    for (;;) {
        if (patch.size() - at >= 3
            && std::equal(
                kEnd.begin(), kEnd.end(), patch.begin() + static_cast<std::ptrdiff_t>(at))) {
            at += 3;
            if (patch.size() - at == 3)
                truncateTo = GetNumber(patch.subspan(at, 3));
            else if (patch.size() != at)
                return refuse("The IPS patch has bytes after its end that are not a size.");
            break;
        }
        if (patch.size() - at < 5)
            return refuse("The IPS patch ends in the middle of a record: it is cut short.");
        Record record{
            GetNumber(patch.subspan(at, 3)), GetNumber(patch.subspan(at + 3, 2)), 0, false};
        at += 5;
        if (record.size == 0) {
            if (patch.size() - at < 3)
                return refuse("The IPS patch ends in the middle of a record: it is cut short.");
            record.size = GetNumber(patch.subspan(at, 2));
            record.data = at + 2;
            record.run = true;
            at += 3;
        } else {
            if (patch.size() - at < static_cast<std::size_t>(record.size))
                return refuse("The IPS patch ends in the middle of a record: it is cut short.");
            record.data = at;
            at += static_cast<std::size_t>(record.size);
        }
        if (record.offset + record.size > kIpsLimit)
            return refuse("An IPS record reaches past 16 MiB.");
        end = std::max(end, record.offset + record.size);
        records.push_back(record);
    }
    PatchResult result;
    std::vector<std::uint8_t> &out = result.bytes;
    out.assign(image.begin(), image.end());
    out.resize(static_cast<std::size_t>(end), 0);
    for (const Record &record : records) {
        const auto to = out.begin() + record.offset;
        if (record.run)
            std::fill(to, to + record.size, patch[record.data]);
        else
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(record.data), record.size, to);
    }
    if (truncateTo >= 0 && truncateTo < static_cast<std::int64_t>(out.size()))
        out.resize(static_cast<std::size_t>(truncateTo));
    return result;
}

} // namespace byteloom
