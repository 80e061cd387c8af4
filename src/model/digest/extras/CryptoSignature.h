#pragma once

#include "model/digest/CspTypes.h"

// Signatures with an Rsa key pair of the service (see CryptoKeys.h): Sha1WithRsa or Sha256WithRsa,
// PKCS#1 v1.5. Signatures are newly allocated buffers (release with cspFreeData).
namespace pairsift {

struct CspKey;

CspReturn cspSign(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* privateKey, CspBytes data,
                  CspData* signature);
// CspError::VerifyFailed when the signature does not match the data.
CspReturn cspVerify(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* publicKey, CspBytes data,
                    CspBytes signature);

// The same, staged: the pieces are fed one by one, and the result equals the one-call result on the
// pieces joined.
CspReturn cspSignStaged(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* privateKey,
                        std::span<const CspBytes> pieces, CspData* signature);
CspReturn cspVerifyStaged(CspHandle moduleHandle, std::uint32_t signatureAlgorithm, const CspKey* publicKey,
                          std::span<const CspBytes> pieces, CspBytes signature);

} // namespace pairsift
