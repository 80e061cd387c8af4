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
    RemovalFileSystem fileSystem;
    fileSystem.moveToTrash = std::move(moveToTrash);
    fileSystem.renameWithoutReplacing = [](int folder, const QByteArray& from, const QByteArray& to, Error* error) {
        return pairsift::renameWithoutReplacing(folder, from.constData(), folder, to.constData())
            || systemFailure(error, errno, qt_error_string(errno));
    };
    // Without a flag unlinkat never removes a folder.
    fileSystem.removeName = [](int folder, const QByteArray& name, Error* error) {
        return ::unlinkat(folder, name.constData(), 0) == 0 || systemFailure(error, errno, qt_error_string(errno));
    };
    return fileSystem;
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

RemovalResult FileRemover::trashFailure(const QString& path, const Error& error) const
{
    logError(m_logger, "Error trashing file '%@': %ld", path, error.code);
    logDebug(m_logger, "%@", error.message());
    return {RemovalOutcome::TrashFailed, QStringLiteral("it could not be moved to the Trash: ") + error.message(),
        QStringLiteral("could not be moved to the Trash")};
}

RemovalResult FileRemover::deleteFailure(const QString& path, const Error& error) const
{
    logError(m_logger, "Error deleting file '%@': %@", path, error.message());
    return {RemovalOutcome::Failed, QStringLiteral("it could not be deleted: ") + error.message(),
        QStringLiteral("could not be deleted")};
}

RemovalResult FileRemover::reported(const QString& path, RemovalResult result) const
{
    // Once everything is back in its place, so that the diagnostics see the file.
    if (result.outcome == RemovalOutcome::TrashFailed || result.outcome == RemovalOutcome::Failed)
        logFileInfo(path);
    return result;
}

std::optional<RemovalResult> FileRemover::setAside(RemovalCheck& check, const QString& path, const QByteArray& aside,
    const std::function<RemovalResult(const Error&)>& renameFailure)
{
    if (!check.isUnchanged(check.name()))
        return changed(path);
    // Before the change, so that whatever a crash leaves behind can be told apart.
    logInfo(m_logger, "Setting '%@' aside as '%@' until it is removed", path, pathBeside(path, aside));
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(check.folder(), check.name(), aside, &error))
        return renameFailure(error);
    // What was renamed is what was checked only if a save by another program did not land on the name
    // between the last look and the rename; the rename itself changes the file's ctime. Its folder and its
    // kept copy are looked at again immediately before the step that removes it.
    if (!check.acceptRename(aside))
        return putBack(check, path, aside, changed(path));
    return std::nullopt;
}

RemovalResult FileRemover::putBack(const RemovalCheck& check, const QString& path, const QByteArray& aside,
    RemovalResult result) const
{
    Error error;
    if (m_fileSystem.renameWithoutReplacing(check.folder(), aside, check.name(), &error))
        return result;
    return leftAside(path, aside, error, std::move(result));
}

RemovalResult FileRemover::leftAside(const QString& path, const QByteArray& aside, const Error& error, RemovalResult result) const
{
    logError(m_logger, "Unable to put '%@' back, it stays as '%@': %@", path, pathBeside(path, aside), error.message());
    result.reason += formatString("; what was at its place is kept as '%@'", pathBeside(path, aside));
    return result;
}

std::optional<RemovalResult> FileRemover::removeAside(RemovalCheck& check, const QString& path, const QByteArray& aside,
    bool isMarked)
{
    Error error;
    if (isMarked) {
        // What another program does to the kept copy between this last look and the unlink cannot be seen:
        // a deletion of the kept copy in those microseconds is the one change no check can close.
        if (!check.isUnchanged(aside))
            return changed(path);
        if (m_fileSystem.removeName(check.folder(), aside, &error))
            return std::nullopt;
        return deleteFailure(path, error);
    }
    bool hasChanged = false;
    const auto mayMove = [&] {
        hasChanged = !check.isUnchanged(aside);
        return !hasChanged;
    };
    error = {QStringLiteral("NSPOSIXErrorDomain"), ENOTSUP, QStringLiteral("No Trash is available"), {}};
    if (m_fileSystem.moveToTrash && m_fileSystem.moveToTrash(check.folder(), aside, path, mayMove, &error))
        return std::nullopt;
    return hasChanged ? changed(path) : trashFailure(path, error);
}

RemovalResult FileRemover::deleteFile(const FileItem& file, bool isMarked)
{
    const QString& path = file.name();
    RemovalCheck check(file, isMarked, m_isStopped);
    log(path, check);
    if (check.verdict())
        return *check.verdict();
    const QByteArray aside = asideName(check.name());
    const auto renameFailure = [&](const Error& error) {
        return isMarked ? deleteFailure(path, error) : trashFailure(path, error);
    };
    if (std::optional<RemovalResult> notSetAside = setAside(check, path, aside, renameFailure))
        return reported(path, *notSetAside);
    if (std::optional<RemovalResult> notRemoved = removeAside(check, path, aside, isMarked))
        return reported(path, putBack(check, path, aside, *notRemoved));
    return {RemovalOutcome::Removed, {}, {}};
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
    return check.verdict() ? *check.verdict() : reported(path, replaceByLink(check, path, kept, isMarked));
}

RemovalResult FileRemover::replaceByLink(RemovalCheck& check, const QString& path, const QString& kept, bool isMarked)
{
    const int folder = check.folder();
    const QByteArray target = QFile::encodeName(QFileInfo(kept).absoluteFilePath());
    const QByteArray temporaryLink = temporaryLinkName(check.name());
    const QByteArray aside = asideName(check.name());
    logInfo(m_logger, "Replacing '%@' by a link to '%@', made as '%@'", path, kept, pathBeside(path, temporaryLink));
    if (::symlinkat(target.constData(), folder, temporaryLink.constData()) != 0) {
        const QString message = qt_error_string(errno);
        logError(m_logger, "Error writing bookmark to '%@': %@", path, message);
        return {RemovalOutcome::Failed, QStringLiteral("the link could not be made: ") + message, notLinked};
    }
    const auto withoutLink = [&](RemovalResult result) {
        Error ignored;
        m_fileSystem.removeName(folder, temporaryLink, &ignored);
        return result;
    };
    const auto renameFailure = [&](const Error& error) {
        logError(m_logger, "Unable to set '%@' aside: %@", path, error.message());
        return RemovalResult{RemovalOutcome::Failed,
            QStringLiteral("a second name for it could not be made: ") + error.message(), notLinked};
    };
    if (std::optional<RemovalResult> notSetAside = setAside(check, path, aside, renameFailure))
        return withoutLink(*notSetAside);
    // The link must lead to the kept copy that was checked.
    if (!check.isUnchanged(aside))
        return withoutLink(putBack(check, path, aside, changed(path)));
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(folder, temporaryLink, check.name(), &error)) {
        logError(m_logger, "Error writing bookmark to '%@': %@", path, error.message());
        return withoutLink(putBack(check, path, aside,
            {RemovalOutcome::Failed, QStringLiteral("the link could not take its place: ") + error.message(), notLinked}));
    }
    if (std::optional<RemovalResult> notRemoved = removeAside(check, path, aside, isMarked))
        return restoreOverLink(check, path, aside, temporaryLink, target, *notRemoved);
    return {RemovalOutcome::Removed, {}, {}};
}

RemovalResult FileRemover::restoreOverLink(const RemovalCheck& check, const QString& path, const QByteArray& aside,
    const QByteArray& temporaryLink, const QByteArray& target, RemovalResult result) const
{
    // Whatever holds the name moves away first and is looked at there: a save that another program made
    // over the link meanwhile is never replaced.
    const int folder = check.folder();
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(folder, check.name(), temporaryLink, &error))
        return leftAside(path, aside, error, std::move(result));
    char buffer[4096];
    const ssize_t length = ::readlinkat(folder, temporaryLink.constData(), buffer, sizeof buffer);
    const bool isTheLink = length >= 0 && QByteArrayView(buffer, length) == target;
    if (isTheLink && m_fileSystem.renameWithoutReplacing(folder, aside, check.name(), &error)) {
        m_fileSystem.removeName(folder, temporaryLink, &error);
        return result;
    }
    // Another program's save, or a file that cannot come back: what was at the name returns to it.
    m_fileSystem.renameWithoutReplacing(folder, temporaryLink, check.name(), &error);
    return putBack(check, path, aside, std::move(result));
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
