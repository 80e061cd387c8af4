#include "support/logging/SOLogger.h"

#include "platform/MainQueue.h"
#include "support/logging/HeldLog.h"
#include "support/logging/LoggingDescriptors.h"

namespace pairsift {

namespace {

std::uint64_t nextLoggerIdentifier()
{
    static std::atomic<std::uint64_t> counter{0};
    return counter.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Touched only by its own thread; its clients close when the thread ends.
thread_local std::unique_ptr<SOASLClientTable> currentThreadClients;

} // namespace

SOLogger::SOLogger()
    : SOLogger(QString(), SOLoggerDefaultClientOptions)
{
}

SOLogger::SOLogger(const QString& facility, std::uint32_t options)
    : m_identifier(nextLoggerIdentifier())
    , m_facility(facility)
    , m_options(options)
    , m_descriptors(std::make_shared<LoggingDescriptors>())
{
}

SOLogger::~SOLogger()
{
    // Clients that other threads opened outlive the logger; they must not write to descriptors whose
    // owner may close or reuse them from now on.
    m_descriptors->removeAll();
}

std::shared_ptr<SOLogger> SOLogger::loggerForFacility(const QString& facility, std::uint32_t options)
{
    return std::make_shared<SOLogger>(facility, options);
}

QList<int> SOLogger::additionalFileDescriptors() const
{
    return m_descriptors->fileDescriptors();
}

void SOLogger::addFileDescriptor(int fileDescriptor)
{
    m_descriptors->add(fileDescriptor);
    dropCurrentThreadClient();
}

void SOLogger::removeFileDescriptor(int fileDescriptor)
{
    m_descriptors->remove(fileDescriptor);
    dropCurrentThreadClient();
}

int SOLogger::openLogFile(const QString& path, Error* error)
{
    const int fileDescriptor = m_descriptors->openOwnedFile(path, error);
    if (fileDescriptor >= 0)
        dropCurrentThreadClient();
    return fileDescriptor;
}

void SOLogger::dropCurrentThreadClient()
{
    if (currentThreadClients)
        currentThreadClients->erase(m_identifier);
    if (isMainThread()) {
        const std::lock_guard lock(m_mainClientMutex);
        m_mainClient.reset();
    }
}

SOASLClientPtr SOLogger::openClient() const
{
    auto client = SOASLClient::client();
    client->openForFacility(m_facility, ASLClientOptions());
    client->attachLoggerDescriptors(m_descriptors);
    return client;
}

SOASLClientPtr SOLogger::currentThreadASLClient()
{
    if (!currentThreadClients)
        currentThreadClients = std::make_unique<SOASLClientTable>();
    if (const auto found = currentThreadClients->find(m_identifier); found != currentThreadClients->end())
        return found->second;

    SOASLClientPtr client;
    if (isMainThread()) {
        // Takes the client that mainASLClient() may already have opened for this thread.
        const std::lock_guard lock(m_mainClientMutex);
        if (!m_mainClient)
            m_mainClient = openClient();
        client = m_mainClient;
    } else {
        client = openClient();
    }
    currentThreadClients->emplace(m_identifier, client);
    return client;
}

const SOASLClientTable* SOLogger::currentThreadASLClientsMapping()
{
    return currentThreadClients.get();
}

SOASLClientPtr SOLogger::mainASLClient()
{
    // Opened here, on the calling thread, when the main thread has none yet: a worker must never wait for
    // the main thread, which may be waiting to join it. Opening a client touches nothing thread-bound.
    const std::lock_guard lock(m_mainClientMutex);
    if (!m_mainClient)
        m_mainClient = openClient();
    return m_mainClient;
}

void SOLogger::messageWithLevel(int level, const QString& prefix, const QString& suffix, const char* format,
    std::initializer_list<FormatArgument> arguments)
{
    QString text = prefix + formatArguments(format, arguments) + suffix;
    if (HeldLog* held = HeldLog::current())
        held->hold(*this, level, std::move(text));
    else
        sendText(level, text);
}

void SOLogger::sendText(int level, const QString& text)
{
    // A client that could not be opened loses the message; logging never stops the program.
    currentThreadASLClient()->log(level, m_facility, text);
}

} // namespace pairsift
