#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <memory>

namespace pairsift {

class LocationItem;
using LocationItemPtr = std::shared_ptr<LocationItem>;

// One scan location: a folder or photo-library package, identified by its file URL. The locations
// list, the counting stage and the settings share the same object, so a status set by a scan shows in
// the list. Paths are made canonical (absolute, links resolved, no trailing "/") when a location is
// made, so the walk, the keep rule and store pruning all see the same prefix.
class LocationItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(QUrl url READ url WRITE setURL NOTIFY urlChanged)
    Q_PROPERTY(QString path READ path NOTIFY urlChanged)
    Q_PROPERTY(int status READ status WRITE setStatus NOTIFY statusChanged)
    Q_PROPERTY(QString statusImage READ statusImage NOTIFY statusChanged)
    Q_PROPERTY(QByteArray bookmarkData READ bookmarkData WRITE setBookmarkData NOTIFY bookmarkDataChanged)

public:
    // The status the counting stage gives a location it cannot read.
    static constexpr qint32 UnreadableStatus = -1;

    // Stores the three values (the URL made canonical) and starts access.
    LocationItem(const QUrl& url, const QByteArray& bookmarkData, qint32 status);
    ~LocationItem() override;

    // Makes the bookmark data for the URL; a failure leaves it null, unreported. Status 0.
    static LocationItemPtr withURL(const QUrl& url);
    static LocationItemPtr withPath(const QString& path);
    // Null when the data does not resolve; the console log says why. Status 0.
    static LocationItemPtr withBookmarkData(const QByteArray& bookmarkData);

    // YES when some location's path equals `path` exactly (no normalisation).
    static bool locationArray(const QList<LocationItemPtr>& locations, const QString& path);

    // `path` absolute against the working folder, links resolved as far as the path exists, no "."
    // or ".." parts and no trailing "/".
    static QString canonicalPath(const QString& path);

    bool isAccessControlled() const { return m_isAccessControlled; }
    bool isAccessStarted() const { return m_isAccessStarted; }
    void startAccess();
    void stopAccess();

    const QUrl& url() const { return m_url; }
    void setURL(const QUrl& url);
    // The path of the URL; empty for a URL that is not a local file.
    QString path() const;
    qint32 status() const { return m_status; }
    // Status 0 also forgets the reason.
    void setStatus(qint32 status);
    // The unreadable status with why the location could not be read ("Permission denied").
    void markUnreadable(const QString& reason);
    // Why the location has its status; null when fine or when no reason was given.
    const QString& statusReason() const { return m_statusReason; }
    // The name of the image shown with the location: "error" when the status is not 0, else null.
    // Views turn the name into a picture.
    QString statusImage() const;
    const QByteArray& bookmarkData() const { return m_bookmarkData; }
    void setBookmarkData(const QByteArray& bookmarkData);

    // Equal when the URLs are equal.
    bool operator==(const LocationItem& other) const { return m_url == other.m_url; }
    size_t hash() const;
    QString description() const { return path(); }

Q_SIGNALS:
    void urlChanged();
    void statusChanged();
    void bookmarkDataChanged();

private:
    static QUrl canonicalURL(const QUrl& url);

    bool m_isAccessControlled = false;
    bool m_isAccessStarted = false;
    QUrl m_url;
    qint32 m_status = 0;
    QString m_statusReason;
    QByteArray m_bookmarkData;
};

} // namespace pairsift
