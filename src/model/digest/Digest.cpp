#include "model/digest/Digest.h"

#include "model/digest/CspService.h"

namespace pairsift {

Digest::Digest(CspHandle cspHandle, std::uint32_t digestAlgorithm)
    : m_cspHandle(cspHandle)
    , m_digestAlgorithm(digestAlgorithm)
{
    m_lastError = cspDigestInit(m_cspHandle, m_digestAlgorithm, &m_ccHandle);
}

Digest::~Digest()
{
    freeDigest();
    // A read that stopped before its final chunk would otherwise leave the context alive for good.
    cspDeleteContext(m_ccHandle);
}

void Digest::update(const void* bytes, std::uint64_t size, bool final)
{
    if (!bytes && size != 0) {
        m_lastError = CspError::InvalidPointer;
        return;
    }
    const CspBytes data(static_cast<const std::uint8_t*>(bytes), bytes ? size : 0);
    m_lastError = cspDigestStep(m_ccHandle, final, data, &m_digest);
    if (!final)
        return;
    m_ccHandle = 0;
    if (m_lastError == 0 && m_digest.data) {
        m_hash = QByteArray(reinterpret_cast<const char*>(m_digest.data), static_cast<qsizetype>(m_digest.length));
        freeDigest();
    }
}

void Digest::freeDigest()
{
    cspFreeData(&m_digest);
}

} // namespace pairsift
