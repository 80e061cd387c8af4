#include "app/Updater.h"

#include "app/ApplicationInfo.h"

#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QXmlStreamReader>

namespace pairsift {

Updater& Updater::sharedUpdater()
{
    static Updater* updater = new Updater;
    return *updater;
}

void Updater::checkForUpdates(QWidget* window)
{
    if (!m_feedURL.isValid() || m_feedURL.isEmpty()) {
        tell(window, notConfiguredText());
        return;
    }
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkReply* reply = m_network->get(QNetworkRequest(m_feedURL));
    const QPointer<QWidget> parent(window);
    connect(reply, &QNetworkReply::finished, this, [this, reply, parent] {
        reply->deleteLater();
        const QVersionNumber running = QVersionNumber::fromString(ApplicationInfo::version());
        if (reply->error() != QNetworkReply::NoError) {
            tell(parent, resultText(std::nullopt, running, reply->errorString()));
            return;
        }
        tell(parent, resultText(latestVersionInFeed(reply->readAll()), running));
    });
}

std::optional<QVersionNumber> Updater::latestVersionInFeed(const QByteArray& feed)
{
    std::optional<QVersionNumber> latest;
    const auto consider = [&latest](const QString& text) {
        const QVersionNumber version = QVersionNumber::fromString(text.trimmed());
        if (!version.isNull() && (!latest || version > *latest))
            latest = version;
    };
    QXmlStreamReader reader(feed);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
            if (attribute.name() == QLatin1String("version") || attribute.name() == QLatin1String("shortVersionString"))
                consider(attribute.value().toString());
        }
        if (reader.name() == QLatin1String("version") || reader.name() == QLatin1String("shortVersionString"))
            consider(reader.readElementText());
    }
    if (reader.hasError())
        return std::nullopt;
    return latest;
}

QString Updater::resultText(const std::optional<QVersionNumber>& latest, const QVersionNumber& running,
    const QString& failure)
{
    if (!failure.isEmpty())
        return tr("The update check failed: %1").arg(failure);
    if (!latest)
        return tr("The update feed names no version of Pairsift.");
    if (*latest > running)
        return tr("Pairsift %1 is available; you have %2.").arg(latest->toString(), running.toString());
    return tr("Pairsift %1 is the newest version.").arg(running.toString());
}

QString Updater::notConfiguredText()
{
    return tr("This copy of Pairsift has no update feed, so it cannot check for updates. "
              "Updates come with your system's packages or from where you got Pairsift.");
}

void Updater::tell(QWidget* window, const QString& text)
{
    Q_EMIT checkFinished(text);
    auto* box = new QMessageBox(QMessageBox::Information, tr("Check for Updates"), text, QMessageBox::Ok, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    box->open();
}

} // namespace pairsift
