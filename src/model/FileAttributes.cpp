#include "model/FileAttributes.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace pairsift {

namespace {

qint64 toMSecs(const struct statx_timestamp& time)
{
    // tv_nsec is never negative, so dividing rounds toward the earlier millisecond also before 1970.
    return static_cast<qint64>(time.tv_sec) * 1000 + time.tv_nsec / 1000000;
}

} // namespace

qint64 creationMSecsOf(const struct statx& status)
{
    return (status.stx_mask & STATX_BTIME) ? toMSecs(status.stx_btime) : toMSecs(status.stx_mtime);
}

std::optional<FileAttributes> readFileAttributes(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct statx status {};
    const unsigned wanted = STATX_SIZE | STATX_INO | STATX_MTIME | STATX_BTIME;
    if (encoded.isEmpty() || ::statx(AT_FDCWD, encoded.constData(), AT_SYMLINK_NOFOLLOW, wanted, &status) != 0)
        return std::nullopt;
    FileAttributes attributes;
    attributes.size = status.stx_size;
    attributes.creationMSecs = creationMSecsOf(status);
    attributes.id = FileId{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino};
    return attributes;
}

} // namespace pairsift
