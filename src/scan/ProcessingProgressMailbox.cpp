#include "scan/ProcessingProgressMailbox.h"

namespace pairsift {

bool ProcessingProgressMailbox::publish(const ProcessingProgress& progress)
{
    const std::lock_guard lock(m_mutex);
    m_latest = progress;
    const bool wasWaiting = m_isWaiting;
    m_isWaiting = true;
    return !wasWaiting;
}

ProcessingProgress ProcessingProgressMailbox::take()
{
    const std::lock_guard lock(m_mutex);
    m_isWaiting = false;
    return m_latest;
}

} // namespace pairsift
