#pragma once

#include "platform/Error.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace pairsift {

// A settings store: a registration layer (in memory only) under a stored layer kept in one JSON file.
// A read answers the stored value, else the registered one. Values are those of UserDefaultsValue.h.
//
// Safe to use from any thread. Observers run on the thread that made the change, never while the
// store's lock is held, and only when the value a read answers actually changed. Changes reach the
// file on synchronize(), soon after from the main event loop, and when the store goes away.
//
// A file that is not a JSON object is renamed to "<file>.corrupt-<UTC time>" and the store starts
// empty; a file that exists but cannot be read is never overwritten.
class UserDefaults {
public:
    using ObserverId = quint64;
    using Observer = std::function<void(const QVariant& newValue)>;

    static constexpr const char* errorDomain = "UserDefaults";
    enum ErrorCode : long long {
        // The file on disk could not be read or set aside, so it is left alone.
        WriteBlockedError = 1,
        WriteFailedError = 2,
    };

    explicit UserDefaults(QString filePath);
    // Writes pending changes. Destroy a store on the main thread (its pending save runs there).
    ~UserDefaults();

    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The program's own settings: "<configuration folder>/Pairsift.json".
    static UserDefaults& standard();
    // Another application's settings: "<configuration folder>/domains/<name>.json", one store per name.
    static UserDefaults& domain(const QString& name);
    // "$XDG_CONFIG_HOME/Pairsift" (default "~/.config/Pairsift"), unless redirected.
    static QString configurationFolder();
    // Points the standard and domain stores at another folder (a null folder undoes it). The stores
    // in use are written and destroyed, so nobody may hold a reference to them across this call.
    static void setConfigurationFolder(const QString& folder);

    const QString& filePath() const { return m_filePath; }

    // Adds to the registration layer (values of types the file cannot hold are ignored).
    void registerDefaults(const QVariantMap& defaults);
    // Invalid when the key has no registered value.
    QVariant registeredValue(const QString& key) const;

    // Invalid when the key has neither a stored nor a registered value.
    QVariant value(const QString& key) const;
    // An invalid value removes the key. False (nothing changes) for a type the file cannot hold.
    bool setValue(const QString& key, const QVariant& value);
    void removeValue(const QString& key);

    // Typed reads never fail: a value that does not convert gives way to the registered value, and
    // that to the fixed fallback (null, false, 0, nothing).
    QString stringValue(const QString& key) const;
    bool boolValue(const QString& key) const;
    qint64 integerValue(const QString& key) const;
    std::optional<QVariantList> arrayValue(const QString& key) const;

    // Writes the stored layer when it changed since the last write. False with `error` filled when
    // the file cannot be written.
    bool synchronize(Error* error = nullptr);

    // `observer` gets the key's new value after every change; with `callAtOnce` also once right away.
    ObserverId addObserver(const QString& key, Observer observer, bool callAtOnce = false);
    // The observer is not called again once this returns (a call already running elsewhere finishes).
    void removeObserver(ObserverId id);

private:
    struct ObserverEntry {
        ObserverId id;
        QString key;
        Observer observer;
        std::atomic<bool> isActive{true};
    };
    using PendingCall = std::pair<std::shared_ptr<ObserverEntry>, QVariant>;

    void load();
    void keepCorruptFileAside(const QString& reason);
    QVariant effectiveValue(const QString& key) const;
    template <typename T, typename Convert>
    T typedValue(const QString& key, Convert convert, T fallback) const;
    // Runs `change` under the lock and then calls the observers of those keys whose value changed.
    void changeValues(const QStringList& keys, const std::function<void()>& change);
    void scheduleSave();

    const QString m_filePath;
    mutable std::mutex m_mutex;
    QHash<QString, QVariant> m_registered;
    QHash<QString, QVariant> m_stored;
    std::vector<std::shared_ptr<ObserverEntry>> m_observers;
    ObserverId m_nextObserverId = 1;
    bool m_isDirty = false;
    bool m_isSaveScheduled = false;
    // Set when the file on disk must not be replaced (it could not be read or set aside).
    QString m_writeBlockedReason;
    // Serialises writers so that an older snapshot never replaces a newer one.
    std::mutex m_writeMutex;
    // Lets a save posted to the main loop notice that the store is gone.
    std::shared_ptr<int> m_lifetime = std::make_shared<int>(0);
};

} // namespace pairsift
