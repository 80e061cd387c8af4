#include "app/CrashReporter.h"

#include "app/ApplicationInfo.h"
#include "support/foundation/ApplicationFolders.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

namespace pairsift {

CrashReporter& CrashReporter::sharedManager()
{
    static CrashReporter manager;
    return manager;
}

void CrashReporter::configureWithIdentifier(const QString& identifier, CrashReporterDelegate* delegate)
{
    m_identifier = identifier;
    m_delegate = delegate;
}

void CrashReporter::removeDelegate(const CrashReporterDelegate* delegate)
{
    if (m_delegate == delegate)
        m_delegate = nullptr;
}

void CrashReporter::startManager()
{
    m_isStarted = true;
    if (m_delegate)
        m_delegate->showMainApplicationWindowForCrashManager(*this);
}

QString CrashReporter::reportsDirectory()
{
    const QString application = applicationSupportDirectory();
    return application.isNull() ? QString() : application + QStringLiteral("/CrashReports");
}

QString CrashReporter::writeReport(const QString& description)
{
    const QString folder = reportsDirectory();
    if (!m_isStarted || folder.isNull() || !QDir().mkpath(folder))
        return {};
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString path = folder + QStringLiteral("/Pairsift-") + now.toString(QStringLiteral("yyyy-MM-dd_HHmmss_zzz"))
        + QStringLiteral(".crash");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    const QString text = QStringLiteral("Identifier: %1\nVersion: %2 (%3)\nDate: %4\n\n%5\n")
                             .arg(m_identifier, ApplicationInfo::version(), ApplicationInfo::buildVersion(),
                                  now.toString(Qt::ISODateWithMs), description);
    file.write(text.toUtf8());
    return file.commit() ? path : QString();
}

QStringList CrashReporter::reports() const
{
    const QString folder = reportsDirectory();
    if (folder.isNull())
        return {};
    QStringList paths;
    const QDir directory(folder);
    for (const QString& name : directory.entryList({QStringLiteral("*.crash")}, QDir::Files, QDir::Name))
        paths.append(directory.filePath(name));
    return paths;
}

} // namespace pairsift
