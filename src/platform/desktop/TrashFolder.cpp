#include "platform/desktop/TrashFolder.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

constexpr int folderFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// `name` inside `base`, made when missing; only a real folder of this user answers.
FileDescriptor ownFolder(int base, const QByteArray& name)
{
    if (::mkdirat(base, name.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    FileDescriptor folder(::openat(base, name.constData(), folderFlags));
    struct stat status {};
    if (folder.isOpen() && (::fstat(folder.get(), &status) != 0 || status.st_uid != ::geteuid())) {
        folder.reset();
        errno = EPERM;
    }
    return folder;
}

QByteArray parentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

bool isMountRoot(const QByteArray& path)
{
    struct statx status {};
    return ::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, 0, &status) == 0
        && (status.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (status.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

// The top folder of the volume that holds `folderPath` (on device `device`): the mount's root, or failing
// that the last folder up the path still on the same device.
QByteArray topFolderOf(const QByteArray& folderPath, dev_t device)
{
    QByteArray top = folderPath;
    while (top != "/" && !isMountRoot(top)) {
        const QByteArray parent = parentOf(top);
        struct stat status {};
        if (::lstat(parent.constData(), &status) != 0 || status.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

} // namespace

bool TrashFolder::openFor(int folder, const QByteArray& folderPath, Error* error)
{
    struct stat folderStatus {};
    if (::fstat(folder, &folderStatus) != 0)
        return systemFailure(error, errno, QStringLiteral("Unable to inspect the file's folder"));
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(dataHome);
    const QByteArray encodedDataHome = QFile::encodeName(dataHome);
    struct stat dataStatus {};
    if (::stat(encodedDataHome.constData(), &dataStatus) == 0 && dataStatus.st_dev == folderStatus.st_dev)
        return openHomeTrash(encodedDataHome, error);
    return openVolumeTrash(topFolderOf(folderPath, folderStatus.st_dev), error);
}

bool TrashFolder::openHomeTrash(const QByteArray& dataHome, Error* error)
{
    // The data folder itself may be a link the user made; the trash inside it may not.
    const FileDescriptor data(::open(dataHome.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const FileDescriptor trash = data.isOpen() ? ownFolder(data.get(), "Trash") : FileDescriptor();
    if (!trash.isOpen())
        return systemFailure(error, errno, QStringLiteral("Unable to find or create the home Trash"));
    m_topFolder.clear();
    return openParts(trash, error);
}

bool TrashFolder::openVolumeTrash(const QByteArray& topFolder, Error* error)
{
    const FileDescriptor top(::open(topFolder.constData(), folderFlags));
    if (!top.isOpen())
        return systemFailure(error, errno, QStringLiteral("Unable to open the top folder of the file's volume"));
    const QByteArray user = QByteArray::number(::geteuid());
    FileDescriptor trash;
    struct stat shared {};
    if (::fstatat(top.get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(shared.st_mode)
        && (shared.st_mode & S_ISVTX)) {
        const FileDescriptor sharedFolder(::openat(top.get(), ".Trash", folderFlags));
        if (sharedFolder.isOpen())
            trash = ownFolder(sharedFolder.get(), user);
    }
    if (!trash.isOpen())
        trash = ownFolder(top.get(), ".Trash-" + user);
    if (!trash.isOpen())
        return systemFailure(error, errno, QStringLiteral("Unable to find or create a Trash on the file's volume"));
    m_topFolder = topFolder;
    return openParts(trash, error);
}

bool TrashFolder::openParts(const FileDescriptor& trash, Error* error)
{
    m_files = ownFolder(trash.get(), "files");
    m_info = m_files.isOpen() ? ownFolder(trash.get(), "info") : FileDescriptor();
    return m_info.isOpen() || systemFailure(error, errno, QStringLiteral("Unable to find or create the Trash's folders"));
}

QByteArray TrashFolder::recordedPath(const QByteArray& path) const
{
    if (m_topFolder.isEmpty())
        return path;
    return m_topFolder == "/" ? path.mid(1) : path.mid(m_topFolder.size() + 1);
}

} // namespace pairsift
