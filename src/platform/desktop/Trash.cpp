#include "platform/desktop/Trash.h"

#include "platform/FileNames.h"
#include "platform/WriteAll.h"
#include "platform/desktop/TrashFolder.h"

#include <QDateTime>
#include <QFile>
#include <QUrl>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace pairsift {
namespace {

const QByteArray infoSuffix = ".trashinfo";
// Enough for any folder of same-named entries; beyond it the Trash is treated as unusable.
constexpr int maximumAttempts = 10000;
// An extension longer than this is part of the name, not a type.
constexpr qsizetype maximumExtensionLength = 16;

// The name in the trash on the given attempt: the original name first, then "name 2.ext", "name 3.ext"…,
// each shortened to `limit` bytes with its extension kept.
QByteArray trashName(const QByteArray& name, int attempt, qsizetype limit)
{
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0 && name.size() - dot <= maximumExtensionLength;
    const QByteArray extension = hasExtension ? name.mid(dot) : QByteArray();
    const QByteArray number = attempt > 1 ? " " + QByteArray::number(attempt) : QByteArray();
    const QByteArray stem = hasExtension ? name.left(dot) : name;
    return leadingBytes(stem, limit - number.size() - extension.size()) + number + extension;
}

QByteArray infoText(const QByteArray& recordedPath)
{
    return "[Trash Info]\nPath=" + recordedPath.toPercentEncoding("/")
        + "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")).toLatin1()
        + "\n";
}

int failure(Error* error, int code, const QString& description)
{
    systemFailure(error, code, description);
    return code;
}

// The move into one trash: the info file is written whole, then the entry moves under the same name. 0 when
// it moved, else the error number of the failure (EXDEV: the trash is on another mount), with `error` set.
int moveInto(const TrashFolder& trash, int folder, const QByteArray& name, const QByteArray& encodedPath,
    const std::function<bool()>& mayMove, Error* error)
{
    const long nameLimit = ::fpathconf(trash.info(), _PC_NAME_MAX);
    const qsizetype limit = (nameLimit > 0 ? nameLimit : maximumNameLength) - infoSuffix.size();
    const QByteArray info = infoText(trash.recordedPath(folder, encodedPath));
    const QByteArray originalName = encodedPath.mid(encodedPath.lastIndexOf('/') + 1);
    for (int attempt = 1; attempt <= maximumAttempts; ++attempt) {
        const QByteArray trashed = trashName(originalName, attempt, limit);
        const QByteArray infoName = trashed + infoSuffix;
        // Made exclusively: the info file reserves the name in the trash.
        int descriptor;
        do {
            descriptor = ::openat(trash.info(), infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        } while (descriptor < 0 && errno == EINTR);
        if (descriptor < 0 && errno == EEXIST)
            continue;
        if (descriptor < 0)
            return failure(error, errno, QStringLiteral("Unable to create the Trash's information file"));
        // A full disk fails the write or the close: an info file that is not whole is never left behind.
        bool isWritten = writeAll(descriptor, info.constData(), static_cast<std::size_t>(info.size()));
        int code = errno;
        if (::close(descriptor) != 0 && isWritten) {
            isWritten = false;
            code = errno;
        }
        if (!isWritten) {
            ::unlinkat(trash.info(), infoName.constData(), 0);
            return failure(error, code, QStringLiteral("Unable to write the Trash's information file"));
        }
        if (!mayMove()) {
            ::unlinkat(trash.info(), infoName.constData(), 0);
            return failure(error, ECANCELED, QStringLiteral("The file changed before it could be moved to the Trash"));
        }
        if (renameWithoutReplacing(folder, name.constData(), trash.files(), trashed.constData()))
            return 0;
        code = errno;
        ::unlinkat(trash.info(), infoName.constData(), 0);
        if (code != EEXIST)
            return failure(error, code, QStringLiteral("Unable to move to Trash"));
    }
    return failure(error, EEXIST, QStringLiteral("Unable to find a free name in the Trash"));
}

} // namespace

bool moveToTrash(int folder, const QByteArray& name, const QString& path, const std::function<bool()>& mayMove,
    Error* error)
{
    const QByteArray encodedPath = QFile::encodeName(path);
    TrashFolder trash;
    if (!trash.openFor(folder, error))
        return false;
    const int code = moveInto(trash, folder, name, encodedPath, mayMove, error);
    // A bind mount of the data folder's volume is another mount: its own trash takes the entry.
    if (code == EXDEV && trash.isHomeTrash() && trash.openMountTrashFor(folder, error))
        return moveInto(trash, folder, name, encodedPath, mayMove, error) == 0;
    return code == 0;
}

} // namespace pairsift
