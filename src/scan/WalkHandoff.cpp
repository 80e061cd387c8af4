#include "scan/WalkHandoff.h"

#include <utility>

namespace pairsift {

bool WalkHandoff::push(WalkStep step)
{
    m_filling.push_back(std::move(step));
    if (m_filling.size() < batchSize)
        return true;
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_isAbandoned || m_ready.size() < batchesAhead; });
    if (m_isAbandoned)
        return false;
    m_ready.push_back(std::exchange(m_filling, {}));
    m_filling.reserve(batchSize);
    m_changed.notify_all();
    return true;
}

void WalkHandoff::finish()
{
    const std::lock_guard lock(m_mutex);
    if (!m_filling.empty())
        m_ready.push_back(std::exchange(m_filling, {}));
    m_isFinished = true;
    m_changed.notify_all();
}

std::vector<WalkStep> WalkHandoff::take()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_isAbandoned || m_isFinished || !m_ready.empty(); });
    if (m_isAbandoned || m_ready.empty())
        return {};
    std::vector<WalkStep> batch = std::move(m_ready.front());
    m_ready.pop_front();
    m_changed.notify_all();
    return batch;
}

void WalkHandoff::abandon()
{
    const std::lock_guard lock(m_mutex);
    m_isAbandoned = true;
    m_changed.notify_all();
}

} // namespace pairsift
