#include "model/ContentOpen.h"

#include "model/FileItem.h"
#include "support/foundation/PathClassification.h"

#include <QByteArray>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pairsift {

namespace {

constexpr int contentFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
constexpr int folderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

std::atomic<bool> isOpenat2Disabled{false};

int retried(auto open)
{
    int descriptor;
    do {
        descriptor = open();
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

int openat2Beneath(int folder, const char* path, int flags)
{
    open_how how{};
    how.flags = static_cast<std::uint64_t>(flags);
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
    // EAGAIN: a rename elsewhere raced the lookup; looking again is safe, a few times.
    int descriptor = -1;
    for (int attempt = 0; attempt < 8; ++attempt) {
        descriptor = retried([&] { return static_cast<int>(::syscall(SYS_openat2, folder, path, &how, sizeof how)); });
        if (descriptor >= 0 || errno != EAGAIN)
            break;
    }
    return descriptor;
}

bool useOpenat2()
{
    // Asked once: a kernel before 5.6, or a sandbox that filters the call, answers ENOSYS or EPERM.
    static const bool hasOpenat2 = [] {
        const int descriptor = openat2Beneath(AT_FDCWD, ".", O_PATH | O_CLOEXEC);
        if (descriptor >= 0)
            ::close(descriptor);
        return descriptor >= 0 || (errno != ENOSYS && errno != EPERM);
    }();
    return hasOpenat2 && !isOpenat2Disabled.load(std::memory_order_relaxed);
}

void closeKeepingError(int descriptor)
{
    const int savedError = errno;
    ::close(descriptor);
    errno = savedError;
}

// Where the next step of `relative` ends: with openat2 all of it when one call takes it, else at a "/";
// without it, at the next "/", one name per step.
qsizetype stepEnd(const QByteArray& relative, qsizetype from, bool isBeneath)
{
    if (!isBeneath) {
        const qsizetype slash = relative.indexOf('/', from);
        return slash < 0 ? relative.size() : slash;
    }
    if (relative.size() - from < PATH_MAX)
        return relative.size();
    const qsizetype slash = relative.lastIndexOf('/', from + PATH_MAX - 1);
    return slash > from ? slash : relative.size();
}

// Opens `relative` below `folder` step by step, the last step with `lastFlags`; the folders on the way are
// closed again. With openat2 no step may leave its folder or meet a link; without it each step is one name,
// not "..", no link followed (a folder that is a link fails with O_DIRECTORY).
int openBeneath(int folder, const QByteArray& relative, int lastFlags)
{
    const bool isBeneath = useOpenat2();
    int current = folder;
    qsizetype from = 0;
    for (;;) {
        const qsizetype end = stepEnd(relative, from, isBeneath);
        const bool isLast = end == relative.size();
        if (!isLast && end == from) { // "a//b"
            from = end + 1;
            continue;
        }
        const QByteArray step = from == 0 && isLast ? relative : relative.mid(from, end - from);
        const int flags = isLast ? lastFlags : folderFlags;
        int descriptor = -1;
        if (isBeneath) {
            descriptor = openat2Beneath(current, step.constData(), flags);
        } else if (step == "." || step == "..") {
            errno = EXDEV; // as openat2 answers a path that would leave its folder
        } else {
            descriptor = retried([&] { return ::openat(current, step.constData(), flags); });
        }
        if (current != folder)
            closeKeepingError(current);
        if (descriptor < 0 || isLast)
            return descriptor;
        current = descriptor;
        from = end + 1;
    }
}

} // namespace

LocationFolders::~LocationFolders()
{
    for (const auto& [location, folder] : m_folders) {
        if (folder.descriptor >= 0)
            ::close(folder.descriptor);
    }
}

void LocationFolders::add(const FileItem& file)
{
    const QString& location = file.containerPath();
    if (location.isEmpty() || find(location))
        return;
    Folder folder;
    folder.descriptor = openLocationFolder(location);
    folder.error = folder.descriptor < 0 ? errno : 0;
    m_folders.emplace_back(&location, folder);
}

const LocationFolders::Folder* LocationFolders::find(const QString& location) const
{
    for (const auto& [key, folder] : m_folders) {
        if (key == &location)
            return &folder;
    }
    return nullptr;
}

OpenedContent openContent(const FileItem& file, const LocationFolders* folders)
{
    OpenedContent content;
    const QString& name = file.name();
    const QString& location = file.containerPath();
    const bool isBelowLocation = name.size() > location.size() && isPathAtOrBelow(name, location);

    int descriptor = -1;
    if (isBelowLocation) {
        const LocationFolders::Folder* known = folders ? folders->find(location) : nullptr;
        LocationFolders::Folder own;
        if (!known) {
            own.descriptor = openLocationFolder(location);
            own.error = own.descriptor < 0 ? errno : 0;
        }
        const LocationFolders::Folder& folder = known ? *known : own;
        if (folder.descriptor >= 0)
            descriptor = openBeneath(folder.descriptor, QFile::encodeName(pathBelow(name, location)), contentFlags);
        else
            errno = folder.error;
        if (own.descriptor >= 0)
            closeKeepingError(own.descriptor);
    } else {
        descriptor = retried([&] { return ::open(QFile::encodeName(name).constData(), contentFlags); });
    }
    if (descriptor < 0) {
        content.failure = qt_error_string(errno);
        return content;
    }

    struct stat status {};
    if (::fstat(descriptor, &status) != 0)
        content.failure = qt_error_string(errno);
    else if (!S_ISREG(status.st_mode))
        content.failure = QStringLiteral("not a regular file");
    // Known to be regular: reads may block as reads of a file do. Of the flags F_SETFL changes only
    // O_NONBLOCK was set.
    else if (::fcntl(descriptor, F_SETFL, 0) != 0)
        content.failure = qt_error_string(errno);
    if (!content.failure.isEmpty()) {
        ::close(descriptor);
        return content;
    }
    content.descriptor = descriptor;
    content.id = FileId{status.st_dev, status.st_ino};
    content.size = static_cast<quint64>(status.st_size);
    return content;
}

int openLocationFolder(const QString& location)
{
    // A location is a canonical path, so a link in its place is refused.
    return retried([&] { return ::open(QFile::encodeName(location).constData(), folderFlags); });
}

int openFolderBeneath(int folder, const QByteArray& relative)
{
    return openBeneath(folder, relative, folderFlags);
}

void setOpenat2Disabled(bool isDisabled)
{
    isOpenat2Disabled.store(isDisabled, std::memory_order_relaxed);
}

} // namespace pairsift
