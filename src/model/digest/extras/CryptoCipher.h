#pragma once

#include "model/digest/CspTypes.h"

// Encryption and decryption with a key of the service (see CryptoKeys.h). Outputs are gathered into one
// newly allocated buffer (release with cspFreeData) and handed over only on success.
namespace pairsift {

struct CspKey;
struct CspCipherContext;

// A context for a key: symmetric keys get the fixed initialisation vector and the mode and padding of
// their algorithm (Aes: CBC with PKCS#7 padding; ChaCha20: stream, none); Rsa keys an asymmetric
// context with OAEP padding; any other key gives CspError::InternalError. The key must outlive the context.
CspReturn cspCreateCipherContext(CspHandle moduleHandle, const CspKey* key, CspCipherContext** context);
void cspDeleteCipherContext(CspCipherContext* context);

// One buffer in one call.
CspReturn cspEncrypt(const CspCipherContext* context, CspBytes input, CspData* output);
CspReturn cspDecrypt(const CspCipherContext* context, CspBytes input, CspData* output);

// The same, staged: the pieces go through one initialisation, an update each, and one final step, and
// the result equals the one-call result on the pieces joined. (An asymmetric context joins the pieces
// first, since it works on whole blocks only.)
CspReturn cspEncryptStaged(const CspCipherContext* context, std::span<const CspBytes> pieces, CspData* output);
CspReturn cspDecryptStaged(const CspCipherContext* context, std::span<const CspBytes> pieces, CspData* output);

} // namespace pairsift
