#include "platform/desktop/LauncherEntry.h"

#include <QDBusConnection>
#include <QGuiApplication>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace pairsift {

namespace {

constexpr char objectPath[] = "/com/lanternforges/Pairsift/LauncherEntry";
constexpr char interfaceName[] = "com.canonical.Unity.LauncherEntry";
constexpr char defaultDesktopFileName[] = "pairsift";

} // namespace

QString LauncherEntry::applicationURI()
{
    QString name = QGuiApplication::desktopFileName();
    if (name.isEmpty())
        name = QLatin1String(defaultDesktopFileName);
    if (!name.endsWith(QLatin1String(".desktop")))
        name += QLatin1String(".desktop");
    return QStringLiteral("application://") + name;
}

QDBusMessage LauncherEntry::updateMessage(const QString& applicationURI, double progress, bool isProgressVisible)
{
    QDBusMessage message = QDBusMessage::createSignal(QLatin1String(objectPath), QLatin1String(interfaceName),
                                                      QStringLiteral("Update"));
    const double fraction = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    const QVariantMap properties{
        {QStringLiteral("progress"), fraction},
        {QStringLiteral("progress-visible"), isProgressVisible},
    };
    message << applicationURI << properties;
    return message;
}

void LauncherEntry::sendUpdate(double progress, bool isProgressVisible)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.send(updateMessage(applicationURI(), progress, isProgressVisible));
}

} // namespace pairsift
