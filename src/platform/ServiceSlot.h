#pragma once

#include <memory>
#include <mutex>
#include <utility>

namespace pairsift {

// One process-wide service with a standard implementation that tests may replace. The holder hands out
// shared pointers, so a replacement never pulls a service from under a caller that is still using it.
template <typename Service> class ServiceSlot {
public:
    explicit ServiceSlot(std::shared_ptr<Service> standard) : m_standard(std::move(standard)) { }

    std::shared_ptr<Service> get() const
    {
        std::lock_guard lock(m_mutex);
        return m_replacement ? m_replacement : m_standard;
    }

    // A null replacement restores the standard service; answers the previous replacement.
    std::shared_ptr<Service> replace(std::shared_ptr<Service> replacement)
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_replacement, std::move(replacement));
    }

private:
    mutable std::mutex m_mutex;
    const std::shared_ptr<Service> m_standard;
    std::shared_ptr<Service> m_replacement;
};

} // namespace pairsift
