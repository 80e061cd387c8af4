#include "support/logging/LogOutput.h"

#include "platform/ConsoleLog.h"
#include "support/logging/SOASLClient.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <string>

#include <syslog.h>

namespace pairsift {

namespace {

int clampedLevel(int level)
{
    return std::clamp(level, SOLogLevel::Panic, SOLogLevel::Debug);
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
    return consoleLinePrefix() + facility.toUtf8() + " <" + logLevelName(level) + ">: " + text.toUtf8() + '\n';
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
