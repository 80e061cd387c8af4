#include "platform/ConsoleLog.h"

#include <QCoreApplication>
#include <QDateTime>

#include <sys/syscall.h>
#include <unistd.h>

namespace pairsift {

namespace {

QString processName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QStringLiteral("Pairsift") : name;
}

} // namespace

void consoleLogText(const QString& text)
{
    const QByteArray line = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8()
        + ' ' + processName().toUtf8() + '[' + QByteArray::number(getpid()) + ':'
        + QByteArray::number(static_cast<long long>(syscall(SYS_gettid))) + "] " + text.toUtf8() + '\n';
    const char* data = line.constData();
    qsizetype remaining = line.size();
    while (remaining > 0) {
        const ssize_t written = ::write(STDERR_FILENO, data, static_cast<size_t>(remaining));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        remaining -= written;
    }
}

} // namespace pairsift
