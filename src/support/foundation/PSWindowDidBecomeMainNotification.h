#pragma once

#include "platform/NotificationCenter.h"
#include "platform/NotificationQueue.h"

#include <QString>

namespace pairsift {

// Names, posts and observes "the main window became main", so that windows depending on outside state
// (the current photo libraries) read it again.
class PSWindowDidBecomeMainNotification {
public:
    PSWindowDidBecomeMainNotification() = delete;

    static QString name();
    // Through the calling thread's notification queue; one waiting post of the same sender absorbs another.
    static void postWithStyle(PostingStyle style, const void* object);
    // From any sender.
    static void addObserver(const void* observer, NotificationCenter::Handler handler);
    static void removeObserver(const void* observer);
};

} // namespace pairsift
