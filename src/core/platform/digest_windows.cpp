#include "platform/digest.h"

#include <windows.h>

#include <bcrypt.h>

namespace byteloom {

namespace {

class WindowsDigest final : public Digest
{
public:
    WindowsDigest(BCRYPT_ALG_HANDLE algorithm, BCRYPT_HASH_HANDLE hash)
        : algorithm_(algorithm)
        , hash_(hash)
    {}
    ~WindowsDigest() override
    {
        BCryptDestroyHash(hash_);
        BCryptCloseAlgorithmProvider(algorithm_, 0);
    }
    WindowsDigest(const WindowsDigest &) = delete;
    WindowsDigest &operator=(const WindowsDigest &) = delete;

    bool Add(std::span<const std::uint8_t> bytes) override
    {
        while (!bytes.empty()) {
            const ULONG count = static_cast<ULONG>(std::min<std::size_t>(bytes.size(), 1u << 30));
            if (!BCRYPT_SUCCESS(BCryptHashData(hash_, const_cast<PUCHAR>(bytes.data()), count, 0)))
                return false;
            bytes = bytes.subspan(count);
        }
        return true;
    }

    std::optional<std::vector<std::uint8_t>> Finish() override
    {
        DWORD length = 0;
        ULONG got = 0;
        if (!BCRYPT_SUCCESS(BCryptGetProperty(algorithm_,
                                              BCRYPT_HASH_LENGTH,
                                              reinterpret_cast<PUCHAR>(&length),
                                              sizeof length,
                                              &got,
                                              0)))
            return std::nullopt;
        std::vector<std::uint8_t> digest(length);
        if (!BCRYPT_SUCCESS(BCryptFinishHash(hash_, digest.data(), length, 0)))
            return std::nullopt;
        return digest;
    }

private:
    BCRYPT_ALG_HANDLE algorithm_;
    BCRYPT_HASH_HANDLE hash_;
};

} // namespace

std::unique_ptr<Digest> Digest::Start(DigestKind kind)
{
    const wchar_t *name = kind == DigestKind::Md5    ? BCRYPT_MD5_ALGORITHM
                          : kind == DigestKind::Sha1 ? BCRYPT_SHA1_ALGORITHM
                                                     : BCRYPT_SHA256_ALGORITHM;
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, name, nullptr, 0)))
        return nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
        BCryptCloseAlgorithmProvider(algorithm, 0);
        return nullptr;
    }
    return std::make_unique<WindowsDigest>(algorithm, hash);
}

} // namespace byteloom
