#include "settings/LocationItem.h"

#include "platform/BookmarkData.h"
#include "platform/ConsoleLog.h"

#include <QDir>
#include <QFileInfo>
#include <QHashFunctions>

#include <algorithm>

namespace pairsift {

LocationItem::LocationItem(const QUrl& url, const QByteArray& bookmarkData, qint32 status)
    : m_isAccessControlled(true), m_url(canonicalURL(url)), m_status(status), m_bookmarkData(bookmarkData)
{
    startAccess();
}

LocationItem::~LocationItem()
{
    stopAccess();
}

LocationItemPtr LocationItem::withURL(const QUrl& url)
{
    // The constructor makes the URL canonical (one walk of the path); the bookmark holds that form.
    auto location = std::make_shared<LocationItem>(url, QByteArray(), 0);
    if (location->m_url.isLocalFile())
        location->m_bookmarkData = makeBookmarkData(location->path());
    return location;
}

LocationItemPtr LocationItem::withPath(const QString& path)
{
    return withURL(QUrl::fromLocalFile(path));
}

LocationItemPtr LocationItem::withBookmarkData(const QByteArray& bookmarkData)
{
    Error error;
    const QString path = resolveBookmarkData(bookmarkData, &error);
    if (path.isNull()) {
        consoleLog("Unable to restore bookmark with data: %@, error: %@", describeData(bookmarkData), error.message());
        return nullptr;
    }
    return std::make_shared<LocationItem>(QUrl::fromLocalFile(path), bookmarkData, 0);
}

bool LocationItem::locationArray(const QList<LocationItemPtr>& locations, const QString& path)
{
    return std::any_of(locations.cbegin(), locations.cend(),
                       [&](const LocationItemPtr& location) { return location && location->path() == path; });
}

QString LocationItem::canonicalPath(const QString& path)
{
    // An empty path names nothing; made absolute it would silently become the working folder.
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    const QString canonical = QFileInfo(absolute).canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;

    // Resolve the longest part that exists and keep the rest as written.
    QString existing = QDir::cleanPath(absolute);
    QStringList missing;
    while (existing != QLatin1String("/")) {
        const QFileInfo info(existing);
        missing.prepend(info.fileName());
        existing = info.path();
        const QString resolvedPart = QFileInfo(existing).canonicalFilePath();
        if (!resolvedPart.isEmpty())
            return QDir::cleanPath(resolvedPart + QLatin1Char('/') + missing.join(QLatin1Char('/')));
    }
    return QDir::cleanPath(absolute);
}

QUrl LocationItem::canonicalURL(const QUrl& url)
{
    return url.isLocalFile() ? QUrl::fromLocalFile(canonicalPath(url.toLocalFile())) : url;
}

// Access to a location needs no grant here; the flags only record the pairing of start and stop.
void LocationItem::startAccess()
{
    m_isAccessStarted = true;
}

void LocationItem::stopAccess()
{
    m_isAccessStarted = false;
}

void LocationItem::setURL(const QUrl& url)
{
    const QUrl canonical = canonicalURL(url);
    if (canonical == m_url)
        return;
    m_url = canonical;
    Q_EMIT urlChanged();
}

QString LocationItem::path() const
{
    return m_url.toLocalFile();
}

void LocationItem::setStatus(qint32 status)
{
    if (status == m_status)
        return;
    m_status = status;
    if (status == 0)
        m_statusReason.clear();
    Q_EMIT statusChanged();
}

void LocationItem::markUnreadable(const QString& reason)
{
    if (m_status == UnreadableStatus && m_statusReason == reason)
        return;
    m_status = UnreadableStatus;
    m_statusReason = reason;
    Q_EMIT statusChanged();
}

QString LocationItem::statusImage() const
{
    return m_status != 0 ? QStringLiteral("error") : QString();
}

void LocationItem::setBookmarkData(const QByteArray& bookmarkData)
{
    if (bookmarkData == m_bookmarkData)
        return;
    m_bookmarkData = bookmarkData;
    Q_EMIT bookmarkDataChanged();
}

size_t LocationItem::hash() const
{
    return qHash(m_url) + 31;
}

} // namespace pairsift
