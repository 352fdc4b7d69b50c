#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace byteloom {

enum class DigestKind { Md5, Sha1, Sha256 };

// A cryptographic digest computed by a well-kept library, never by code of our own: OpenSSL's
// libcrypto on Linux (digest_openssl.cpp), the system's CNG on Windows (digest_windows.cpp).
class Digest
{
public:
    // Nothing when the library cannot compute this kind.
    [[nodiscard]] static std::unique_ptr<Digest> Start(DigestKind kind);

    virtual ~Digest() = default;
    // False when the library failed; the digest is then of no use.
    virtual bool Add(std::span<const std::uint8_t> bytes) = 0;
    // The digest of everything added; nothing when the library failed.
    [[nodiscard]] virtual std::optional<std::vector<std::uint8_t>> Finish() = 0;
};

} // namespace byteloom
