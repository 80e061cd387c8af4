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

QByteArray readWhole(const char* path)
{
    const FileDescriptor file(::open(path, O_RDONLY | O_CLOEXEC));
    QByteArray text;
    char buffer[8192];
    ssize_t length = 0;
    while (file.isOpen() && (length = ::read(file.get(), buffer, sizeof buffer)) != 0) {
        if (length < 0 && errno != EINTR)
            return {};
        if (length > 0)
            text.append(buffer, length);
    }
    return text;
}

// A path as mountinfo writes it: space, tab, newline and backslash as three octal digits after a backslash.
QByteArray unescaped(const QByteArray& field)
{
    QByteArray text;
    for (qsizetype at = 0; at < field.size(); ++at) {
        const QByteArray digits = field.mid(at + 1, 3);
        bool isOctal = field.at(at) == '\\' && digits.size() == 3;
        const int code = isOctal ? digits.toInt(&isOctal, 8) : 0;
        if (isOctal) {
            text.append(static_cast<char>(code));
            at += 3;
        } else {
            text.append(field.at(at));
        }
    }
    return text;
}

// The mount point of the mount that holds the open `folder`, as this thread sees the mounts; empty (errno
// set) when it cannot be told.
QByteArray mountPointOf(int folder)
{
    struct statx status {};
    if (::statx(folder, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &status) != 0)
        return {};
    if (!(status.stx_mask & STATX_MNT_ID)) {
        errno = ENOSYS;
        return {};
    }
    const QByteArray id = QByteArray::number(static_cast<qulonglong>(status.stx_mnt_id));
    // "36 35 98:0 /root /mount/point options… - type source options"
    for (const QByteArray& line : readWhole("/proc/thread-self/mountinfo").split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4 && fields.at(0) == id)
            return unescaped(fields.at(4));
    }
    errno = ENOENT;
    return {};
}

} // namespace

bool TrashFolder::openFor(int folder, Error* error)
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
    return openMountTrashFor(folder, error);
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

bool TrashFolder::openMountTrashFor(int folder, Error* error)
{
    const QByteArray topFolder = mountPointOf(folder);
    const FileDescriptor top(topFolder.isEmpty() ? -1 : ::open(topFolder.constData(), folderFlags));
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

QByteArray TrashFolder::recordedPath(int folder, const QByteArray& path) const
{
    if (isHomeTrash())
        return path;
    // Where the folder really is on its mount: the path given may lead there through links.
    char buffer[4096];
    const ssize_t length = ::readlink(("/proc/self/fd/" + QByteArray::number(folder)).constData(), buffer, sizeof buffer);
    if (length <= 0 || length == sizeof buffer)
        return path; // an absolute path is as valid in a mount's trash
    const QByteArray folderPath(buffer, length);
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    if (folderPath == m_topFolder)
        return name;
    const QByteArray top = m_topFolder == "/" ? QByteArray() : m_topFolder;
    return folderPath.startsWith(top + '/') ? folderPath.mid(top.size() + 1) + '/' + name : path;
}

} // namespace pairsift
