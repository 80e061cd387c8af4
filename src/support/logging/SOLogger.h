#pragma once

#include "platform/Error.h"
#include "platform/Format.h"
#include "support/logging/SOASLClient.h"

#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace pairsift {

class LoggingDescriptors;

// A thread's clients, one per logger, keyed by the logger's identifier.
using SOASLClientTable = std::unordered_map<std::uint64_t, SOASLClientPtr>;

// The one logging object: printf-style messages at eight levels to the system log, standard error (an
// option) and the listed descriptors. Usable from any thread; each thread sends through its own client.
class SOLogger {
public:
    // A logger with no facility and the default options.
    SOLogger();
    SOLogger(const QString& facility, std::uint32_t options);
    ~SOLogger();

    SOLogger(const SOLogger&) = delete;
    SOLogger& operator=(const SOLogger&) = delete;

    static std::shared_ptr<SOLogger> loggerForFacility(const QString& facility, std::uint32_t options);

    // Unique for the life of the process; never reused by a later logger.
    std::uint64_t identifier() const { return m_identifier; }
    const QString& facility() const { return m_facility; }
    std::uint32_t ASLClientOptions() const { return m_options.load(std::memory_order_relaxed); }
    // Takes effect for clients opened afterwards.
    void setASLClientOptions(std::uint32_t options) { m_options.store(options, std::memory_order_relaxed); }
    // In insertion order, duplicates included.
    QList<int> additionalFileDescriptors() const;

    // Lists the descriptor for clients opened from now on and drops the calling thread's client, so this
    // thread's next message already reaches it. The descriptor stays the caller's: never opened or closed.
    void addFileDescriptor(int fileDescriptor);
    // Unlists every entry of the descriptor and drops the calling thread's client. When this returns, no
    // thread writes to the descriptor any more; a descriptor from openLogFile() is closed.
    void removeFileDescriptor(int fileDescriptor);
    // Opens (appending, creating) a log file that the logger owns and lists it; the file is closed when its
    // descriptor is removed or the logger goes. Answers the descriptor, or -1 with `error` filled.
    int openLogFile(const QString& path, Error* error = nullptr);

    // The calling thread's client for this logger, opened with the current list on first use.
    SOASLClientPtr currentThreadASLClient();
    // The calling thread's table, or null before the thread's first message through any logger.
    static const SOASLClientTable* currentThreadASLClientsMapping();
    // The main thread's client; when it has none yet, it is opened now and the main thread takes it as its
    // own on its next message. Never waits for the main thread.
    SOASLClientPtr mainASLClient();

    template <typename... Arguments>
    void messageWithLevel(int level, const QString& prefix, const QString& suffix, const char* format,
        const Arguments&... arguments)
    {
        messageWithLevel(level, prefix, suffix, format, {FormatArgument(arguments)...});
    }
    // Sends one message: prefix, formatted text and suffix joined with nothing between (a null prefix or
    // suffix adds nothing). The joined text is never read as a format again. Held instead while the
    // calling thread has a HeldLog.
    void messageWithLevel(int level, const QString& prefix, const QString& suffix, const char* format,
        std::initializer_list<FormatArgument> arguments);
    // Sends a message formatted earlier, as it stands.
    void sendText(int level, const QString& text);

    template <typename... Arguments>
    void panic(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Panic, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void alert(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Alert, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void critical(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Critical, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void error(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Error, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void warning(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Warning, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void notice(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Notice, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void info(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Info, QString(), QString(), format, arguments...);
    }
    template <typename... Arguments>
    void debug(const char* format, const Arguments&... arguments)
    {
        messageWithLevel(SOLogLevel::Debug, QString(), QString(), format, arguments...);
    }

private:
    void dropCurrentThreadClient();
    // A client for the calling thread or the main thread, opened with the current list.
    SOASLClientPtr openClient() const;

    const std::uint64_t m_identifier;
    const QString m_facility;
    std::atomic<std::uint32_t> m_options;
    // Shared with every client opened for this logger, so that a removal reaches all of them.
    const std::shared_ptr<LoggingDescriptors> m_descriptors;
    std::mutex m_mainClientMutex;
    // The main thread's client, also while mainASLClient() holds it for the main thread's first message.
    SOASLClientPtr m_mainClient;
};

using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The program's way to log: a null logger means "no logging", so callers never test for it.
template <typename... Arguments>
void logDebug(const SOLoggerPtr& logger, const char* format, const Arguments&... arguments)
{
    if (logger)
        logger->debug(format, arguments...);
}

template <typename... Arguments>
void logInfo(const SOLoggerPtr& logger, const char* format, const Arguments&... arguments)
{
    if (logger)
        logger->info(format, arguments...);
}

template <typename... Arguments>
void logWarning(const SOLoggerPtr& logger, const char* format, const Arguments&... arguments)
{
    if (logger)
        logger->warning(format, arguments...);
}

template <typename... Arguments>
void logError(const SOLoggerPtr& logger, const char* format, const Arguments&... arguments)
{
    if (logger)
        logger->error(format, arguments...);
}

} // namespace pairsift
