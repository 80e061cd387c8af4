#include "model/digest/extras/CryptoKeys.h"

#include "model/digest/extras/CspInternal.h"

#include <openssl/crypto.h>
#include <openssl/dh.h>
#include <openssl/x509.h>

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace pairsift {

namespace {

constexpr int passwordIterations = 1000;
constexpr std::string_view passwordSalt = "Pairsift key salt";
constexpr const char* derivedKeyLabel = "Pairsift derived key";

std::unique_ptr<CspKey> makeKey(std::uint32_t algorithm, std::uint32_t sizeInBits)
{
    auto key = std::make_unique<CspKey>();
    key->algorithm = algorithm;
    key->sizeInBits = sizeInBits;
    return key;
}

// The public half of a key object as an object of its own, so a public key cannot sign or decrypt.
EVP_PKEY* publicHalf(EVP_PKEY* pair)
{
    unsigned char* encoded = nullptr;
    const int length = i2d_PUBKEY(pair, &encoded);
    if (length <= 0)
        return nullptr;
    const unsigned char* cursor = encoded;
    EVP_PKEY* half = d2i_PUBKEY(nullptr, &cursor, length);
    OPENSSL_free(encoded);
    return half;
}

// Takes ownership of `pair` and hands out its two halves.
CspReturn handOutPair(EVP_PKEY* pair, std::uint32_t algorithm, std::uint32_t sizeInBits, CspKey** publicKey,
                      CspKey** privateKey)
{
    auto privateHalf = makeKey(algorithm, sizeInBits);
    privateHalf->pair = pair;
    if (!pair)
        return CspError::InternalError;
    auto publicOnly = makeKey(algorithm, sizeInBits);
    publicOnly->pair = publicHalf(pair);
    if (!publicOnly->pair)
        return CspError::InternalError;
    *publicKey = publicOnly.release();
    *privateKey = privateHalf.release();
    return 0;
}

const char* dhGroupName(std::uint32_t sizeInBits)
{
    switch (sizeInBits) {
    case 2048: return "ffdhe2048";
    case 3072: return "ffdhe3072";
    case 4096: return "ffdhe4096";
    case 6144: return "ffdhe6144";
    case 8192: return "ffdhe8192";
    default: return nullptr;
    }
}

} // namespace

CspKey::~CspKey()
{
    EVP_PKEY_free(pair);
    if (!material.empty())
        OPENSSL_cleanse(material.data(), material.size());
}

namespace csp {

const EVP_CIPHER* symmetricCipher(std::uint32_t algorithm, std::uint32_t sizeInBits)
{
    struct Row {
        std::uint32_t algorithm;
        std::uint32_t sizeInBits;
        const EVP_CIPHER* (*cipher)();
    };
    static constexpr Row table[] = {
        {CspAlgorithm::Aes, 128, EVP_aes_128_cbc},
        {CspAlgorithm::Aes, 192, EVP_aes_192_cbc},
        {CspAlgorithm::Aes, 256, EVP_aes_256_cbc},
        {CspAlgorithm::ChaCha20, 256, EVP_chacha20},
    };
    for (const Row& row : table) {
        if (row.algorithm == algorithm && row.sizeInBits == sizeInBits)
            return row.cipher();
    }
    return nullptr;
}

} // namespace csp

CspReturn cspDeriveKeyFromPassword(CspHandle moduleHandle, CspBytes password, std::uint32_t keyAlgorithm,
                                   std::uint32_t sizeInBits, CspKey** key)
{
    if (!key)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    if (!csp::symmetricCipher(keyAlgorithm, sizeInBits))
        return CspError::InvalidAlgorithm;
    auto derived = makeKey(keyAlgorithm, sizeInBits);
    derived->label = derivedKeyLabel;
    derived->material.resize(sizeInBits / 8);
    const char* passwordText = password.empty() ? "" : reinterpret_cast<const char*>(password.data());
    if (PKCS5_PBKDF2_HMAC(passwordText, static_cast<int>(password.size()), reinterpret_cast<const unsigned char*>(passwordSalt.data()),
                          static_cast<int>(passwordSalt.size()),
                          passwordIterations, EVP_sha1(), static_cast<int>(derived->material.size()),
                          derived->material.data())
        != 1)
        return CspError::InternalError;
    *key = derived.release();
    return 0;
}

CspReturn cspGenerateKeyPair(CspHandle moduleHandle, std::uint32_t algorithm, std::uint32_t sizeInBits,
                             CspKey** publicKey, CspKey** privateKey)
{
    if (!publicKey || !privateKey)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    if (algorithm != CspAlgorithm::Rsa)
        return CspError::InvalidAlgorithm;
    if (sizeInBits < 1024 || sizeInBits > 16384)
        return CspError::InvalidKey;
    return handOutPair(EVP_RSA_gen(sizeInBits), algorithm, sizeInBits, publicKey, privateKey);
}

CspReturn cspGenerateDhKeyPair(CspHandle moduleHandle, std::uint32_t sizeInBits, CspKey** publicKey,
                               CspKey** privateKey)
{
    if (!publicKey || !privateKey)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    const char* group = dhGroupName(sizeInBits);
    if (!group)
        return CspError::InvalidKey;
    const csp::PkeyContextPtr context(EVP_PKEY_CTX_new_from_name(nullptr, "DH", nullptr));
    EVP_PKEY* pair = nullptr;
    if (!context || EVP_PKEY_keygen_init(context.get()) != 1
        || EVP_PKEY_CTX_set_group_name(context.get(), group) != 1 || EVP_PKEY_generate(context.get(), &pair) != 1)
        return CspError::InternalError;
    return handOutPair(pair, CspAlgorithm::DiffieHellman, sizeInBits, publicKey, privateKey);
}

CspReturn cspDeriveDhSharedKey(CspHandle moduleHandle, const CspKey* privateKey, const CspKey* peerPublicKey,
                               std::uint32_t keyAlgorithm, std::uint32_t sizeInBits, CspKey** sharedKey)
{
    if (!privateKey || !peerPublicKey || !sharedKey)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    if (privateKey->algorithm != CspAlgorithm::DiffieHellman || peerPublicKey->algorithm != CspAlgorithm::DiffieHellman)
        return CspError::InvalidKey;
    if (!csp::symmetricCipher(keyAlgorithm, sizeInBits))
        return CspError::InvalidAlgorithm;

    // Padded to the group size, so both sides get secrets of the same length.
    const csp::PkeyContextPtr context(EVP_PKEY_CTX_new_from_pkey(nullptr, privateKey->pair, nullptr));
    std::size_t secretLength = 0;
    if (!context || EVP_PKEY_derive_init(context.get()) != 1 || EVP_PKEY_CTX_set_dh_pad(context.get(), 1) != 1
        || EVP_PKEY_derive_set_peer(context.get(), peerPublicKey->pair) != 1
        || EVP_PKEY_derive(context.get(), nullptr, &secretLength) != 1)
        return CspError::InternalError;
    std::vector<std::uint8_t> secret(secretLength);
    const bool derived = EVP_PKEY_derive(context.get(), secret.data(), &secretLength) == 1;
    const std::size_t keyLength = sizeInBits / 8;
    auto shared = makeKey(keyAlgorithm, sizeInBits);
    if (derived && secretLength >= keyLength)
        shared->material.assign(secret.begin(), secret.begin() + static_cast<std::ptrdiff_t>(keyLength));
    OPENSSL_cleanse(secret.data(), secret.size());
    if (!derived)
        return CspError::InternalError;
    if (shared->material.empty())
        return CspError::InvalidKey;
    *sharedKey = shared.release();
    return 0;
}

void cspFreeKey(CspKey* key)
{
    delete key;
}

const char* cspKeyLabel(const CspKey* key)
{
    return key ? key->label.c_str() : "";
}

} // namespace pairsift
