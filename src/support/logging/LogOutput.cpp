#include "support/logging/LogOutput.h"

#include "support/logging/SOASLClient.h"

#include <QCoreApplication>
#include <QDateTime>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <set>
#include <string>

#include <sys/syscall.h>
#include <syslog.h>
#include <unistd.h>

namespace pairsift {

namespace {

int clampedLevel(int level)
{
    return std::clamp(level, SOLogLevel::Panic, SOLogLevel::Debug);
}

QByteArray processName()
{
    const QString name = QCoreApplication::applicationName();
    return name.isEmpty() ? QByteArrayLiteral("Pairsift") : name.toUtf8();
}

} // namespace

int systemLogPriority(int level)
{
    // syslog(3) numbers its priorities exactly like the logger's levels.
    static_assert(LOG_EMERG == SOLogLevel::Panic && LOG_ALERT == SOLogLevel::Alert && LOG_CRIT == SOLogLevel::Critical
        && LOG_ERR == SOLogLevel::Error && LOG_WARNING == SOLogLevel::Warning && LOG_NOTICE == SOLogLevel::Notice
        && LOG_INFO == SOLogLevel::Info && LOG_DEBUG == SOLogLevel::Debug);
    return clampedLevel(level);
}

const char* logLevelName(int level)
{
    static constexpr const char* names[] = {"Panic", "Alert", "Critical", "Error", "Warning", "Notice", "Info", "Debug"};
    return names[clampedLevel(level)];
}

QByteArray logLine(int level, const QString& facility, const QString& text)
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8() + ' '
        + processName() + '[' + QByteArray::number(getpid()) + ':'
        + QByteArray::number(static_cast<long long>(syscall(SYS_gettid))) + "] " + facility.toUtf8() + " <"
        + logLevelName(level) + ">: " + text.toUtf8() + '\n';
}

bool writeLogLine(int fileDescriptor, const QByteArray& line)
{
    const char* data = line.constData();
    qsizetype remaining = line.size();
    while (remaining > 0) {
        const ssize_t written = ::write(fileDescriptor, data, static_cast<size_t>(remaining));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        remaining -= written;
    }
    return true;
}

void sendToSystemLog(const QByteArray& identity, int level, bool connectAtOnce, const QByteArray& text)
{
    // openlog(3) keeps the identity's pointer, so every identity ever used stays alive here; never destroyed,
    // so that a thread logging while the process exits finds it intact.
    struct Connection {
        std::mutex mutex;
        std::set<std::string> identities;
        const std::string* current = nullptr;
    };
    static Connection* const connection = new Connection;

    const std::string wanted = identity.toStdString();
    const std::lock_guard lock(connection->mutex);
    if (!connection->current || *connection->current != wanted) {
        connection->current = &*connection->identities.insert(wanted).first;
        openlog(connection->current->c_str(), LOG_PID | (connectAtOnce ? LOG_NDELAY : 0), LOG_USER);
    }
    syslog(systemLogPriority(level), "%s", text.constData());
}

} // namespace pairsift
