#include "support/logging/SOASLClient.h"

#include "platform/WriteAll.h"
#include "support/logging/LogOutput.h"
#include "support/logging/LoggingDescriptors.h"

#include <algorithm>
#include <mutex>

#include <unistd.h>

namespace pairsift {

namespace {

QString facilityOrDefault(const QString& facility)
{
    return facility.isNull() ? QString::fromLatin1(SOLoggerDefaultFacility) : facility;
}

} // namespace

std::shared_ptr<SOASLClient> SOASLClient::client()
{
    return std::make_shared<SOASLClient>();
}

SOASLClient::~SOASLClient()
{
    close();
}

void SOASLClient::openForFacility(const QString& facility, std::uint32_t options)
{
    if (m_open)
        return;
    m_facility = facilityOrDefault(facility);
    m_systemLogIdentity = m_facility.toUtf8();
    m_options = options;
    m_open = true;
}

void SOASLClient::close()
{
    if (!m_open)
        return;
    m_open = false;
    m_destinations.clear();
    m_loggerDescriptors.reset();
}

bool SOASLClient::addLoggingDescriptor(int fileDescriptor)
{
    if (!m_open)
        return false;
    m_destinations.push_back({fileDescriptor, 0});
    return true;
}

bool SOASLClient::removeLoggingDescriptor(int fileDescriptor)
{
    if (!m_open)
        return false;
    std::erase_if(m_destinations,
        [fileDescriptor](const Destination& destination) { return destination.fileDescriptor == fileDescriptor; });
    return true;
}

QList<int> SOASLClient::loggingDescriptors() const
{
    QList<int> fileDescriptors;
    fileDescriptors.reserve(static_cast<qsizetype>(m_destinations.size()));
    for (const Destination& destination : m_destinations)
        fileDescriptors.append(destination.fileDescriptor);
    return fileDescriptors;
}

void SOASLClient::attachLoggerDescriptors(std::shared_ptr<const LoggingDescriptors> descriptors)
{
    if (!m_open)
        return;
    for (const LoggingDescriptors::Entry& entry : descriptors->entries())
        m_destinations.push_back({entry.fileDescriptor, entry.identifier});
    m_loggerDescriptors = std::move(descriptors);
}

void SOASLClient::log(int level, const QString& facility, const QString& text) const
{
    if (!m_open)
        return;
    const QString stamp = facilityOrDefault(facility);
    if (!(m_options & SOLoggerOptionNoSystemLog))
        sendToSystemLog(m_systemLogIdentity, level, m_options & SOLoggerOptionNoDelay, text.toUtf8());
    if (!(m_options & SOLoggerOptionStandardError) && m_destinations.empty())
        return;

    const QByteArray line = logLine(level, stamp, text);
    if (m_options & SOLoggerOptionStandardError)
        writeAll(STDERR_FILENO, line.constData(), static_cast<std::size_t>(line.size()));
    if (m_destinations.empty())
        return;
    std::unique_lock<std::mutex> hold;
    if (m_loggerDescriptors)
        hold = m_loggerDescriptors->holdForWriting();
    for (const Destination& destination : m_destinations) {
        if (destination.entry == 0 || m_loggerDescriptors->isListed(destination.entry))
            writeAll(destination.fileDescriptor, line.constData(), static_cast<std::size_t>(line.size()));
    }
}

} // namespace pairsift
