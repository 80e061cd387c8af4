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
    const QByteArray root = QFile::encodeName(folder);
    // An entry's relative path is its full path without the root and the separator after it.
    const qsizetype rootLength = QString::fromUtf8(root).size() + (root.endsWith('/') ? 0 : 1);
    std::vector<QByteArray> pending{root};
    std::vector<QByteArray> subfolders;
    bool isWalkRoot = true;
    while (!pending.empty()) {
        const QByteArray current = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        if (!readFolder(current, rootLength, isWalkRoot, visitor, subfolders))
            return false;
        isWalkRoot = false;
        // Reversed, so the subfolders are entered in the order they were listed.
        std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending));
    }
    return true;
}

bool LocationWalker::readFolder(const QByteArray& folder, qsizetype rootLength, bool isWalkRoot,
    const Visitor& visitor, std::vector<QByteArray>& subfolders)
{
    const QString folderPath = QString::fromUtf8(folder);
    // The walked folder is reached through its own path, links included; below it no link is followed,
    // not even one that replaced a folder after it was listed.
    const int descriptor = openFolder(folder, isWalkRoot);
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
        QByteArray fullPath = joinPath(folder, name);
        const QString path = QString::fromUtf8(fullPath);
        const Action action = visitor(Entry{path.sliced(rootLength), path, *kind});
        if (action == Action::Stop)
            return false;
        if (*kind == EntryKind::Directory && action == Action::Continue)
            subfolders.push_back(std::move(fullPath));
    }
}

} // namespace pairsift
