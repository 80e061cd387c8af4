#include "model/digest/extras/CryptoCipher.h"

#include "model/digest/CspService.h"
#include "model/digest/extras/CspInternal.h"

#include <openssl/rsa.h>

#include <algorithm>
#include <memory>

namespace pairsift {

struct CspCipherContext {
    const CspKey* key = nullptr;
    const EVP_CIPHER* cipher = nullptr; // null for an asymmetric context
};

namespace {

// Every symmetric context starts from this vector; the Aes block and the ChaCha20 counter and nonce
// are both 16 bytes.
constexpr unsigned char fixedInitialisationVector[16] = {0x3a, 0x91, 0x5c, 0x07, 0xe2, 0x48, 0xb6, 0x1f,
                                                         0x6d, 0xc3, 0x24, 0x8e, 0x59, 0xf0, 0x12, 0xa7};

// The crypto library takes int lengths; larger pieces go through in slices of this size.
constexpr std::size_t sliceLength = std::size_t{1} << 30;

struct CipherContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};

CspReturn runSymmetric(const CspCipherContext& context, bool encrypt, csp::Pieces pieces, CspData& gathered)
{
    const std::unique_ptr<EVP_CIPHER_CTX, CipherContextDeleter> cipher(EVP_CIPHER_CTX_new());
    if (!cipher)
        return CspError::MemoryError;
    if (EVP_CipherInit_ex2(cipher.get(), context.cipher, context.key->material.data(), fixedInitialisationVector,
                           encrypt ? 1 : 0, nullptr)
        != 1)
        return CspError::InternalError;
    const auto blockSize = static_cast<std::size_t>(EVP_CIPHER_CTX_get_block_size(cipher.get()));
    int written = 0;
    for (const CspBytes piece : pieces) {
        for (std::size_t offset = 0; offset < piece.size(); offset += sliceLength) {
            const std::size_t length = std::min(sliceLength, piece.size() - offset);
            if (!csp::reserveAfter(gathered, length + blockSize))
                return CspError::MemoryError;
            if (EVP_CipherUpdate(cipher.get(), gathered.data + gathered.length, &written, piece.data() + offset,
                                 static_cast<int>(length))
                != 1)
                return CspError::InternalError;
            gathered.length += static_cast<std::size_t>(written);
        }
    }
    if (!csp::reserveAfter(gathered, blockSize))
        return CspError::MemoryError;
    // Only decryption can fail here: the padding of the last block does not check out.
    if (EVP_CipherFinal_ex(cipher.get(), gathered.data + gathered.length, &written) != 1)
        return encrypt ? CspError::InternalError : CspError::InvalidData;
    gathered.length += static_cast<std::size_t>(written);
    return 0;
}

CspReturn runAsymmetric(const CspCipherContext& context, bool encrypt, csp::Pieces pieces, CspData& gathered)
{
    CspData joined;
    for (const CspBytes piece : pieces) {
        if (!csp::append(joined, piece)) {
            cspFreeData(&joined);
            return CspError::MemoryError;
        }
    }
    const csp::PkeyContextPtr operation(EVP_PKEY_CTX_new_from_pkey(nullptr, context.key->pair, nullptr));
    const auto start = encrypt ? EVP_PKEY_encrypt_init : EVP_PKEY_decrypt_init;
    const auto apply = encrypt ? EVP_PKEY_encrypt : EVP_PKEY_decrypt;
    std::size_t length = 0;
    CspReturn result = 0;
    if (!operation || start(operation.get()) != 1
        || EVP_PKEY_CTX_set_rsa_padding(operation.get(), RSA_PKCS1_OAEP_PADDING) != 1
        || apply(operation.get(), nullptr, &length, joined.data, joined.length) != 1)
        result = CspError::InternalError;
    else if (!csp::reserveAfter(gathered, length))
        result = CspError::MemoryError;
    else if (apply(operation.get(), gathered.data, &length, joined.data, joined.length) != 1)
        result = encrypt ? CspError::InternalError : CspError::InvalidData;
    else
        gathered.length = length;
    cspFreeData(&joined);
    return result;
}

CspReturn runCipher(const CspCipherContext* context, bool encrypt, csp::Pieces pieces, CspData* output)
{
    if (!context || !output)
        return CspError::InvalidPointer;
    CspData gathered;
    const CspReturn result = context->cipher ? runSymmetric(*context, encrypt, pieces, gathered)
                                             : runAsymmetric(*context, encrypt, pieces, gathered);
    return csp::deliver(result, gathered, output);
}

} // namespace

CspReturn cspCreateCipherContext(CspHandle moduleHandle, const CspKey* key, CspCipherContext** context)
{
    if (!key || !context)
        return CspError::InvalidPointer;
    if (!csp::isAttached(moduleHandle))
        return CspError::InvalidServiceHandle;
    const EVP_CIPHER* cipher = csp::symmetricCipher(key->algorithm, key->sizeInBits);
    if (!cipher && key->algorithm != CspAlgorithm::Rsa)
        return CspError::InternalError;
    *context = new CspCipherContext{key, cipher};
    return 0;
}

void cspDeleteCipherContext(CspCipherContext* context)
{
    delete context;
}

CspReturn cspEncrypt(const CspCipherContext* context, CspBytes input, CspData* output)
{
    return runCipher(context, true, {&input, 1}, output);
}

CspReturn cspDecrypt(const CspCipherContext* context, CspBytes input, CspData* output)
{
    return runCipher(context, false, {&input, 1}, output);
}

CspReturn cspEncryptStaged(const CspCipherContext* context, std::span<const CspBytes> pieces, CspData* output)
{
    return runCipher(context, true, pieces, output);
}

CspReturn cspDecryptStaged(const CspCipherContext* context, std::span<const CspBytes> pieces, CspData* output)
{
    return runCipher(context, false, pieces, output);
}

} // namespace pairsift
