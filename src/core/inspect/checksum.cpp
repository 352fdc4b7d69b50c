#include "inspect/checksum.h"

#include "common/crc32.h"
#include "common/number_text.h"
#include "document/document.h"
#include "platform/digest.h"

#include <array>
#include <cstdio>
#include <memory>
#include <utility>

namespace byteloom {

namespace {

constexpr std::array<std::pair<std::string_view, ChecksumKind>, 6> kNames{{
    {"crc32", ChecksumKind::Crc32},
    {"adler32", ChecksumKind::Adler32},
    {"md5", ChecksumKind::Md5},
    {"sha1", ChecksumKind::Sha1},
    {"sha256", ChecksumKind::Sha256},
    {"sum16", ChecksumKind::Sum16},
}};

std::string Hex32(std::uint32_t value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

// The kinds a cryptographic library computes.
std::optional<DigestKind> CryptographicKind(ChecksumKind kind)
{
    switch (kind) {
    case ChecksumKind::Md5:
        return DigestKind::Md5;
    case ChecksumKind::Sha1:
        return DigestKind::Sha1;
    case ChecksumKind::Sha256:
        return DigestKind::Sha256;
    default:
        return std::nullopt;
    }
}

// One kind's running state: fed the bytes in order, then asked for its value.
class Accumulator
{
public:
    explicit Accumulator(ChecksumKind kind)
        : kind_(kind)
    {
        if (const std::optional<DigestKind> digest = CryptographicKind(kind)) {
            digest_ = Digest::Start(*digest);
            ok_ = digest_ != nullptr;
        }
    }

    [[nodiscard]] bool Ok() const { return ok_; }

    void Add(std::span<const std::uint8_t> bytes)
    {
        switch (kind_) {
        case ChecksumKind::Crc32:
            crc_ = Crc32(bytes, crc_);
            break;
        case ChecksumKind::Adler32:
            // The sums are reduced often enough that they never overflow 32 bits.
            for (std::size_t i = 0; i < bytes.size(); i += 5552) {
                const std::size_t end = std::min(bytes.size(), i + 5552);
                for (std::size_t k = i; k < end; ++k) {
                    a_ += bytes[k];
                    b_ += a_;
                }
                a_ %= 65521;
                b_ %= 65521;
            }
            break;
        case ChecksumKind::Sum16:
            for (const std::uint8_t byte : bytes)
                sum_ += byte;
            break;
        default:
            ok_ = ok_ && digest_->Add(bytes);
        }
    }

    [[nodiscard]] std::string Value()
    {
        switch (kind_) {
        case ChecksumKind::Crc32:
            return Hex32(crc_, 8);
        case ChecksumKind::Adler32:
            return Hex32(b_ << 16 | a_, 8);
        case ChecksumKind::Sum16:
            return Hex32(sum_ & 0xFFFFu, 4);
        default: {
            const auto digest = ok_ ? digest_->Finish() : std::nullopt;
            ok_ = digest.has_value();
            return digest ? HexOfBytes(*digest) : std::string();
        }
        }
    }

private:
    ChecksumKind kind_;
    bool ok_ = true;
    std::uint32_t crc_ = 0;
    std::uint32_t a_ = 1;
    std::uint32_t b_ = 0;
    std::uint32_t sum_ = 0;
    std::unique_ptr<Digest> digest_;
};

} // namespace

std::optional<ChecksumKind> ChecksumKindOfName(std::string_view name)
{
    for (const auto &[text, kind] : kNames)
        if (text == name)
            return kind;
    return std::nullopt;
}

std::string_view NameOf(ChecksumKind kind)
{
    for (const auto &[text, known] : kNames)
        if (known == kind)
            return text;
    return {};
}

ChecksumResult
Checksum(Document &document, ByteRange range, ChecksumKind kind, const ProgressCallback &progress)
{
    ChecksumResult result;
    Accumulator accumulator(kind);
    const std::int64_t end = std::min(range.End(), document.Size());
    for (std::int64_t at = std::max<std::int64_t>(range.offset, 0); at < end;) {
        if (progress && !progress(at - range.offset, end - range.offset)) {
            result.status = Status::Cancelled();
            return result;
        }
        const std::span<const std::uint8_t> page = document.SpanAt(at);
        if (page.empty())
            break;
        const auto count
            = static_cast<std::size_t>(std::min(static_cast<std::int64_t>(page.size()), end - at));
        accumulator.Add(page.first(count));
        at += static_cast<std::int64_t>(count);
    }
    if (auto error = document.TakeIoError()) {
        result.status = Status::Error(*error);
        return result;
    }
    result.value = accumulator.Value();
    if (!accumulator.Ok())
        result.status = Status::Error("The system's cryptographic library could not compute "
                                      + std::string(NameOf(kind)) + ".");
    return result;
}

} // namespace byteloom
