#pragma once

// Private to the sources of the service's helpers: the only header here that sees the crypto library.

#include "model/digest/CspService.h"

#include <openssl/evp.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace pairsift {

// A key handed out by the key functions: raw material for a symmetric key, a key object otherwise
// (holding only the public half for a public key).
struct CspKey {
    std::uint32_t algorithm = 0;
    std::uint32_t sizeInBits = 0;
    std::string label;
    std::vector<std::uint8_t> material;
    EVP_PKEY* pair = nullptr;

    CspKey() = default;
    CspKey(const CspKey&) = delete;
    CspKey& operator=(const CspKey&) = delete;
    ~CspKey();
};

namespace csp {

struct PkeyContextDeleter {
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
using PkeyContextPtr = std::unique_ptr<EVP_PKEY_CTX, PkeyContextDeleter>;

using Pieces = std::span<const CspBytes>;

// The symmetric cipher for a key algorithm and size; null when the pair is not supported.
const EVP_CIPHER* symmetricCipher(std::uint32_t algorithm, std::uint32_t sizeInBits);

// Grows `data` with realloc so that `extra` more bytes fit after its length; false when out of memory
// (the buffer is then left as it was).
bool reserveAfter(CspData& data, std::size_t extra);

// Appends bytes, growing the buffer; false when out of memory.
bool append(CspData& data, CspBytes bytes);

// Hands a gathered buffer to the caller, or releases it when the operation failed.
CspReturn deliver(CspReturn result, CspData& gathered, CspData* output);

} // namespace csp
} // namespace pairsift
