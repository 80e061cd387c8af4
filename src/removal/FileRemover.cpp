#include "removal/FileRemover.h"

#include "platform/FileNames.h"
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
namespace {

const QString notLinked = QStringLiteral("could not be replaced by a link");

// The full path of `name` in the folder of `path`, for the log.
QString pathBeside(const QString& path, const QByteArray& name)
{
    return QFileInfo(path).absolutePath() + QLatin1Char('/') + QFile::decodeName(name);
}

} // namespace

RemovalFileSystem RemovalFileSystem::withTrash(MoveToTrash moveToTrash)
{
    return {std::move(moveToTrash), [](int folder, const QByteArray& from, const QByteArray& to, Error* error) {
                return pairsift::renameWithoutReplacing(folder, from.constData(), folder, to.constData())
                    || systemFailure(error, errno, qt_error_string(errno));
            }};
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

void FileRemover::log(const QString& path, const RemovalCheck& check) const
{
    const std::optional<RemovalResult>& verdict = check.verdict();
    if (verdict && verdict->outcome == RemovalOutcome::AlreadyGone)
        logInfo(m_logger, "File '%@' is already gone: %@", path, verdict->reason);
    else if (verdict && verdict->outcome == RemovalOutcome::Refused)
        logError(m_logger, "Not removing '%@': %@", path, verdict->reason);
}

RemovalResult FileRemover::changed(const QString& path) const
{
    logError(m_logger, "Not removing '%@': %@", path, RemovalCheck::changedWhileChecked);
    return RemovalCheck::changedRefusal();
}

RemovalResult FileRemover::removeStagedFile(const RemovalCheck& check, const QString& path, bool isMarked)
{
    RemovalResult result{RemovalOutcome::Removed, {}, {}};
    if (isMarked) {
        if (!check.isUnchanged(check.name()))
            return changed(path);
        // The name holds the regular file that was checked; unlinkat without a flag never removes a folder.
        if (::unlinkat(check.folder(), check.name().constData(), 0) == 0)
            return result;
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error deleting file '%@': %@", path, message);
        result = {RemovalOutcome::Failed, QStringLiteral("it could not be deleted: ") + message,
            QStringLiteral("could not be deleted")};
    } else {
        bool hasChanged = false;
        const auto mayMove = [&] {
            hasChanged = !check.isUnchanged(check.name());
            return !hasChanged;
        };
        Error error{QStringLiteral("NSPOSIXErrorDomain"), ENOTSUP, QStringLiteral("No Trash is available"), {}};
        if (m_fileSystem.moveToTrash && m_fileSystem.moveToTrash(check.folder(), check.name(), path, mayMove, &error))
            return result;
        if (hasChanged)
            return changed(path);
        logError(m_logger, "Error trashing file '%@': %ld", path, error.code);
        logDebug(m_logger, "%@", error.message());
        result = {RemovalOutcome::TrashFailed, QStringLiteral("it could not be moved to the Trash: ") + error.message(),
            QStringLiteral("could not be moved to the Trash")};
    }
    logFileInfo(path);
    return result;
}

RemovalResult FileRemover::deleteFile(const FileItem& file, bool isMarked)
{
    const RemovalCheck check(file, isMarked, m_isStopped);
    log(file.name(), check);
    return check.verdict() ? *check.verdict() : removeStagedFile(check, file.name(), isMarked);
}

RemovalResult FileRemover::deleteAndLinkFile(const FileItem& file, bool isMarked)
{
    const QString& path = file.name();
    if (!file.isRegularFile()) {
        logError(m_logger, "File '%@' is not in a plain folder and is never replaced by a link", path);
        return {RemovalOutcome::Refused, QStringLiteral("it is in a photo library and is never replaced by a link"), notLinked};
    }
    const QString& kept = file.remainingFileName();
    if (kept.isEmpty()) {
        logWarning(m_logger, "File '%@' has nothing to link to", path);
        return {RemovalOutcome::Refused, QStringLiteral("it has no kept copy to link to"), QStringLiteral("had no kept copy")};
    }
    RemovalCheck check(file, true, m_isStopped);
    log(path, check);
    return check.verdict() ? *check.verdict() : replaceByLink(check, path, kept, isMarked);
}

RemovalResult FileRemover::replaceByLink(RemovalCheck& check, const QString& path, const QString& kept, bool isMarked)
{
    const int folder = check.folder();
    const QByteArray& name = check.name();
    const QByteArray target = QFile::encodeName(QFileInfo(kept).absoluteFilePath());
    const QByteArray temporaryLink = temporaryLinkName(name);
    const QByteArray aside = asideName(name);
    // Before the first change, so that whatever a crash leaves behind can be told apart.
    logInfo(m_logger, "Replacing '%@' by a link to '%@': the link is made as '%@', the file is kept as '%@' meanwhile",
        path, kept, pathBeside(path, temporaryLink), pathBeside(path, aside));
    if (::symlinkat(target.constData(), folder, temporaryLink.constData()) != 0) {
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error writing bookmark to '%@': %@", path, message);
        return {RemovalOutcome::Failed, QStringLiteral("the link could not be made: ") + message, notLinked};
    }
    if (!check.isUnchanged(name)) {
        rollBack(check, path, temporaryLink, {}, false);
        return changed(path);
    }
    // A second name for the file while its own is being replaced, so that it can come back.
    const bool hasAside = ::linkat(folder, name.constData(), folder, aside.constData(), 0) == 0;
    const int asideError = errno;
    if (hasAside && !check.acceptSecondName(aside)) {
        rollBack(check, path, temporaryLink, aside, false);
        return changed(path);
    }
    if (!hasAside && isMarked) {
        // Without it a failure after the deletion would lose the file: never delete permanently so.
        const QString message = qt_error_string(asideError);
        logError(m_logger, "Error deleting file '%@': %@", path, message);
        rollBack(check, path, temporaryLink, {}, false);
        return {RemovalOutcome::Failed, QStringLiteral("it could not be kept safe while being replaced: ") + message, notLinked};
    }
    const QByteArray keptAside = hasAside ? aside : QByteArray();
    const RemovalResult removed = removeStagedFile(check, path, isMarked);
    if (!removed.isGone()) {
        rollBack(check, path, temporaryLink, keptAside, false);
        return removed;
    }
    // The link must lead to the copy that was checked.
    if (!check.isKeptCopyUnchanged()) {
        rollBack(check, path, temporaryLink, keptAside, true);
        return changed(path);
    }
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(folder, temporaryLink, name, &error)) {
        logError(m_logger, "Error writing bookmark to '%@': %@", path, error.message());
        rollBack(check, path, temporaryLink, keptAside, true);
        return {RemovalOutcome::Failed, QStringLiteral("the link could not take its place: ") + error.message(), notLinked};
    }
    if (!hasAside)
        return {RemovalOutcome::Removed, {}, {}};
    // Deleted for good, the second name is the last of the file: it goes only while the file (whose ctime
    // the unlink of its own name changed) and its kept copy are as they were checked.
    if (isMarked && !(check.acceptSecondName(aside) && check.isUnchanged(aside))) {
        if (::renameat(folder, aside.constData(), folder, name.constData()) != 0)
            logError(m_logger, "Unable to put '%@' back, it stays as '%@': %@", path, pathBeside(path, aside),
                qt_error_string(errno));
        return changed(path);
    }
    ::unlinkat(folder, aside.constData(), 0);
    return {RemovalOutcome::Removed, {}, {}};
}

void FileRemover::rollBack(const RemovalCheck& check, const QString& path, const QByteArray& temporaryLink,
    const QByteArray& aside, bool isFileRemoved) const
{
    ::unlinkat(check.folder(), temporaryLink.constData(), 0);
    if (aside.isNull())
        return;
    if (!isFileRemoved) {
        ::unlinkat(check.folder(), aside.constData(), 0);
        return;
    }
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(check.folder(), aside, check.name(), &error))
        logError(m_logger, "Unable to put '%@' back, it stays as '%@': %@", path, pathBeside(path, aside),
            error.message());
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
