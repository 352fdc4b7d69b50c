#include "inspect/checksum.h"

#include "common/crc32.h"
#include "common/number_text.h"
#include "document/document.h"

#include <openssl/evp.h>

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

// One kind's running state: fed the bytes in order, then asked for its value.
class Accumulator
{
public:
    explicit Accumulator(ChecksumKind kind)
        : kind_(kind)
        , digest_(nullptr, EVP_MD_CTX_free)
    {
        const EVP_MD *type = kind == ChecksumKind::Md5      ? EVP_md5()
                             : kind == ChecksumKind::Sha1   ? EVP_sha1()
                             : kind == ChecksumKind::Sha256 ? EVP_sha256()
                                                            : nullptr;
        if (type) {
            digest_.reset(EVP_MD_CTX_new());
            ok_ = digest_ && EVP_DigestInit_ex(digest_.get(), type, nullptr) == 1;
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
            ok_ = ok_ && EVP_DigestUpdate(digest_.get(), bytes.data(), bytes.size()) == 1;
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
            std::array<std::uint8_t, EVP_MAX_MD_SIZE> digest{};
            unsigned int length = 0;
            ok_ = ok_ && EVP_DigestFinal_ex(digest_.get(), digest.data(), &length) == 1;
            return HexOfBytes(std::span(digest).first(length));
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
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX *)> digest_;
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
