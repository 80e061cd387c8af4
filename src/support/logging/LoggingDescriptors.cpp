#include "support/logging/LoggingDescriptors.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace pairsift {

LoggingDescriptors::~LoggingDescriptors()
{
    removeAll();
}

void LoggingDescriptors::add(int fileDescriptor)
{
    const std::lock_guard lock(m_mutex);
    m_entries.push_back({fileDescriptor, m_nextIdentifier++});
}

int LoggingDescriptors::openOwnedFile(const QString& path, Error* error)
{
    const int fileDescriptor = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fileDescriptor < 0) {
        const int openError = errno;
        setError(error, QStringLiteral("POSIX"), openError, QStringLiteral("Could not open the log file '%1'").arg(path),
            QString::fromLocal8Bit(std::strerror(openError)));
        return -1;
    }
    const std::lock_guard lock(m_mutex);
    m_entries.push_back({fileDescriptor, m_nextIdentifier++});
    m_ownedFiles.push_back(fileDescriptor);
    return fileDescriptor;
}

void LoggingDescriptors::remove(int fileDescriptor)
{
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [fileDescriptor](const Entry& entry) { return entry.fileDescriptor == fileDescriptor; });
    closeOwned(fileDescriptor);
}

void LoggingDescriptors::removeAll()
{
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
    while (!m_ownedFiles.empty())
        closeOwned(m_ownedFiles.back());
}

std::vector<LoggingDescriptors::Entry> LoggingDescriptors::entries() const
{
    const std::lock_guard lock(m_mutex);
    return m_entries;
}

QList<int> LoggingDescriptors::fileDescriptors() const
{
    const std::lock_guard lock(m_mutex);
    QList<int> fileDescriptors;
    fileDescriptors.reserve(static_cast<qsizetype>(m_entries.size()));
    for (const Entry& entry : m_entries)
        fileDescriptors.append(entry.fileDescriptor);
    return fileDescriptors;
}

bool LoggingDescriptors::isListed(std::uint64_t identifier) const
{
    return std::any_of(m_entries.begin(), m_entries.end(),
        [identifier](const Entry& entry) { return entry.identifier == identifier; });
}

void LoggingDescriptors::closeOwned(int fileDescriptor)
{
    // Called with the list held exclusively: no client is writing, and none will find the entry again.
    const auto owned = std::find(m_ownedFiles.begin(), m_ownedFiles.end(), fileDescriptor);
    if (owned == m_ownedFiles.end())
        return;
    m_ownedFiles.erase(owned);
    ::close(fileDescriptor);
}

} // namespace pairsift
