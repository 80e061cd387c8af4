#pragma once

#include <QObject>
#include <QUrl>
#include <QVersionNumber>

#include <optional>

class QNetworkAccessManager;
class QWidget;

namespace pairsift {

// Checks for a newer version: fetches the feed, takes the highest version it lists and compares it with
// the running one. Without a feed it says so plainly instead. Main thread only.
class Updater : public QObject {
    Q_OBJECT

public:
    static Updater& sharedUpdater();

    QUrl feedURL() const { return m_feedURL; }
    void setFeedURL(const QUrl& feedURL) { m_feedURL = feedURL; }

    // Tells the answer in a window-modal message over `window`; returns at once.
    void checkForUpdates(QWidget* window);

    // The highest version an item of the feed names (a "version" element or attribute); nothing when
    // the feed names none or is not XML.
    static std::optional<QVersionNumber> latestVersionInFeed(const QByteArray& feed);
    // The text the user reads after a check. `latest` is nothing when the feed could not be read.
    static QString resultText(const std::optional<QVersionNumber>& latest, const QVersionNumber& running,
        const QString& failure = QString());
    static QString notConfiguredText();

Q_SIGNALS:
    // After every check, with the text shown.
    void checkFinished(const QString& text);

private:
    void tell(QWidget* window, const QString& text);

    QUrl m_feedURL;
    QNetworkAccessManager* m_network = nullptr;
};

} // namespace pairsift
