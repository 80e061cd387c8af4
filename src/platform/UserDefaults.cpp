#include "platform/UserDefaults.h"

#include "platform/ConsoleLog.h"
#include "platform/MainQueue.h"
#include "platform/UserDefaultsValue.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <map>

namespace pairsift {

namespace {

struct Registry {
    std::mutex mutex;
    QString folder; // null: the standard folder
    std::unique_ptr<UserDefaults> standard;
    std::map<QString, std::unique_ptr<UserDefaults>> domains;

    QString currentFolder() const
    {
        if (!folder.isNull())
            return folder;
        const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
        const QString base = QDir::isAbsolutePath(configHome) ? configHome : QDir::homePath() + QStringLiteral("/.config");
        return QDir::cleanPath(base + QStringLiteral("/Pairsift"));
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// A domain name becomes one file name: anything but letters, digits, ".", "-" and "_" is replaced.
QString domainFileName(const QString& name)
{
    QString fileName = name;
    for (QChar& character : fileName) {
        const bool isSafe = (character.unicode() < 128 && character.isLetterOrNumber()) || character == QLatin1Char('.')
                            || character == QLatin1Char('-') || character == QLatin1Char('_');
        if (!isSafe)
            character = QLatin1Char('_');
    }
    return (fileName.isEmpty() ? QStringLiteral("_") : fileName) + QStringLiteral(".json");
}

bool isSameValue(const QVariant& before, const QVariant& after)
{
    return before.metaType() == after.metaType() && before == after;
}

} // namespace

UserDefaults::UserDefaults(QString filePath) : m_filePath(std::move(filePath))
{
    load();
}

UserDefaults::~UserDefaults()
{
    m_lifetime.reset();
    Error error;
    if (!synchronize(&error))
        consoleLog("%@", error.message());
}

UserDefaults& UserDefaults::standard()
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    if (!shared.standard)
        shared.standard = std::make_unique<UserDefaults>(shared.currentFolder() + QStringLiteral("/Pairsift.json"));
    return *shared.standard;
}

UserDefaults& UserDefaults::domain(const QString& name)
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    std::unique_ptr<UserDefaults>& store = shared.domains[name];
    if (!store)
        store = std::make_unique<UserDefaults>(shared.currentFolder() + QStringLiteral("/domains/") + domainFileName(name));
    return *store;
}

QString UserDefaults::configurationFolder()
{
    Registry& shared = registry();
    std::lock_guard lock(shared.mutex);
    return shared.currentFolder();
}

void UserDefaults::setConfigurationFolder(const QString& folder)
{
    Registry& shared = registry();
    std::unique_ptr<UserDefaults> standard;
    std::map<QString, std::unique_ptr<UserDefaults>> domains;
    {
        std::lock_guard lock(shared.mutex);
        shared.folder = folder.isNull() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
        standard = std::move(shared.standard);
        domains.swap(shared.domains);
    }
    // The old stores write their pending changes outside the registry's lock.
}

void UserDefaults::load()
{
    QFile file(m_filePath);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_writeBlockedReason = file.errorString();
        consoleLog("Unable to read settings from '%@': %@", m_filePath, m_writeBlockedReason);
        return;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    file.close();
    if (parseError.error != QJsonParseError::NoError) {
        keepCorruptFileAside(parseError.errorString());
        return;
    }
    if (!document.isObject()) {
        keepCorruptFileAside(QStringLiteral("not a JSON object"));
        return;
    }
    const QJsonObject object = document.object();
    for (auto entry = object.constBegin(); entry != object.constEnd(); ++entry) {
        if (std::optional<QVariant> value = UserDefaultsValue::fromJson(entry.value()))
            m_stored.insert(entry.key(), *value);
    }
}

void UserDefaults::keepCorruptFileAside(const QString& reason)
{
    const QString asidePath = m_filePath + QStringLiteral(".corrupt-")
                              + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    if (QFile::rename(m_filePath, asidePath)) {
        consoleLog("Settings file '%@' is damaged (%@); kept as '%@'", m_filePath, reason, asidePath);
        return;
    }
    m_writeBlockedReason = QStringLiteral("damaged and could not be set aside (%1)").arg(reason);
    consoleLog("Settings file '%@' is %@", m_filePath, m_writeBlockedReason);
}

void UserDefaults::registerDefaults(const QVariantMap& defaults)
{
    changeValues(defaults.keys(), [&] {
        for (auto entry = defaults.cbegin(); entry != defaults.cend(); ++entry) {
            if (std::optional<QVariant> value = UserDefaultsValue::normalized(entry.value()))
                m_registered.insert(entry.key(), *value);
        }
    });
}

QVariant UserDefaults::registeredValue(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return m_registered.value(key);
}

QVariant UserDefaults::effectiveValue(const QString& key) const
{
    const auto stored = m_stored.constFind(key);
    return stored != m_stored.constEnd() ? *stored : m_registered.value(key);
}

QVariant UserDefaults::value(const QString& key) const
{
    std::lock_guard lock(m_mutex);
    return effectiveValue(key);
}

bool UserDefaults::setValue(const QString& key, const QVariant& value)
{
    if (!value.isValid()) {
        removeValue(key);
        return true;
    }
    const std::optional<QVariant> stored = UserDefaultsValue::normalized(value);
    if (!stored)
        return false;
    changeValues({key}, [&] {
        m_stored.insert(key, *stored);
        m_isDirty = true;
        scheduleSave();
    });
    return true;
}

void UserDefaults::removeValue(const QString& key)
{
    changeValues({key}, [&] {
        if (m_stored.remove(key) > 0) {
            m_isDirty = true;
            scheduleSave();
        }
    });
}

template <typename T, typename Convert>
T UserDefaults::typedValue(const QString& key, Convert convert, T fallback) const
{
    std::lock_guard lock(m_mutex);
    for (const QHash<QString, QVariant>* layer : {&m_stored, &m_registered}) {
        const auto found = layer->constFind(key);
        if (found == layer->constEnd())
            continue;
        if (auto converted = convert(*found))
            return *converted;
    }
    return fallback;
}

QString UserDefaults::stringValue(const QString& key) const
{
    return typedValue(key, UserDefaultsValue::toString, QString());
}

bool UserDefaults::boolValue(const QString& key) const
{
    return typedValue(key, UserDefaultsValue::toBool, false);
}

qint64 UserDefaults::integerValue(const QString& key) const
{
    return typedValue(key, UserDefaultsValue::toInteger, qint64(0));
}

std::optional<QVariantList> UserDefaults::arrayValue(const QString& key) const
{
    return typedValue(key, UserDefaultsValue::toList, std::optional<QVariantList>());
}

bool UserDefaults::synchronize(Error* error)
{
    std::lock_guard writeLock(m_writeMutex);
    QJsonObject object;
    {
        std::lock_guard lock(m_mutex);
        if (!m_isDirty)
            return true;
        if (!m_writeBlockedReason.isNull()) {
            setError(error, errorDomain, WriteBlockedError,
                     formatString("Settings file '%@' is not replaced: %@", m_filePath, m_writeBlockedReason));
            return false;
        }
        for (auto entry = m_stored.constBegin(); entry != m_stored.constEnd(); ++entry)
            object.insert(entry.key(), UserDefaultsValue::toJson(entry.value()));
        m_isDirty = false;
    }

    QString failure;
    const QString folder = QFileInfo(m_filePath).absolutePath();
    QSaveFile file(m_filePath);
    if (!QDir().mkpath(folder))
        failure = formatString("cannot create the folder '%@'", folder);
    else if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(object).toJson(QJsonDocument::Indented)) < 0
             || !file.commit())
        failure = file.errorString();
    if (failure.isNull())
        return true;
    {
        std::lock_guard lock(m_mutex);
        m_isDirty = true;
    }
    setError(error, errorDomain, WriteFailedError, formatString("Unable to write settings to '%@'", m_filePath), failure);
    return false;
}

void UserDefaults::scheduleSave()
{
    if (m_isSaveScheduled)
        return;
    m_isSaveScheduled = true;
    postToMain([this, alive = std::weak_ptr<int>(m_lifetime)] {
        if (!alive.lock())
            return;
        {
            std::lock_guard lock(m_mutex);
            m_isSaveScheduled = false;
        }
        Error error;
        if (!synchronize(&error))
            consoleLog("%@", error.message());
    });
}

UserDefaults::ObserverId UserDefaults::addObserver(const QString& key, Observer observer, bool callAtOnce)
{
    auto entry = std::make_shared<ObserverEntry>();
    entry->key = key;
    entry->observer = std::move(observer);
    QVariant current;
    {
        std::lock_guard lock(m_mutex);
        entry->id = m_nextObserverId++;
        m_observers.push_back(entry);
        current = effectiveValue(key);
    }
    if (callAtOnce)
        entry->observer(current);
    return entry->id;
}

void UserDefaults::removeObserver(ObserverId id)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [id](const std::shared_ptr<ObserverEntry>& entry) {
        if (entry->id != id)
            return false;
        entry->isActive = false;
        return true;
    });
}

void UserDefaults::changeValues(const QStringList& keys, const std::function<void()>& change)
{
    std::vector<PendingCall> calls;
    {
        std::lock_guard lock(m_mutex);
        QVariantList before;
        before.reserve(keys.size());
        for (const QString& key : keys)
            before.append(effectiveValue(key));
        change();
        for (qsizetype index = 0; index < keys.size(); ++index) {
            const QVariant after = effectiveValue(keys.at(index));
            if (isSameValue(before.at(index), after))
                continue;
            for (const std::shared_ptr<ObserverEntry>& entry : m_observers) {
                if (entry->key == keys.at(index))
                    calls.emplace_back(entry, after);
            }
        }
    }
    for (const auto& [entry, value] : calls) {
        if (entry->isActive)
            entry->observer(value);
    }
}

} // namespace pairsift
