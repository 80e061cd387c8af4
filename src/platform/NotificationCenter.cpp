#include "platform/NotificationCenter.h"

#include <algorithm>

namespace pairsift {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

void NotificationCenter::addObserver(const void* observer, const QString& name, const void* object, Handler handler)
{
    std::lock_guard lock(m_mutex);
    m_entries.push_back(Entry{observer, name, object, std::move(handler)});
}

void NotificationCenter::removeObserver(const void* observer, const QString& name)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const Entry& entry) {
        return entry.observer == observer && (name.isNull() || entry.name == name);
    });
}

void NotificationCenter::postNotification(const Notification& notification)
{
    std::vector<Handler> handlers;
    {
        std::lock_guard lock(m_mutex);
        for (const Entry& entry : m_entries) {
            if (entry.name == notification.name && (!entry.object || entry.object == notification.object))
                handlers.push_back(entry.handler);
        }
    }
    for (const Handler& handler : handlers)
        handler(notification);
}

} // namespace pairsift
