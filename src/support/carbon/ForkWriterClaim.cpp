#include "support/carbon/ForkWriterClaim.h"

#include "platform/ConsoleLog.h"

#include <QFile>

#include <cerrno>

#include <mutex>
#include <set>
#include <sys/stat.h>

namespace pairsift {

namespace {

std::mutex claimsLock;
std::set<std::pair<quint64, quint64>>& claims()
{
    static std::set<std::pair<quint64, quint64>> files;
    return files;
}

} // namespace

std::optional<ForkWriterClaim> ForkWriterClaim::claim(const QString& path, Error* error)
{
    // Followed like the attribute calls follow it, so a link and its target are one file.
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0) {
        setError(error, "NSPOSIXErrorDomain", errno, QString("\"%1\" cannot be found").arg(path));
        return std::nullopt;
    }
    const FileId file{status.st_dev, status.st_ino};
    const std::lock_guard<std::mutex> guard(claimsLock);
    if (!claims().insert(file).second) {
        const QString text = QString("The resource fork of \"%1\" is already open for writing; close it before "
                                     "opening it for writing again").arg(path);
        consoleLogText(text);
        setError(error, "NSPOSIXErrorDomain", EBUSY, text);
        return std::nullopt;
    }
    return ForkWriterClaim(file);
}

ForkWriterClaim& ForkWriterClaim::operator=(ForkWriterClaim&& other) noexcept
{
    if (this != &other) {
        release();
        m_file = std::exchange(other.m_file, std::nullopt);
    }
    return *this;
}

ForkWriterClaim::~ForkWriterClaim()
{
    release();
}

void ForkWriterClaim::release()
{
    if (!m_file)
        return;
    const std::lock_guard<std::mutex> guard(claimsLock);
    claims().erase(*m_file);
    m_file.reset();
}

} // namespace pairsift
