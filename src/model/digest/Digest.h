#pragma once

#include "model/digest/CspTypes.h"

#include <QByteArray>

namespace pairsift {

// An incremental digest over one attached service handle, SHA-1 unless another algorithm is given.
// Calling order: any number of update() with final false (empty chunks do nothing), exactly one with
// final true (its data may be empty), then hash(). The object is not reused after the final step and
// is used by one thread at a time.
class Digest {
public:
    // The object exists even when the context cannot be created; lastError() then says why.
    explicit Digest(CspHandle cspHandle, std::uint32_t digestAlgorithm = CspAlgorithm::Sha1);
    ~Digest();
    Digest(const Digest&) = delete;
    Digest& operator=(const Digest&) = delete;

    void update(const void* bytes, std::uint64_t size, bool final);

    // The finished digest (20 bytes for SHA-1); null until a final step succeeded.
    const QByteArray& hash() const { return m_hash; }
    void setHash(const QByteArray& hash) { m_hash = hash; }
    // The result of the last service call; 0 is success.
    CspReturn lastError() const { return m_lastError; }

    // Releases the service's result buffer, if any.
    void freeDigest();

private:
    CspData m_digest;
    CspReturn m_lastError = 0;
    CspHandle m_cspHandle;
    CspContextHandle m_ccHandle = 0; // 0 once the final step has deleted the context
    std::uint32_t m_digestAlgorithm;
    QByteArray m_hash;
};

} // namespace pairsift
