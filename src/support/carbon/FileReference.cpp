#include "support/carbon/FileReference.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace pairsift {

bool getFSRef(const QString& path, FileReference* reference)
{
    if (path.isEmpty() || !reference)
        return false;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    struct statx status {};
    if (::statx(AT_FDCWD, QFile::encodeName(absolute).constData(), AT_SYMLINK_NOFOLLOW, STATX_INO | STATX_BTIME, &status) != 0)
        return false;
    reference->device = makedev(status.stx_dev_major, status.stx_dev_minor);
    reference->inode = status.stx_ino;
    reference->birthTime = (status.stx_mask & STATX_BTIME)
        ? static_cast<qint64>(status.stx_btime.tv_sec) * 1000000000 + status.stx_btime.tv_nsec
        : 0;
    reference->path = absolute;
    return true;
}

bool getFSSpec(const QString&, FSSpecRecord*)
{
    return false;
}

bool getFSSpec(const QUrl&, FSSpecRecord*)
{
    return false;
}

bool itemExists(const QString& path)
{
    FileReference reference;
    return getFSRef(path, &reference);
}

bool getFSRef(const QUrl& url, FileReference* reference)
{
    return url.isLocalFile() && getFSRef(url.toLocalFile(), reference);
}

bool compareFSRefs(const FileReference& first, const FileReference& second)
{
    const bool bothBorn = first.birthTime != 0 && second.birthTime != 0;
    return first.device == second.device && first.inode == second.inode
        && (!bothBorn || first.birthTime == second.birthTime);
}

QString stringWithFSRef(const FileReference& reference)
{
    FileReference current;
    if (!getFSRef(reference.path, &current) || !compareFSRefs(current, reference))
        return {};
    return current.path;
}

QUrl URLWithFSRef(const FileReference& reference)
{
    const QString path = stringWithFSRef(reference);
    return path.isNull() ? QUrl() : QUrl::fromLocalFile(path);
}

} // namespace pairsift
