#include "removal/RemovalCheck.h"

#include "model/FileItem.h"
#include "platform/Format.h"
#include "removal/InterruptedRemovals.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace pairsift {
namespace {

const QString changedAfterScan = QStringLiteral("changed after the scan");
const QString notChecked = QStringLiteral("could not be checked");

std::optional<RemovalResult> refusal(const QString& reason, const QString& summary = changedAfterScan)
{
    return RemovalResult{RemovalOutcome::Refused, reason, summary};
}

// The staged file, or its kept copy, is not where the row says.
const RemovalResult notAtItsPlace{RemovalOutcome::Refused, QStringLiteral("it is no longer at its place"),
    QStringLiteral("moved or missing")};
const RemovalResult keptCopyMissing{RemovalOutcome::Refused, QStringLiteral("its kept copy is missing"), changedAfterScan};

// Why a folder on `onTheWay` ("its path") could not be opened; `missing` when it does not exist.
std::optional<RemovalResult> unopenedFolder(int code, const RemovalResult& missing, const QString& onTheWay)
{
    if (code == ENOENT)
        return missing;
    // A link on the way answers ELOOP with openat2; without it, ENOTDIR, as a file where a folder was does.
    if (code == ELOOP || code == ENOTDIR)
        return refusal(formatString("a folder on %@ is now a link or a file", onTheWay));
    return refusal(formatString("a folder on %@ cannot be inspected: %@", onTheWay, qt_error_string(code)), notChecked);
}

QString linkTargetOf(int folder, const QByteArray& name)
{
    char buffer[4096];
    const ssize_t length = ::readlinkat(folder, name.constData(), buffer, sizeof buffer);
    return length < 0 ? QString() : QFile::decodeName(QByteArray(buffer, length));
}

} // namespace

const QString RemovalCheck::changedWhileChecked = QStringLiteral("it changed while it was being checked");

RemovalResult RemovalCheck::changedRefusal()
{
    return *refusal(changedWhileChecked, QStringLiteral("changed while being checked"));
}

RemovalCheck::RemovalCheck(const FileItem& file, bool needsSameContent, const StopTest& isStopped)
{
    m_verdict = check(file, needsSameContent, isStopped);
}

std::optional<RemovalResult> RemovalCheck::check(const FileItem& file, bool needsSameContent, const StopTest& isStopped)
{
    const QString& path = file.name();
    const QFileInfo info(path);
    m_name = QFile::encodeName(info.fileName());
    if (!m_folder.open(file.containerPath(), info.absolutePath()))
        return unopenedFolder(errno, notAtItsPlace, QStringLiteral("its path"));
    struct stat aside {};
    if (::fstatat(folder(), asideName(m_name).constData(), &aside, AT_SYMLINK_NOFOLLOW) == 0) {
        return refusal(formatString("an interrupted removal left a copy of it at '%@'",
                           QFile::decodeName(asidePath(QFile::encodeName(path)))),
            QStringLiteral("had a copy left by an interrupted removal"));
    }
    if (!m_staged.look(folder(), m_name)) {
        const int code = errno;
        if (code == ENOENT)
            return notAtItsPlace;
        return refusal(QStringLiteral("it cannot be inspected: ") + qt_error_string(code), notChecked);
    }
    const struct stat& staged = m_staged.status();
    const QString& kept = file.remainingFileName();
    if (S_ISLNK(staged.st_mode)) {
        if (!kept.isEmpty() && linkTargetOf(folder(), m_name) == QFileInfo(kept).absoluteFilePath())
            return RemovalResult{RemovalOutcome::AlreadyGone, QStringLiteral("it is already a link to its kept copy"), {}};
        return refusal(QStringLiteral("it is now a link"));
    }
    if (!S_ISREG(staged.st_mode))
        return refusal(QStringLiteral("it is no longer a regular file"));
    if (static_cast<quint64>(staged.st_size) != file.totalSize())
        return refusal(QStringLiteral("its size has changed"));
    if (!kept.isEmpty()) {
        if (std::optional<RemovalResult> refused = checkKeptCopy(file.containerPath(), kept, file.totalSize()))
            return refused;
    }
    if (::faccessat(folder(), ".", W_OK | X_OK, 0) != 0)
        return refusal(QStringLiteral("its folder cannot be changed: ") + qt_error_string(errno), notChecked);
    if (!needsSameContent)
        return std::nullopt;
    if (kept.isEmpty())
        return refusal(QStringLiteral("it has no kept copy to compare it with"), QStringLiteral("had no kept copy"));
    return compareContents(file, isStopped);
}

std::optional<RemovalResult> RemovalCheck::checkKeptCopy(const QString& root, const QString& kept, quint64 recordedSize)
{
    const QFileInfo info(kept);
    if (!m_keptFolder.open(root, info.absolutePath()))
        return unopenedFolder(errno, keptCopyMissing, QStringLiteral("the path of its kept copy"));
    m_keptName = QFile::encodeName(info.fileName());
    if (!m_kept.look(m_keptFolder.get(), m_keptName))
        return keptCopyMissing;
    const struct stat& status = m_kept.status();
    if (!S_ISREG(status.st_mode))
        return refusal(QStringLiteral("its kept copy is not a regular file"));
    if (status.st_dev == m_staged.status().st_dev && status.st_ino == m_staged.status().st_ino)
        return refusal(QStringLiteral("it is the same file as its kept copy"));
    if (static_cast<quint64>(status.st_size) != recordedSize)
        return refusal(QStringLiteral("its kept copy has changed"));
    return std::nullopt;
}

std::optional<RemovalResult> RemovalCheck::compareContents(const FileItem& file, const StopTest& isStopped)
{
    const auto unopened = [](const QString& reason) {
        return errno == ESTALE ? changedRefusal() : *refusal(reason + QStringLiteral(": ") + qt_error_string(errno), notChecked);
    };
    if (!m_staged.open(folder(), m_name))
        return unopened(QStringLiteral("it could not be read"));
    if (!m_kept.open(m_keptFolder.get(), m_keptName))
        return unopened(QStringLiteral("its kept copy could not be read"));
    const std::optional<Sha1Digest> stagedDigest = m_staged.digest(file.name(), isStopped);
    const std::optional<Sha1Digest> keptDigest
        = stagedDigest ? m_kept.digest(file.remainingFileName(), isStopped) : std::nullopt;
    if (isStopped && isStopped())
        return RemovalResult{RemovalOutcome::Stopped, {}, {}};
    if (!stagedDigest || !keptDigest) {
        // A read that fails because the file changed size is a change, not an unreadable file.
        if (!isUnchanged(m_name))
            return changedRefusal();
        return refusal(stagedDigest ? QStringLiteral("its kept copy could not be read") : QStringLiteral("it could not be read"),
            notChecked);
    }
    if (*stagedDigest != *keptDigest)
        return refusal(QStringLiteral("its content differs from its kept copy"));
    return std::nullopt;
}

bool RemovalCheck::isUnchanged(const QByteArray& name) const
{
    return m_folder.isAtItsPath() && m_staged.isAt(folder(), name) && isKeptCopyUnchanged();
}

bool RemovalCheck::isKeptCopyUnchanged() const
{
    return m_keptName.isEmpty() || (m_keptFolder.isAtItsPath() && m_kept.isAt(m_keptFolder.get(), m_keptName));
}

} // namespace pairsift
