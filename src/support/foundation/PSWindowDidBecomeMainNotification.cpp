#include "support/foundation/PSWindowDidBecomeMainNotification.h"

namespace pairsift {

QString PSWindowDidBecomeMainNotification::name()
{
    return QStringLiteral("com.lanternforges.pairsift.notification.window-did-become-main");
}

void PSWindowDidBecomeMainNotification::postWithStyle(PostingStyle style, const void* object)
{
    NotificationQueue::defaultQueue().enqueueNotification(Notification{name(), object}, style);
}

void PSWindowDidBecomeMainNotification::addObserver(const void* observer, NotificationCenter::Handler handler)
{
    NotificationCenter::defaultCenter().addObserver(observer, name(), nullptr, std::move(handler));
}

void PSWindowDidBecomeMainNotification::removeObserver(const void* observer)
{
    NotificationCenter::defaultCenter().removeObserver(observer, name());
}

} // namespace pairsift
