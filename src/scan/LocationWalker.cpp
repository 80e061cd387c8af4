#include "scan/LocationWalker.h"

#include "scan/FolderReadAhead.h"
#include "support/logging/SOLogger.h"

#include <QFile>

#include <cerrno>

#include <vector>

namespace pairsift {

namespace {

struct WalkedFolder {
    FolderReadAhead::TaskPtr task;
    QByteArray path;
    bool isWalkRoot = false;
};

// Reports one listed folder's entries to the visitor and collects the subfolders it lets the walk enter;
// false when the visitor stopped. Logs what the listing recorded where a walk listing in turn would.
bool visitListing(const QString& folderPath, bool isWalkRoot, FolderReadAhead::Listing listing,
    const LocationWalker::Visitor& visitor, const SOLoggerPtr& logger, std::unordered_set<FileId>& enteredFolders,
    std::vector<FolderReadAhead::Request>& subfolders, UnreadableFolders& unreadableFolders)
{
    if (listing.openError != 0) {
        const int error = listing.openError;
        if (!(isWalkRoot && (error == ENOENT || error == ENOTDIR))) {
            logWarning(logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(error));
            unreadableFolders.note(folderPath, error);
        }
        return true;
    }
    if (listing.pseudoFileSystem) {
        logWarning(logger, "Folder '%@' is on the pseudo file system %s, skipping it", folderPath, listing.pseudoFileSystem);
        return true;
    }
    if (!enteredFolders.insert(listing.id).second) {
        logInfo(logger, "Folder '%@' was already scanned, skipping", folderPath);
        return true;
    }
    for (FolderReadAhead::Item& item : listing.items) {
        if (item.name.isEmpty()) {
            logWarning(logger, "A file name in '%@' is not valid UTF-8, skipping it", folderPath);
            continue;
        }
        const LocationWalker::Action action = visitor(item.entry);
        if (action == LocationWalker::Action::Stop)
            return false;
        if (item.entry.kind == LocationWalker::EntryKind::Directory && action == LocationWalker::Action::Continue)
            subfolders.push_back(FolderReadAhead::Request{listing.folder, std::move(item.name), std::move(item.path)});
    }
    if (listing.readError != 0) {
        logWarning(logger, "Unable to read folder '%@': %@", folderPath, qt_error_string(listing.readError));
        unreadableFolders.note(folderPath, listing.readError);
    }
    return true;
}

} // namespace

LocationWalker::LocationWalker(SOLoggerPtr logger, int helperCount)
    : m_logger(std::move(logger))
    , m_helperCount(helperCount)
{
}

bool LocationWalker::walk(const QString& folder, const Visitor& visitor)
{
    const QByteArray root = QFile::encodeName(folder);
    // An entry's relative path is its full path without the root and the separator after it.
    const qsizetype rootLength = QString::fromUtf8(root).size() + (root.endsWith('/') ? 0 : 1);
    FolderReadAhead readAhead(rootLength, m_helperCount);
    std::vector<WalkedFolder> pending;
    const FolderReadAhead::TaskPtr rootTask = readAhead.queue({FolderReadAhead::Request{nullptr, root, root}}).front();
    pending.push_back(WalkedFolder{rootTask, root, true});
    std::vector<FolderReadAhead::Request> subfolders;
    while (!pending.empty()) {
        // Taken off the stack first: its parent closes as soon as no pending sibling needs it.
        const WalkedFolder current = std::move(pending.back());
        pending.pop_back();
        subfolders.clear();
        if (!visitListing(QString::fromUtf8(current.path), current.isWalkRoot, readAhead.take(current.task), visitor,
                m_logger, m_enteredFolders, subfolders, m_unreadableFolders))
            return false;
        std::vector<QByteArray> paths;
        paths.reserve(subfolders.size());
        for (const FolderReadAhead::Request& request : subfolders)
            paths.push_back(request.path);
        const std::vector<FolderReadAhead::TaskPtr> tasks = readAhead.queue(std::move(subfolders));
        // Reversed, so the subfolders are entered in the order they were listed.
        for (std::size_t index = tasks.size(); index-- > 0;)
            pending.push_back(WalkedFolder{tasks[index], std::move(paths[index]), false});
    }
    return true;
}

} // namespace pairsift
