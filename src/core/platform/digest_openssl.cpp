#include "platform/digest.h"

#include <openssl/evp.h>

namespace byteloom {

namespace {

class OpenSslDigest final : public Digest
{
public:
    explicit OpenSslDigest(EVP_MD_CTX *context)
        : context_(context, EVP_MD_CTX_free)
    {}

    bool Add(std::span<const std::uint8_t> bytes) override
    {
        return EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) == 1;
    }

    std::optional<std::vector<std::uint8_t>> Finish() override
    {
        std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
        unsigned int length = 0;
        if (EVP_DigestFinal_ex(context_.get(), digest.data(), &length) != 1)
            return std::nullopt;
        digest.resize(length);
        return digest;
    }

private:
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX *)> context_;
};

} // namespace

std::unique_ptr<Digest> Digest::Start(DigestKind kind)
{
    const EVP_MD *type = kind == DigestKind::Md5    ? EVP_md5()
                         : kind == DigestKind::Sha1 ? EVP_sha1()
                                                    : EVP_sha256();
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    if (!context)
        return nullptr;
    auto digest = std::make_unique<OpenSslDigest>(context);
    if (EVP_DigestInit_ex(context, type, nullptr) != 1)
        return nullptr;
    return digest;
}

} // namespace byteloom
