#include "model/FileAttributes.h"

#include <QFile>

#include <cerrno>

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

bool FileAttributes::isRegularFile() const
{
    return S_ISREG(mode);
}

std::optional<FileAttributes> readFileAttributes(const QString& path, int* error)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty()) {
        if (error)
            *error = ENOENT;
        return std::nullopt;
    }
    return readFileAttributesAt(AT_FDCWD, encoded.constData(), error);
}

std::optional<FileAttributes> readFileAttributesAt(int folder, const char* name, int* error)
{
    struct statx status {};
    const unsigned wanted = STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_INO | STATX_MTIME | STATX_BTIME;
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW, wanted, &status) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    FileAttributes attributes;
    attributes.size = status.stx_size;
    attributes.creationMSecs = creationMSecsOf(status);
    attributes.id = FileId{makedev(status.stx_dev_major, status.stx_dev_minor), status.stx_ino};
    attributes.mode = status.stx_mode;
    return attributes;
}

} // namespace pairsift
