#include "platform/NotificationQueue.h"

#include <QTimer>

#include <algorithm>

namespace pairsift {

namespace {

bool isSameNotification(const Notification& left, const Notification& right)
{
    return left.name == right.name && left.object == right.object;
}

} // namespace

NotificationQueue& NotificationQueue::defaultQueue()
{
    thread_local NotificationQueue queue;
    return queue;
}

// The context lives in the creating thread, so timers and posted calls come back to it.
NotificationQueue::NotificationQueue()
    : m_context(std::make_unique<QObject>())
{
}

NotificationQueue::~NotificationQueue() = default;

void NotificationQueue::enqueueNotification(const Notification& notification, PostingStyle style)
{
    if (style == PostingStyle::PostNow) {
        NotificationCenter::defaultCenter().postNotification(notification);
        return;
    }
    const bool isWaiting = std::any_of(m_pending.cbegin(), m_pending.cend(),
                                       [&](const Pending& pending) { return isSameNotification(pending.notification, notification); });
    if (isWaiting)
        return;
    const quint64 ticket = m_nextTicket++;
    m_pending.push_back(Pending{notification, ticket});
    const auto deliverTicket = [this, ticket] { deliver(ticket); };
    if (style == PostingStyle::PostWhenIdle)
        QTimer::singleShot(0, m_context.get(), deliverTicket);
    else
        QMetaObject::invokeMethod(m_context.get(), deliverTicket, Qt::QueuedConnection);
}

void NotificationQueue::dequeueNotifications(const Notification& notification)
{
    std::erase_if(m_pending, [&](const Pending& pending) { return isSameNotification(pending.notification, notification); });
}

void NotificationQueue::deliver(quint64 ticket)
{
    const auto found = std::find_if(m_pending.begin(), m_pending.end(),
                                    [ticket](const Pending& pending) { return pending.ticket == ticket; });
    if (found == m_pending.end())
        return;
    const Notification notification = found->notification;
    m_pending.erase(found);
    NotificationCenter::defaultCenter().postNotification(notification);
}

} // namespace pairsift
