#include "removal/FileRemover.h"

#include "removal/InterruptedRemovals.h"
#include "support/logging/SOLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pairsift {

RemovalFileSystem RemovalFileSystem::withTrash(MoveToTrash moveToTrash)
{
    return {std::move(moveToTrash), systemRenameWithoutReplacing};
}

FileRemover::FileRemover(SOLoggerPtr logger, RemovalFileSystem fileSystem, StopTest isStopped)
    : m_logger(std::move(logger))
    , m_fileSystem(std::move(fileSystem))
    , m_isStopped(std::move(isStopped))
{
}

bool FileRemover::existsAtPath(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

std::optional<RemovalResult> FileRemover::check(const FileItem& file, bool needsSameContent) const
{
    std::optional<RemovalResult> verdict = checkBeforeRemoval(file, needsSameContent, m_isStopped);
    if (verdict && verdict->outcome == RemovalOutcome::AlreadyGone)
        logInfo(m_logger, "File '%@' is already gone: %@", file.name(), verdict->reason);
    else if (verdict && verdict->outcome == RemovalOutcome::Refused)
        logError(m_logger, "Not removing '%@': %@", file.name(), verdict->reason);
    return verdict;
}

RemovalResult FileRemover::removeStagedFile(const QString& path, bool isMarked)
{
    RemovalResult result{RemovalOutcome::Removed, {}};
    if (isMarked) {
        // The check has just seen a regular file here; unlink never removes a folder.
        if (::unlink(QFile::encodeName(path).constData()) == 0)
            return result;
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error deleting file '%@': %@", path, message);
        result = {RemovalOutcome::Failed, QStringLiteral("it could not be deleted: ") + message};
    } else {
        Error error{QStringLiteral("NSPOSIXErrorDomain"), ENOTSUP, QStringLiteral("No Trash is available"), {}};
        if (m_fileSystem.moveToTrash && m_fileSystem.moveToTrash(path, &error))
            return result;
        logError(m_logger, "Error trashing file '%@': %ld", path, error.code);
        logDebug(m_logger, "%@", error.message());
        result = {RemovalOutcome::TrashFailed, QStringLiteral("it could not be moved to the Trash: ") + error.message()};
    }
    logFileInfo(path);
    return result;
}

RemovalResult FileRemover::deleteFile(const FileItem& file, bool isMarked)
{
    if (std::optional<RemovalResult> verdict = check(file, isMarked))
        return *verdict;
    return removeStagedFile(file.name(), isMarked);
}

RemovalResult FileRemover::deleteAndLinkFile(const FileItem& file, bool isMarked)
{
    const QString& path = file.name();
    if (!file.isRegularFile()) {
        logError(m_logger, "File '%@' is not in a plain folder and is never replaced by a link", path);
        return {RemovalOutcome::Refused, QStringLiteral("it is in a photo library and is never replaced by a link")};
    }
    const QString& kept = file.remainingFileName();
    if (kept.isEmpty()) {
        logWarning(m_logger, "File '%@' has nothing to link to", path);
        return {RemovalOutcome::Refused, QStringLiteral("it has no kept copy to link to")};
    }
    if (std::optional<RemovalResult> verdict = check(file, true))
        return *verdict;

    const QByteArray pathBytes = QFile::encodeName(path);
    const QByteArray target = QFile::encodeName(QFileInfo(kept).absoluteFilePath());
    const QByteArray temporaryLink = temporaryLinkPath(pathBytes);
    const QByteArray aside = asidePath(pathBytes);
    // Before the first change, so that whatever a crash leaves behind can be told apart.
    logInfo(m_logger, "Replacing '%@' by a link to '%@': the link is made as '%@', the file is kept as '%@' meanwhile",
        path, kept, QFile::decodeName(temporaryLink), QFile::decodeName(aside));
    if (::symlink(target.constData(), temporaryLink.constData()) != 0) {
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error writing bookmark to '%@': %@", path, message);
        return {RemovalOutcome::Failed, QStringLiteral("the link could not be made: ") + message};
    }
    // A second name for the file while its own is being replaced, so that it can come back.
    const bool hasAside = ::link(pathBytes.constData(), aside.constData()) == 0;
    if (!hasAside && isMarked) {
        // Without it a failure after the deletion would lose the file: never delete permanently so.
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error deleting file '%@': %@", path, message);
        rollBack(temporaryLink, {}, pathBytes, false);
        return {RemovalOutcome::Failed, QStringLiteral("it could not be kept safe while being replaced: ") + message};
    }
    const QByteArray keptAside = hasAside ? aside : QByteArray();
    const RemovalResult removed = removeStagedFile(path, isMarked);
    if (!removed.isGone()) {
        rollBack(temporaryLink, keptAside, pathBytes, false);
        return removed;
    }
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(temporaryLink, pathBytes, &error)) {
        logError(m_logger, "Error writing bookmark to '%@': %@", path, error.message());
        rollBack(temporaryLink, keptAside, pathBytes, true);
        return {RemovalOutcome::Failed, QStringLiteral("the link could not take its place: ") + error.message()};
    }
    if (hasAside)
        ::unlink(aside.constData());
    return {RemovalOutcome::Removed, {}};
}

void FileRemover::rollBack(const QByteArray& temporaryLink, const QByteArray& aside, const QByteArray& path,
    bool isFileRemoved) const
{
    ::unlink(temporaryLink.constData());
    if (aside.isNull())
        return;
    if (!isFileRemoved) {
        ::unlink(aside.constData());
        return;
    }
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(aside, path, &error))
        logError(m_logger, "Unable to put '%@' back, it stays as '%@': %@", QFile::decodeName(path),
            QFile::decodeName(aside), error.message());
}

void FileRemover::logFileInfo(const QString& path) const
{
    const QString fullPath = path.startsWith(QLatin1Char('~')) ? QDir::homePath() + path.mid(1) : path;
    const QUrl url = QUrl::fromLocalFile(fullPath);
    struct stat info {};
    if (::lstat(QFile::encodeName(fullPath).constData(), &info) != 0) {
        logError(m_logger, "Unable to retrieve resource values for URL: %@ (%@)", url.toString(),
            qt_error_string(errno));
        return;
    }
    const QFileInfo fileInfo(fullPath);
    const QString name = fileInfo.fileName();
    logDebug(m_logger, "*** FILE %@",
        QStringLiteral("{name = %1; isRegularFile = %2; isSymbolicLink = %3; isHidden = %4; mode = %5; owner = %6; "
                       "typeDescription = %7; parentDirectory = %8}")
            .arg(name)
            .arg(S_ISREG(info.st_mode) ? 1 : 0)
            .arg(S_ISLNK(info.st_mode) ? 1 : 0)
            .arg(name.startsWith(QLatin1Char('.')) ? 1 : 0)
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'))
            .arg(info.st_uid)
            .arg(FileItem::fileKindWithPathName(fullPath), fileInfo.path()));
    struct statvfs volume {};
    if (::statvfs(QFile::encodeName(fileInfo.path()).constData(), &volume) != 0) {
        logError(m_logger, "Unable to retrieve resource values for volume: %@ (%@)", fileInfo.path(),
            qt_error_string(errno));
        return;
    }
    logDebug(m_logger, "*** VOLUME %@",
        QStringLiteral("{totalCapacity = %1; availableCapacity = %2; isReadOnly = %3; maximumNameLength = %4}")
            .arg(quint64(volume.f_blocks) * volume.f_frsize)
            .arg(quint64(volume.f_bavail) * volume.f_frsize)
            .arg((volume.f_flag & ST_RDONLY) ? 1 : 0)
            .arg(quint64(volume.f_namemax)));
}

} // namespace pairsift
