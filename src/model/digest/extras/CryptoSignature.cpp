#include "model/digest/extras/CryptoSignature.h"

#include "model/digest/extras/CspInternal.h"

#include <memory>

namespace pairsift {

namespace {

struct DigestContextDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using DigestContextPtr = std::unique_ptr<EVP_MD_CTX, DigestContextDeleter>;

const char* signatureDigestName(std::uint32_t signatureAlgorithm)
{
    switch (signatureAlgorithm) {
    case CspAlgorithm::Sha1WithRsa: return "SHA1";
    case CspAlgorithm::Sha256WithRsa: return "SHA256";
    default: return nullptr;
    }
}

// Checks the arguments and starts a signing or verifying context on the key.
CspReturn begin(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* key, bool sign,
                DigestContextPtr& context)
{
    if (!key)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    const char* digestName = signatureDigestName(signatureAlgorithm);
    if (!digestName)
        return CspError::InvalidAlgorithm;
    if (key->algorithm != CspAlgorithm::Rsa)
        return CspError::InvalidKey;
    context.reset(EVP_MD_CTX_new());
    if (!context)
        return CspError::MemoryError;
    const int started = sign ? EVP_DigestSignInit_ex(context.get(), nullptr, digestName, nullptr, nullptr, key->pair, nullptr)
                             : EVP_DigestVerifyInit_ex(context.get(), nullptr, digestName, nullptr, nullptr, key->pair, nullptr);
    return started == 1 ? 0 : CspError::InvalidKey;
}

} // namespace

CspReturn cspSign(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* privateKey, CspBytes data,
                  CspData* signature)
{
    return cspSignStaged(moduleHandle, signatureAlgorithm, privateKey, {&data, 1}, signature);
}

CspReturn cspVerify(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* publicKey, CspBytes data,
                    CspBytes signature)
{
    return cspVerifyStaged(moduleHandle, signatureAlgorithm, publicKey, {&data, 1}, signature);
}

CspReturn cspSignStaged(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* privateKey,
                        std::span<const CspBytes> pieces, CspData* signature)
{
    if (!signature)
        return CspError::InvalidPointer;
    DigestContextPtr context;
    if (const CspReturn result = begin(moduleHandle, signatureAlgorithm, privateKey, true, context); result != 0)
        return result;
    for (const CspBytes piece : pieces) {
        if (EVP_DigestSignUpdate(context.get(), piece.data(), piece.size()) != 1)
            return CspError::InternalError;
    }
    std::size_t length = 0;
    if (EVP_DigestSignFinal(context.get(), nullptr, &length) != 1)
        return CspError::InternalError;
    CspData gathered;
    CspReturn result = csp::reserveAfter(gathered, length) ? 0 : CspError::MemoryError;
    if (result == 0 && EVP_DigestSignFinal(context.get(), gathered.data, &length) != 1)
        result = CspError::InternalError;
    gathered.length = length;
    return csp::deliver(result, gathered, signature);
}

CspReturn cspVerifyStaged(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* publicKey,
                          std::span<const CspBytes> pieces, CspBytes signature)
{
    DigestContextPtr context;
    if (const CspReturn result = begin(moduleHandle, signatureAlgorithm, publicKey, false, context); result != 0)
        return result;
    for (const CspBytes piece : pieces) {
        if (EVP_DigestVerifyUpdate(context.get(), piece.data(), piece.size()) != 1)
            return CspError::InternalError;
    }
    const int verified = EVP_DigestVerifyFinal(context.get(), signature.data(), signature.size());
    return verified == 1 ? 0 : verified == 0 ? CspError::VerifyFailed : CspError::InternalError;
}

} // namespace pairsift
