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

// A folder below the walked one is opened through its parent's descriptor and never through a link;
// the walked folder itself (no parent) is reached by its path, links included.
int openFolder(int parent, const char* name, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    int descriptor;
    do {
        descriptor = ::openat(parent, name, flags);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

} // namespace

struct LocationWalker::OpenFolder {
    explicit OpenFolder(DIR* folder)
        : handle(folder)
    {
    }
    int descriptor() const { return ::dirfd(handle.get()); }

    FolderHandle handle;
};

LocationWalker::LocationWalker(SOLoggerPtr logger)
    : m_logger(std::move(logger))
{
}

bool LocationWalker::walk(const QString& folder, const Visitor& visitor)
{
    const QByteArray root = QFile::encodeName(folder);
    // An entry's relative path is its full path without the root and the separator after it.
    const qsizetype rootLength = QString::fromUtf8(root).size() + (root.endsWith('/') ? 0 : 1);
    std::vector<PendingFolder> pending;
    pending.push_back(PendingFolder{nullptr, root, root});
    std::vector<PendingFolder> subfolders;
    while (!pending.empty()) {
        // Taken off the stack first: its parent closes as soon as no pending sibling needs it.
        const PendingFolder current = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        if (!readFolder(current, rootLength, visitor, subfolders))
            return false;
        // Reversed, so the subfolders are entered in the order they were listed.
        std::move(subfolders.rbegin(), subfolders.rend(), std::back_inserter(pending));
    }
    return true;
}

bool LocationWalker::readFolder(const PendingFolder& folder, qsizetype rootLength, const Visitor& visitor,
    std::vector<PendingFolder>& subfolders)
{
    const QString folderPath = QString::fromUtf8(folder.path);
    const bool isWalkRoot = !folder.parent;
    const int descriptor = isWalkRoot ? openFolder(AT_FDCWD, folder.path.constData(), true)
                                      : openFolder(folder.parent->descriptor(), folder.name.constData(), false);
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
    DIR* const listing = ::fdopendir(descriptor);
    if (!listing) {
        logWarning(m_logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(errno));
        ::close(descriptor);
        return true;
    }
    const auto open = std::make_shared<OpenFolder>(listing);

    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(listing);
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
        QByteArray fullPath = joinPath(folder.path, name);
        const QString path = QString::fromUtf8(fullPath);
        Entry visited{path.sliced(rootLength), path, EntryKind::Other, std::nullopt, 0};
        switch (entry->d_type) {
        case DT_DIR:
            visited.kind = EntryKind::Directory;
            break;
        case DT_LNK:
            visited.kind = EntryKind::SymbolicLink;
            break;
        case DT_REG:
        case DT_UNKNOWN:
            // Read here, relative to the folder, so the attributes are those of the entry that was listed.
            visited.attributes = readFileAttributesAt(open->descriptor(), name, &visited.attributesError);
            if (visited.attributes)
                visited.kind = kindOfMode(visited.attributes->mode);
            else if (entry->d_type == DT_REG)
                visited.kind = EntryKind::RegularFile;
            else
                continue; // gone before its type could be known
            if (visited.kind != EntryKind::RegularFile)
                visited.attributes.reset();
            break;
        default:
            break;
        }
        const Action action = visitor(visited);
        if (action == Action::Stop)
            return false;
        if (visited.kind == EntryKind::Directory && action == Action::Continue)
            subfolders.push_back(PendingFolder{open, QByteArray(name), std::move(fullPath)});
    }
}

} // namespace pairsift
