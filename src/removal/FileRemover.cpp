#include "removal/FileRemover.h"

#include "support/logging/SOLogger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QUrl>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace pairsift {
namespace {

QString systemMessage(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

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
    setError(error, QStringLiteral("POSIX"), code, systemMessage(code));
    return false;
}

// A fresh name in the folder of `path` that nothing uses yet: `create` makes the entry there, answering
// errno (EEXIST tries another name). Null when the entry could not be made; `code` tells why.
QByteArray createBeside(const QByteArray& path, const char* kind, const std::function<int(const QByteArray&)>& create,
    int* code)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = path.left(slash + 1);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QByteArray candidate = folder + ".pairsift-" + kind + '-'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        *code = create(candidate);
        if (*code == 0)
            return candidate;
        if (*code != EEXIST)
            break;
    }
    return {};
}

int symlinkTo(const QByteArray& target, const QByteArray& linkPath)
{
    return ::symlink(target.constData(), linkPath.constData()) == 0 ? 0 : errno;
}

int hardLinkTo(const QByteArray& existing, const QByteArray& linkPath)
{
    return ::link(existing.constData(), linkPath.constData()) == 0 ? 0 : errno;
}

} // namespace

RemovalFileSystem RemovalFileSystem::withTrash(MoveToTrash moveToTrash)
{
    return {std::move(moveToTrash), systemRenameWithoutReplacing};
}

FileRemover::FileRemover(SOLoggerPtr logger, RemovalFileSystem fileSystem)
    : m_logger(std::move(logger))
    , m_fileSystem(std::move(fileSystem))
{
}

bool FileRemover::existsAtPath(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 || errno != ENOENT;
}

std::optional<RemovalOutcome> FileRemover::checkBeforeRemoval(const FileItem& file) const
{
    const QString& path = file.name();
    struct stat staged {};
    if (::lstat(QFile::encodeName(path).constData(), &staged) != 0) {
        const int code = errno;
        if (code == ENOENT) {
            logInfo(m_logger, "File '%@' no longer exists", path);
            return RemovalOutcome::AlreadyGone;
        }
        logError(m_logger, "Unable to inspect file '%@': %@", path, systemMessage(code));
        return RemovalOutcome::Failed;
    }
    if (!S_ISREG(staged.st_mode) && !S_ISLNK(staged.st_mode)) {
        logError(m_logger, "File '%@' is not a regular file or link", path);
        return RemovalOutcome::Failed;
    }
    const QString& kept = file.remainingFileName();
    if (kept.isEmpty())
        return std::nullopt;
    struct stat keptStat {};
    const char* fault = nullptr;
    if (::lstat(QFile::encodeName(kept).constData(), &keptStat) != 0)
        fault = "is missing";
    else if (!S_ISREG(keptStat.st_mode))
        fault = "is not a regular file";
    else if (keptStat.st_dev == staged.st_dev && keptStat.st_ino == staged.st_ino)
        fault = "is the same file";
    else if (static_cast<quint64>(keptStat.st_size) != file.totalSize())
        fault = "has changed size";
    if (!fault)
        return std::nullopt;
    logError(m_logger, "Not removing '%@': its kept copy '%@' %s", path, kept, fault);
    return RemovalOutcome::Failed;
}

bool FileRemover::removeStagedFile(const QString& path, bool isMarked)
{
    if (isMarked) {
        // The check has just seen a regular file or link here; unlink never removes a folder.
        if (::unlink(QFile::encodeName(path).constData()) == 0)
            return true;
        logError(m_logger, "Error deleting file '%@': %@", path, systemMessage(errno));
    } else {
        Error error{QStringLiteral("NSPOSIXErrorDomain"), ENOTSUP, QStringLiteral("No Trash is available"), {}};
        if (m_fileSystem.moveToTrash && m_fileSystem.moveToTrash(path, &error))
            return true;
        logError(m_logger, "Error trashing file '%@': %ld", path, error.code);
        logDebug(m_logger, "%@", error.message());
    }
    logFileInfo(path);
    return false;
}

RemovalOutcome FileRemover::deleteFile(const FileItem& file, bool isMarked)
{
    if (const std::optional<RemovalOutcome> stopped = checkBeforeRemoval(file))
        return *stopped;
    return removeStagedFile(file.name(), isMarked) ? RemovalOutcome::Removed : RemovalOutcome::Failed;
}

RemovalOutcome FileRemover::deleteAndLinkFile(const FileItem& file, bool isMarked)
{
    const QString& path = file.name();
    if (!file.isRegularFile()) {
        logError(m_logger, "File '%@' is not in a plain folder and is never replaced by a link", path);
        return RemovalOutcome::Failed;
    }
    if (const std::optional<RemovalOutcome> stopped = checkBeforeRemoval(file))
        return *stopped;
    const QString& kept = file.remainingFileName();
    if (kept.isEmpty()) {
        logWarning(m_logger, "File '%@' has nothing to link to", path);
        return RemovalOutcome::Failed;
    }

    const QByteArray pathBytes = QFile::encodeName(path);
    const QByteArray target = QFile::encodeName(QFileInfo(kept).absoluteFilePath());
    int code = 0;
    const QByteArray temporaryLink = createBeside(
        pathBytes, "link", [&target](const QByteArray& candidate) { return symlinkTo(target, candidate); }, &code);
    if (temporaryLink.isNull()) {
        logError(m_logger, "Error writing bookmark to '%@': %@", path, systemMessage(code));
        return RemovalOutcome::Failed;
    }
    // A second name for the file while its own is being replaced, so that it can come back.
    const QByteArray aside = createBeside(
        pathBytes, "aside", [&pathBytes](const QByteArray& candidate) { return hardLinkTo(pathBytes, candidate); },
        &code);
    if (aside.isNull() && isMarked) {
        // Without it a failure after the deletion would lose the file: never delete permanently so.
        logError(m_logger, "Error deleting file '%@': %@", path, systemMessage(code));
        rollBack(temporaryLink, aside, pathBytes, false);
        return RemovalOutcome::Failed;
    }
    if (!removeStagedFile(path, isMarked)) {
        rollBack(temporaryLink, aside, pathBytes, false);
        return RemovalOutcome::Failed;
    }
    Error error;
    if (!m_fileSystem.renameWithoutReplacing(temporaryLink, pathBytes, &error)) {
        logError(m_logger, "Error writing bookmark to '%@': %@", path, error.message());
        rollBack(temporaryLink, aside, pathBytes, true);
        return RemovalOutcome::Failed;
    }
    if (!aside.isNull())
        ::unlink(aside.constData());
    return RemovalOutcome::Removed;
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
            systemMessage(errno));
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
            systemMessage(errno));
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
