#include "store/DamagedStore.h"

#include "platform/ConsoleLog.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>

namespace pairsift {

namespace {

bool exists(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

bool renamePath(const QString& from, const QString& to, QString* failureReason)
{
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    *failureReason = formatString("Unable to move '%@' to '%@': %@", from, to, qt_error_string(errno));
    consoleLogText(*failureReason);
    return false;
}

} // namespace

QString setDamagedStoreAside(const QString& storePath, const QDateTime& now, QString* failureReason)
{
    const QString journal = storePath + QStringLiteral("-journal");
    if (!exists(storePath) && !exists(journal))
        return QLatin1String("");
    const QString stem = storePath + QStringLiteral(".damaged-") + now.toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString aside = stem;
    for (int number = 2; exists(aside) || exists(aside + QStringLiteral("-journal")); ++number)
        aside = stem + QLatin1Char('-') + QString::number(number);
    if (exists(storePath) && !renamePath(storePath, aside, failureReason))
        return {};
    if (exists(journal) && !renamePath(journal, aside + QStringLiteral("-journal"), failureReason))
        return {};
    consoleLog("Moved the damaged store '%@' aside to '%@'", storePath, aside);
    return aside;
}

} // namespace pairsift
