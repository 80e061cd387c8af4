#pragma once

#include "model/digest/CspTypes.h"

// Keys of the cryptographic service, for encryption and signatures. Every key handed out is released
// with cspFreeKey. The handle must be attached (cspAttach).
namespace pairsift {

struct CspKey;

// A symmetric key (Aes of 128, 192 or 256 bits, ChaCha20 of 256) derived from a password with the
// service's password-based derivation: HMAC-SHA-1, 1,000 iterations, a fixed salt. The same password
// always gives the same key, and the key carries the service's fixed label.
CspReturn cspDeriveKeyFromPassword(CspHandle moduleHandle, CspBytes password, std::uint32_t keyAlgorithm,
                                   std::uint32_t sizeInBits, CspKey** key);

// A new Rsa key pair of 1,024 to 16,384 bits; the public key holds only the public half.
CspReturn cspGenerateKeyPair(CspHandle moduleHandle, std::uint32_t algorithm, std::uint32_t sizeInBits,
                             CspKey** publicKey, CspKey** privateKey);

// A new Diffie-Hellman key pair on the standard finite-field group of that size
// (2,048, 3,072, 4,096, 6,144 or 8,192 bits).
CspReturn cspGenerateDhKeyPair(CspHandle moduleHandle, std::uint32_t sizeInBits, CspKey** publicKey,
                               CspKey** privateKey);

// The symmetric key that both sides of a Diffie-Hellman exchange reach: the leading bytes of the shared
// secret, made a key of `keyAlgorithm` and `sizeInBits`.
CspReturn cspDeriveDhSharedKey(CspHandle moduleHandle, const CspKey* privateKey, const CspKey* peerPublicKey,
                               std::uint32_t keyAlgorithm, std::uint32_t sizeInBits, CspKey** sharedKey);

void cspFreeKey(CspKey* key);

// The key's label: the fixed label for password-derived keys, empty otherwise.
const char* cspKeyLabel(const CspKey* key);

} // namespace pairsift
