#include "testkit/Gate.h"

namespace pairsift::test {

void Gate::open()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_isOpen = true;
    }
    m_opened.notify_all();
}

bool Gate::isOpen() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_isOpen;
}

bool Gate::wait() const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_opened.wait_for(lock, hangLimit, [this] { return m_isOpen; });
}

} // namespace pairsift::test
