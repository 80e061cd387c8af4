#pragma once

#include "platform/NotificationCenter.h"

#include <QObject>

#include <memory>
#include <vector>

namespace pairsift {

// How an enqueued notification reaches the centre.
enum class PostingStyle {
    // Once the thread's event loop has handled what is waiting (a zero timer).
    PostWhenIdle = 1,
    // At the event loop's next turn (a posted event).
    PostASAP = 2,
    // At once, on the calling thread.
    PostNow = 3,
};

// Deferred posting through a thread's event loop. A notification still waiting absorbs a new one with
// the same name and sender, so a burst of requests gives one delivery. Each thread has its own queue;
// its notifications are delivered on that thread, which must run a Qt event loop.
class NotificationQueue {
public:
    // The calling thread's queue.
    static NotificationQueue& defaultQueue();

    NotificationQueue();
    ~NotificationQueue();
    NotificationQueue(const NotificationQueue&) = delete;
    NotificationQueue& operator=(const NotificationQueue&) = delete;

    void enqueueNotification(const Notification& notification, PostingStyle style);
    // Forgets waiting notifications of that name and sender.
    void dequeueNotifications(const Notification& notification);
    // Waiting notifications (for tests and diagnostics).
    std::size_t pendingCount() const { return m_pending.size(); }

private:
    struct Pending {
        Notification notification;
        quint64 ticket;
    };

    void deliver(quint64 ticket);

    std::unique_ptr<QObject> m_context;
    std::vector<Pending> m_pending;
    quint64 m_nextTicket = 1;
};

} // namespace pairsift
