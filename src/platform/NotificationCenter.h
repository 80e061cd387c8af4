#pragma once

#include <QString>

#include <functional>
#include <mutex>
#include <vector>

namespace pairsift {

// A named event with an optional sender; the sender only identifies, it is never dereferenced.
struct Notification {
    QString name;
    const void* object = nullptr;
};

// Process-wide broadcast of named notifications. Observers run on the posting thread, synchronously,
// never while the centre's lock is held, so an observer may add or remove observers (a removal takes
// effect for the next post). Safe to use from any thread.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification& notification)>;

    static NotificationCenter& defaultCenter();

    // `observer` identifies the registration for removal. A null `object` observes every sender.
    void addObserver(const void* observer, const QString& name, const void* object, Handler handler);
    // Every registration of the observer; with a name, only those for that name.
    void removeObserver(const void* observer, const QString& name = QString());

    void postNotification(const Notification& notification);
    void postNotificationName(const QString& name, const void* object = nullptr)
    {
        postNotification(Notification{name, object});
    }

private:
    struct Entry {
        const void* observer;
        QString name;
        const void* object;
        Handler handler;
    };

    std::mutex m_mutex;
    std::vector<Entry> m_entries;
};

} // namespace pairsift
