#include "removal/InterruptedRemovals.h"

#include "photolibs/ContainerType.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QFile>
#include <QSet>

#include <cerrno>

#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

QByteArray besidePath(const QByteArray& path, const char* prefix)
{
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + prefix + path.mid(slash + 1);
}

QString decoded(const QByteArray& path)
{
    return QFile::decodeName(path);
}

void removeTemporaryLink(const QByteArray& path, const SOLoggerPtr& logger)
{
    const QByteArray link = temporaryLinkPath(path);
    struct stat status {};
    if (::lstat(link.constData(), &status) != 0 || !S_ISLNK(status.st_mode))
        return;
    if (::unlink(link.constData()) == 0)
        logInfo(logger, "Removed the temporary link '%@' of an interrupted removal", decoded(link));
    else
        logError(logger, "Unable to remove the temporary link '%@': %@", decoded(link), qt_error_string(errno));
}

void putAsideCopyBack(const QByteArray& path, const SOLoggerPtr& logger)
{
    const QByteArray aside = asidePath(path);
    struct stat asideStatus {};
    if (::lstat(aside.constData(), &asideStatus) != 0 || !S_ISREG(asideStatus.st_mode))
        return;
    struct stat current {};
    bool isPutBack = false;
    if (::lstat(path.constData(), &current) != 0) {
        if (errno != ENOENT) {
            logError(logger, "Unable to inspect file '%@': %@", decoded(path), qt_error_string(errno));
            return;
        }
        isPutBack = systemRenameWithoutReplacing(aside, path, nullptr);
    } else if (S_ISLNK(current.st_mode)) {
        // The link had taken the file's place, but the removal never finished: the file takes it back.
        isPutBack = ::rename(aside.constData(), path.constData()) == 0;
    } else if (S_ISREG(current.st_mode) && current.st_dev == asideStatus.st_dev && current.st_ino == asideStatus.st_ino) {
        // Interrupted before the file left its place: the second name is all there is to undo.
        if (::unlink(aside.constData()) == 0)
            logInfo(logger, "Removed the second name '%@' of '%@' left by an interrupted removal", decoded(aside), decoded(path));
        return;
    } else {
        logWarning(logger, "An interrupted removal left a copy of '%@' as '%@'; something else is at the path now",
            decoded(path), decoded(aside));
        return;
    }
    if (isPutBack)
        logInfo(logger, "Put '%@' back after an interrupted removal", decoded(path));
    else
        logError(logger, "Unable to put '%@' back, it stays as '%@': %@", decoded(path), decoded(aside), qt_error_string(errno));
}

} // namespace

bool systemRenameWithoutReplacing(const QByteArray& from, const QByteArray& to, Error* error)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    // A file system without the flag: a hard link refuses to replace just the same.
    if (errno == EINVAL && ::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    const int code = errno;
    setError(error, QStringLiteral("POSIX"), code, qt_error_string(code));
    errno = code;
    return false;
}

QByteArray temporaryLinkPath(const QByteArray& path)
{
    return besidePath(path, ".pairsift-link-");
}

QByteArray asidePath(const QByteArray& path)
{
    return besidePath(path, ".pairsift-aside-");
}

bool hasAsideCopy(const QString& path)
{
    struct stat status {};
    return ::lstat(asidePath(QFile::encodeName(path)).constData(), &status) == 0;
}

void recoverInterruptedRemovals(const QStringList& paths, const SOLoggerPtr& logger)
{
    for (const QString& path : paths) {
        const QByteArray encoded = QFile::encodeName(path);
        removeTemporaryLink(encoded, logger);
        putAsideCopyBack(encoded, logger);
    }
}

void recoverInterruptedRemovals(PairsiftDatabase& database, const SOLoggerPtr& logger)
{
    QSet<QString> paths;
    database.enumerateDeletedFiles([&paths](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&,
                                       const QString& linkTarget, const QString& containerType, const QString&, bool*) {
        // Only plain-folder files are ever replaced by links.
        if (containerType != containerTypeDirectory)
            return;
        paths.insert(path);
        if (!linkTarget.isEmpty())
            paths.insert(linkTarget);
    });
    recoverInterruptedRemovals(QStringList(paths.cbegin(), paths.cend()), logger);
}

} // namespace pairsift
