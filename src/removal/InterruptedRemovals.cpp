#include "removal/InterruptedRemovals.h"

#include "photolibs/ContainerType.h"
#include "platform/FileNames.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

const QByteArray linkPrefix = ".pairsift-link-";
const QByteArray asidePrefix = ".pairsift-aside-";
// Hex digits of the name's digest in a shortened beside name: 64 bits, no two names of one folder meet.
constexpr qsizetype digestLength = 16;

QByteArray besideName(const QByteArray& name, const QByteArray& prefix)
{
    if (prefix.size() + name.size() <= maximumNameLength)
        return prefix + name;
    const QByteArray digest = QCryptographicHash::hash(name, QCryptographicHash::Sha1).toHex().left(digestLength);
    return prefix + leadingBytes(name, maximumNameLength - prefix.size() - digestLength - 1) + '~' + digest;
}

QByteArray besidePath(const QByteArray& path, const QByteArray& prefix)
{
    const qsizetype slash = path.lastIndexOf('/');
    return path.left(slash + 1) + besideName(path.mid(slash + 1), prefix);
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
        isPutBack = renameWithoutReplacing(AT_FDCWD, aside.constData(), AT_FDCWD, path.constData());
    } else if (S_ISLNK(current.st_mode)) {
        // The link had taken the file's place, but the file set aside was never deleted: it takes it back.
        isPutBack = ::rename(aside.constData(), path.constData()) == 0;
    } else if (S_ISREG(current.st_mode) && current.st_dev == asideStatus.st_dev && current.st_ino == asideStatus.st_ino) {
        // A second name beside the file itself, as an earlier version gave it: the name is all there is to undo.
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

QByteArray temporaryLinkName(const QByteArray& name)
{
    return besideName(name, linkPrefix);
}

QByteArray asideName(const QByteArray& name)
{
    return besideName(name, asidePrefix);
}

QByteArray temporaryLinkPath(const QByteArray& path)
{
    return besidePath(path, linkPrefix);
}

QByteArray asidePath(const QByteArray& path)
{
    return besidePath(path, asidePrefix);
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
