#include "patch/bps_patch.h"

#include "common/crc32.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace byteloom {

namespace {

constexpr std::string_view kMagic = "BPS1";
enum Action : std::uint64_t { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };
constexpr std::size_t kBlock = 8;         // bytes hashed to find a run elsewhere
constexpr std::int64_t kShortestCopy = 8; // shorter runs are cheaper as literal bytes
constexpr int kMostHashBits = 22;
constexpr std::size_t kReportStep = std::size_t{1}
                                    << 20; // 16 MiB of hash table at most, for images from 32 MiB

// A table with about two places for each 8-byte block of the larger image.
int HashBitsFor(std::size_t size)
{
    return std::clamp(static_cast<int>(std::bit_width(size / kBlock)) + 1, 10, kMostHashBits);
}

// The format's numbers: 7 bits a byte, the last marked by its top bit, each continuation one
// more than it says, so that every number has one form.
void PutNumber(std::vector<std::uint8_t> &out, std::uint64_t value)
{
    for (;;) {
        const auto low = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
        if (value == 0) {
            out.push_back(0x80 | low);
            return;
        }
        out.push_back(low);
        --value;
    }
}

void PutCrc(std::vector<std::uint8_t> &out, std::uint32_t crc)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(crc >> (8 * i)));
}

std::uint32_t HashAt(std::span<const std::uint8_t> bytes, std::size_t at, int bits)
{
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        word = word << 8 | bytes[at + i];
    return static_cast<std::uint32_t>((word * 0x9E3779B97F4A7C15u) >> (64 - bits));
}

std::int64_t MatchLength(std::span<const std::uint8_t> a,
                         std::size_t at,
                         std::span<const std::uint8_t> b,
                         std::size_t bt)
{
    std::size_t n = 0;
    while (at + n < a.size() && bt + n < b.size() && a[at + n] == b[bt + n])
        ++n;
    return static_cast<std::int64_t>(n);
}

class Encoder
{
public:
    Encoder(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
        : source_(source)
        , target_(target)
        , bits_(HashBitsFor(std::max(source.size(), target.size())))
        , sourceBlocks_(std::size_t{1} << bits_, kNone)
        , targetBlocks_(std::size_t{1} << bits_, kNone)
    {
        // Every 8th position of the source: a run moved anywhere spans several of them.
        for (std::size_t at = 0; at + kBlock <= source.size(); at += kBlock)
            sourceBlocks_[HashAt(source, at, bits_)] = static_cast<std::uint32_t>(at);
    }

    // False: progress stopped it.
    bool Run(std::vector<std::uint8_t> &out, const ProgressCallback &progress)
    {
        std::size_t literalStart = 0;
        std::size_t nextReport = kReportStep;
        for (std::size_t t = 0; t < target_.size();) {
            if (t >= nextReport) {
                if (progress
                    && !progress(static_cast<std::int64_t>(t),
                                 static_cast<std::int64_t>(target_.size())))
                    return false;
                nextReport = t + kReportStep;
            }
            const std::int64_t inPlace
                = t < source_.size() ? MatchLength(source_, t, target_, t) : 0;
            std::int64_t best = inPlace >= 4 ? inPlace : 0;
            Action action = SourceRead;
            std::size_t from = t;
            if (best < 64 && t + kBlock <= target_.size()) {
                const std::uint32_t hash = HashAt(target_, t, bits_);
                if (const std::uint32_t p = sourceBlocks_[hash]; p != kNone) {
                    const std::int64_t length = MatchLength(source_, p, target_, t);
                    if (length >= kShortestCopy && length > best) {
                        best = length;
                        action = SourceCopy;
                        from = p;
                    }
                }
                if (const std::uint32_t q = targetBlocks_[hash]; q != kNone && q < t) {
                    const std::int64_t length = MatchLength(target_, q, target_, t);
                    if (length >= kShortestCopy && length > best) {
                        best = length;
                        action = TargetCopy;
                        from = q;
                    }
                }
            }
            if (best == 0) {
                NoteTarget(t);
                ++t;
                continue;
            }
            Literals(out, literalStart, t);
            Emit(out, action, static_cast<std::uint64_t>(best), from);
            for (std::size_t k = t; k < t + static_cast<std::size_t>(best); k += kBlock)
                NoteTarget(k);
            t += static_cast<std::size_t>(best);
            literalStart = t;
        }
        Literals(out, literalStart, target_.size());
        return true;
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    void NoteTarget(std::size_t at)
    {
        if (at % kBlock == 0 && at + kBlock <= target_.size())
            targetBlocks_[HashAt(target_, at, bits_)] = static_cast<std::uint32_t>(at);
    }

    void Literals(std::vector<std::uint8_t> &out, std::size_t from, std::size_t to)
    {
        if (to <= from)
            return;
        PutNumber(out, ((to - from - 1) << 2) | TargetRead);
        out.insert(out.end(),
                   target_.begin() + static_cast<std::ptrdiff_t>(from),
                   target_.begin() + static_cast<std::ptrdiff_t>(to));
    }

    void Emit(std::vector<std::uint8_t> &out, Action action, std::uint64_t length, std::size_t from)
    {
        PutNumber(out, ((length - 1) << 2) | action);
        if (action == SourceRead)
            return;
        std::int64_t &relative = action == SourceCopy ? sourceRelative_ : targetRelative_;
        const std::int64_t delta = static_cast<std::int64_t>(from) - relative;
        PutNumber(out,
                  (static_cast<std::uint64_t>(delta < 0 ? -delta : delta) << 1)
                      | (delta < 0 ? 1 : 0));
        relative = static_cast<std::int64_t>(from + length);
    }

    std::span<const std::uint8_t> source_;
    std::span<const std::uint8_t> target_;
    int bits_;
    std::vector<std::uint32_t> sourceBlocks_;
    std::vector<std::uint32_t> targetBlocks_;
    std::int64_t sourceRelative_ = 0;
    std::int64_t targetRelative_ = 0;
};

class Reader
{
public:
    explicit Reader(std::span<const std::uint8_t> bytes)
        : bytes_(bytes)
    {}
    std::optional<std::uint64_t> Number()
    {
        std::uint64_t data = 0;
        std::uint64_t shift = 1;
        for (int i = 0; i < 10; ++i) {
            if (at_ >= bytes_.size())
                return std::nullopt;
            const std::uint8_t x = bytes_[at_++];
            data += (x & 0x7F) * shift;
            if (x & 0x80)
                return data;
            shift <<= 7;
            data += shift;
        }
        return std::nullopt;
    }
    [[nodiscard]] std::size_t At() const { return at_; }
    [[nodiscard]] std::size_t Left() const { return bytes_.size() - at_; }
    void Skip(std::size_t n) { at_ += n; }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

std::uint32_t GetCrc(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
           | static_cast<std::uint32_t>(bytes[2]) << 16
           | static_cast<std::uint32_t>(bytes[3]) << 24;
}

std::string Hex(std::uint32_t crc)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", crc);
    return text;
}

} // namespace

PatchResult CreateBpsPatch(std::span<const std::uint8_t> source,
                           std::span<const std::uint8_t> target,
                           std::string_view metadata,
                           const ProgressCallback &progress)
{
    if (source.size() >= 0xFFFFFFFFu || target.size() >= 0xFFFFFFFFu)
        return {Status::Error("A BPS patch is made for images below 4 GiB."), {}};
    PatchResult result;
    std::vector<std::uint8_t> &out = result.bytes;
    out.assign(kMagic.begin(), kMagic.end());
    PutNumber(out, source.size());
    PutNumber(out, target.size());
    PutNumber(out, metadata.size());
    out.insert(out.end(), metadata.begin(), metadata.end());
    if (!Encoder(source, target).Run(out, progress))
        return {Status::Cancelled(), {}};
    PutCrc(out, Crc32(source));
    PutCrc(out, Crc32(target));
    PutCrc(out, Crc32(out));
    return result;
}

PatchResult ApplyBpsPatch(std::span<const std::uint8_t> source,
                          std::span<const std::uint8_t> patch,
                          const ProgressCallback &progress)
{
    const auto refuse = [](std::string why) {
        return PatchResult{Status::Error(std::move(why)), {}};
    };
    if (patch.size() < kMagic.size() + 12
        || !std::equal(kMagic.begin(), kMagic.end(), patch.begin()))
        return refuse("This is not a BPS patch: it does not begin with \"BPS1\".");
    const auto footer = patch.last(12);
    if (Crc32(patch.first(patch.size() - 4)) != GetCrc(footer.subspan(8)))
        return refuse("The BPS patch is damaged: its own checksum does not match.");
    Reader read(patch.first(patch.size() - 12));
    read.Skip(kMagic.size());
    const auto sourceSize = read.Number();
    const auto targetSize = read.Number();
    const auto metadataSize = read.Number();
    if (!sourceSize || !targetSize || !metadataSize || *metadataSize > read.Left())
        return refuse("The BPS patch is damaged: its header cannot be read.");
    read.Skip(static_cast<std::size_t>(*metadataSize));
    const std::uint32_t sourceCrc = Crc32(source);
    if (*sourceSize != source.size() || sourceCrc != GetCrc(footer.first(4)))
        return refuse(
            "This patch is for a different image: it expects " + std::to_string(*sourceSize)
            + " bytes with CRC32 " + Hex(GetCrc(footer.first(4))) + ", this image has "
            + std::to_string(source.size()) + " bytes with CRC32 " + Hex(sourceCrc) + ".");
    if (*targetSize > (std::uint64_t{1} << 32))
        return refuse("The BPS patch is damaged: its target size cannot be right.");
    PatchResult result;
    std::vector<std::uint8_t> &out = result.bytes;
    out.reserve(static_cast<std::size_t>(*targetSize));
    std::int64_t sourceRelative = 0;
    std::int64_t targetRelative = 0;
    const auto damaged = [&] {
        return refuse("The BPS patch is damaged: an action reaches outside its images.");
    };
    std::size_t nextReport = kReportStep;
    while (read.Left() > 0) {
        if (out.size() >= nextReport) {
            if (progress
                && !progress(static_cast<std::int64_t>(out.size()),
                             static_cast<std::int64_t>(*targetSize)))
                return {Status::Cancelled(), {}};
            nextReport = out.size() + kReportStep;
        }
        const auto data = read.Number();
        if (!data)
            return damaged();
        const std::uint64_t length = (*data >> 2) + 1;
        if (length > *targetSize - out.size())
            return damaged();
        switch (*data & 3) {
        case SourceRead:
            if (out.size() + length > source.size())
                return damaged();
            out.insert(out.end(),
                       source.begin() + static_cast<std::ptrdiff_t>(out.size()),
                       source.begin() + static_cast<std::ptrdiff_t>(out.size() + length));
            break;
        case TargetRead:
            if (length > read.Left())
                return damaged();
            out.insert(out.end(),
                       patch.begin() + static_cast<std::ptrdiff_t>(read.At()),
                       patch.begin() + static_cast<std::ptrdiff_t>(read.At() + length));
            read.Skip(static_cast<std::size_t>(length));
            break;
        default: {
            const auto encoded = read.Number();
            if (!encoded)
                return damaged();
            // Offsets are checked before they are used: a crafted patch may move one by up to
            // 2^63 - 1 either way.
            const auto magnitude = static_cast<std::int64_t>(*encoded >> 1);
            std::int64_t &relative = (*data & 3) == SourceCopy ? sourceRelative : targetRelative;
            if ((*encoded & 1) ? __builtin_sub_overflow(relative, magnitude, &relative)
                               : __builtin_add_overflow(relative, magnitude, &relative))
                return damaged();
            if ((*data & 3) == SourceCopy) {
                if (relative < 0 || static_cast<std::uint64_t>(relative) > source.size()
                    || length > source.size() - static_cast<std::uint64_t>(relative))
                    return damaged();
                out.insert(out.end(),
                           source.begin() + relative,
                           source.begin() + relative + static_cast<std::int64_t>(length));
            } else {
                // The copy may overlap what it writes: byte by byte, as the format says.
                if (relative < 0 || static_cast<std::uint64_t>(relative) >= out.size())
                    return damaged();
                for (std::uint64_t k = 0; k < length; ++k)
                    out.push_back(out[static_cast<std::size_t>(relative) + k]);
            }
            relative += static_cast<std::int64_t>(length);
            break;
        }
        }
    }
    if (out.size() != *targetSize || Crc32(out) != GetCrc(footer.subspan(4, 4)))
        return refuse("The BPS patch did not make the image it describes (size or CRC32 differs).");
    return result;
}

} // namespace byteloom
