#include "removal/RemovalCheckedFile.h"

#include "model/ContentOpen.h"
#include "model/FileItem.h"

#include <cerrno>
#include <ctime>

#include <fcntl.h>

namespace pairsift {
namespace {

bool isSameTime(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool isSameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_mode == b.st_mode && a.st_size == b.st_size
        && isSameTime(a.st_mtim, b.st_mtim);
}

bool isUnchanged(const struct stat& a, const struct stat& b)
{
    return isSameFile(a, b) && isSameTime(a.st_ctim, b.st_ctim);
}

bool isLater(const struct timespec& a, const struct timespec& b)
{
    return a.tv_sec > b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec > b.tv_nsec);
}

// File times come from a clock that moves in ticks, and some file systems keep whole (FAT: even) seconds
// only: a change in the tick the file last changed in would leave its times as they are. So a file that
// changed within that tick is looked at once the tick has passed, and any later change shows. Times
// further ahead than that come from another clock, and waiting would not help.
void waitForTheClockToPass(const struct stat& status)
{
    struct timespec latest = isLater(status.st_ctim, status.st_mtim) ? status.st_ctim : status.st_mtim;
    if (latest.tv_nsec == 0)
        latest.tv_sec += 2;
    struct timespec now {};
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0 || latest.tv_sec > now.tv_sec + 3)
        return;
    const struct timespec pause {0, 1000000};
    while (!isLater(now, latest)) {
        ::nanosleep(&pause, nullptr);
        if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) != 0)
            return;
    }
}

} // namespace

bool RemovalCheckedFile::look(int folder, const QByteArray& name)
{
    if (::fstatat(folder, name.constData(), &m_status, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    waitForTheClockToPass(m_status);
    return true;
}

bool RemovalCheckedFile::open(int folder, const QByteArray& name)
{
    int descriptor;
    do {
        descriptor = ::openat(folder, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    m_descriptor.reset(descriptor);
    struct stat opened {};
    if (!m_descriptor.isOpen())
        return false;
    if (::fstat(m_descriptor.get(), &opened) != 0 || !isUnchanged(opened, m_status)) {
        m_descriptor.reset();
        errno = ESTALE;
        return false;
    }
    return true;
}

std::optional<Sha1Digest> RemovalCheckedFile::digest(const QString& path, const StopTest& isStopped) const
{
    // The reader closes what it is given: it gets a second descriptor, and this one keeps the file.
    const int reading = ::fcntl(m_descriptor.get(), F_DUPFD_CLOEXEC, 0);
    if (reading < 0)
        return std::nullopt;
    FileItem item(path);
    item.setTotalSize(static_cast<quint64>(m_status.st_size));
    const FileId id{static_cast<std::uint64_t>(m_status.st_dev), static_cast<std::uint64_t>(m_status.st_ino)};
    item.setFileId(id);
    return item.contentSHA1(OpenedContent{reading, id, item.totalSize(), {}},
        [&isStopped](quint64, quint64, bool* stop) { *stop = isStopped && isStopped(); });
}

bool RemovalCheckedFile::isAt(int folder, const QByteArray& name) const
{
    struct stat current {};
    return ::fstatat(folder, name.constData(), &current, AT_SYMLINK_NOFOLLOW) == 0 && isUnchanged(current, m_status);
}

bool RemovalCheckedFile::acceptRename(int folder, const QByteArray& name)
{
    struct stat current {};
    if (::fstatat(folder, name.constData(), &current, AT_SYMLINK_NOFOLLOW) != 0 || !isSameFile(current, m_status))
        return false;
    m_status = current;
    return true;
}

} // namespace pairsift
