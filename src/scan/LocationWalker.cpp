#include "scan/LocationWalker.h"

#include "support/logging/SOLogger.h"

#include <QByteArrayView>
#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

namespace pairsift {

namespace {

struct FolderCloser {
    void operator()(DIR* folder) const { ::closedir(folder); }
};
using FolderHandle = std::unique_ptr<DIR, FolderCloser>;

QByteArray joinPath(const QByteArray& folder, const char* name)
{
    QByteArray path;
    path.reserve(folder.size() + 1 + static_cast<qsizetype>(std::strlen(name)));
    path.append(folder);
    if (!path.endsWith('/'))
        path.append('/');
    path.append(name);
    return path;
}

LocationWalker::EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return LocationWalker::EntryKind::Directory;
    if (S_ISREG(mode))
        return LocationWalker::EntryKind::RegularFile;
    if (S_ISLNK(mode))
        return LocationWalker::EntryKind::SymbolicLink;
    return LocationWalker::EntryKind::Other;
}

// The type the folder listing gives, and a status read of the entry itself only where the file system
// gives none. Nothing when the entry vanished in between.
std::optional<LocationWalker::EntryKind> kindOfEntry(DIR* folder, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_DIR:
        return LocationWalker::EntryKind::Directory;
    case DT_REG:
        return LocationWalker::EntryKind::RegularFile;
    case DT_LNK:
        return LocationWalker::EntryKind::SymbolicLink;
    case DT_UNKNOWN:
        break;
    default:
        return LocationWalker::EntryKind::Other;
    }
    struct stat status {};
    if (::fstatat(::dirfd(folder), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return kindOfMode(status.st_mode);
}

int openFolder(const QByteArray& path, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor;
    do {
        descriptor = ::open(path.constData(), flags);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

} // namespace

LocationWalker::LocationWalker(SOLoggerPtr logger)
    : m_logger(std::move(logger))
{
}

bool LocationWalker::walk(const QString& folder, const Visitor& visitor)
{
    std::vector<PendingFolder> pending{{QFile::encodeName(folder), QByteArray()}};
    std::vector<PendingFolder> subfolders;
    bool isWalkRoot = true;
    while (!pending.empty()) {
        const PendingFolder current = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        if (!readFolder(current, isWalkRoot, visitor, subfolders))
            return false;
        isWalkRoot = false;
        // Reversed, so the subfolders are entered in the order they were listed.
        std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending));
    }
    return true;
}

bool LocationWalker::readFolder(const PendingFolder& folder, bool isWalkRoot, const Visitor& visitor,
    std::vector<PendingFolder>& subfolders)
{
    const QString folderPath = QString::fromUtf8(folder.fullPath);
    // The walked folder is reached through its own path, links included; below it no link is followed,
    // not even one that replaced a folder after it was listed.
    const int descriptor = openFolder(folder.fullPath, isWalkRoot);
    if (descriptor < 0) {
        const int error = errno;
        if (!(isWalkRoot && (error == ENOENT || error == ENOTDIR)))
            logWarning(m_logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(error));
        return true;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        logWarning(m_logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(errno));
        ::close(descriptor);
        return true;
    }
    if (!m_enteredFolders.insert(FileId{status.st_dev, status.st_ino}).second) {
        ::close(descriptor);
        logInfo(m_logger, "Folder '%@' was already scanned, skipping", folderPath);
        return true;
    }
    const FolderHandle handle(::fdopendir(descriptor));
    if (!handle) {
        logWarning(m_logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(errno));
        ::close(descriptor);
        return true;
    }

    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(handle.get());
        if (!entry) {
            if (errno != 0)
                logWarning(m_logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(errno));
            return true;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (!QByteArrayView(name).isValidUtf8()) {
            logWarning(m_logger, "A file name in '%@' is not valid UTF-8, skipping it", folderPath);
            continue;
        }
        const std::optional<EntryKind> kind = kindOfEntry(handle.get(), *entry);
        if (!kind)
            continue;
        QByteArray relativePath
            = folder.relativePath.isEmpty() ? QByteArray(name) : joinPath(folder.relativePath, name);
        QByteArray fullPath = joinPath(folder.fullPath, name);
        const Action action
            = visitor(Entry{QString::fromUtf8(relativePath), QString::fromUtf8(fullPath), *kind});
        if (action == Action::Stop)
            return false;
        if (*kind == EntryKind::Directory && action == Action::Continue)
            subfolders.push_back({std::move(fullPath), std::move(relativePath)});
    }
}

} // namespace pairsift
