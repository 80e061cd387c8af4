#include "removal/RemovalCheck.h"

#include "model/FileItem.h"
#include "platform/Format.h"
#include "removal/InterruptedRemovals.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

std::optional<RemovalResult> refusal(const QString& reason)
{
    return RemovalResult{RemovalOutcome::Refused, reason};
}

QString linkTargetOf(const QByteArray& path)
{
    char buffer[4096];
    const ssize_t length = ::readlink(path.constData(), buffer, sizeof buffer);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(buffer, length));
}

// The SHA-1 of exactly the file that lstat saw at the path; nothing when it cannot be read, has changed
// meanwhile, or the read was stopped.
std::optional<Sha1Digest> digestOf(const QString& path, const struct stat& seen, const StopTest& isStopped)
{
    FileItem item(path);
    item.setTotalSize(static_cast<quint64>(seen.st_size));
    item.setFileId(FileId{static_cast<std::uint64_t>(seen.st_dev), static_cast<std::uint64_t>(seen.st_ino)});
    return item.contentSHA1([&isStopped](quint64, quint64, bool* stop) { *stop = isStopped && isStopped(); });
}

std::optional<RemovalResult> checkKeptCopy(const QString& kept, const struct stat& staged, quint64 recordedSize,
    struct stat* keptStatus)
{
    if (::lstat(QFile::encodeName(kept).constData(), keptStatus) != 0)
        return refusal(QStringLiteral("its kept copy is missing"));
    if (!S_ISREG(keptStatus->st_mode))
        return refusal(QStringLiteral("its kept copy is not a regular file"));
    if (keptStatus->st_dev == staged.st_dev && keptStatus->st_ino == staged.st_ino)
        return refusal(QStringLiteral("it is the same file as its kept copy"));
    if (static_cast<quint64>(keptStatus->st_size) != recordedSize)
        return refusal(QStringLiteral("its kept copy has changed"));
    return std::nullopt;
}

std::optional<RemovalResult> compareContents(const FileItem& file, const struct stat& staged,
    const struct stat& kept, const StopTest& isStopped)
{
    const std::optional<Sha1Digest> stagedDigest = digestOf(file.name(), staged, isStopped);
    const std::optional<Sha1Digest> keptDigest
        = stagedDigest ? digestOf(file.remainingFileName(), kept, isStopped) : std::nullopt;
    if (isStopped && isStopped())
        return RemovalResult{RemovalOutcome::Stopped, {}};
    if (!stagedDigest)
        return refusal(QStringLiteral("it could not be read"));
    if (!keptDigest)
        return refusal(QStringLiteral("its kept copy could not be read"));
    if (*stagedDigest != *keptDigest)
        return refusal(QStringLiteral("its content differs from its kept copy"));
    return std::nullopt;
}

} // namespace

std::optional<RemovalResult> checkBeforeRemoval(const FileItem& file, bool needsSameContent, const StopTest& isStopped)
{
    const QString& path = file.name();
    const QByteArray encoded = QFile::encodeName(path);
    const QString& kept = file.remainingFileName();
    if (hasAsideCopy(path))
        return refusal(formatString("an interrupted removal left a copy of it at '%@'", QFile::decodeName(asidePath(encoded))));
    struct stat staged {};
    if (::lstat(encoded.constData(), &staged) != 0) {
        const int code = errno;
        if (code == ENOENT)
            return RemovalResult{RemovalOutcome::AlreadyGone, QStringLiteral("it no longer exists")};
        return refusal(QStringLiteral("it cannot be inspected: ") + qt_error_string(code));
    }
    if (S_ISLNK(staged.st_mode)) {
        if (!kept.isEmpty() && linkTargetOf(encoded) == QFileInfo(kept).absoluteFilePath())
            return RemovalResult{RemovalOutcome::AlreadyGone, QStringLiteral("it is already a link to its kept copy")};
        return refusal(QStringLiteral("it is now a link"));
    }
    if (!S_ISREG(staged.st_mode))
        return refusal(QStringLiteral("it is no longer a regular file"));
    if (static_cast<quint64>(staged.st_size) != file.totalSize())
        return refusal(QStringLiteral("its size has changed"));
    struct stat keptStatus {};
    if (!kept.isEmpty()) {
        if (std::optional<RemovalResult> refused = checkKeptCopy(kept, staged, file.totalSize(), &keptStatus))
            return refused;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return refusal(QStringLiteral("its folder cannot be changed: ") + qt_error_string(errno));
    if (!needsSameContent)
        return std::nullopt;
    if (kept.isEmpty())
        return refusal(QStringLiteral("it has no kept copy to compare it with"));
    return compareContents(file, staged, keptStatus, isStopped);
}

} // namespace pairsift
