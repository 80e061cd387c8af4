#include "scan/CountingScan.h"

#include "locations/NormalizedLocations.h"
#include "model/Session.h"
#include "photolibs/ContainerDetection.h"
#include "platform/UserDefaults.h"
#include "scan/CountingViewController.h"
#include "store/PairsiftDatabase.h"
#include "store/StoreTransaction.h"
#include "support/foundation/AliasResolution.h"
#include "support/foundation/ApplicationFolders.h"
#include "support/foundation/PathClassification.h"
#include "support/logging/SOLogger.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace pairsift {

namespace {

// A folder as the walk sees it: canonical where it exists, since locations are canonical.
QString canonicalFolder(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

bool isPhotoLibrary(const ContainerType& type)
{
    return type == containerTypeiPhoto || type == containerTypeAperture;
}

// Follows links, like the existence test of a location or of a link's target.
std::optional<mode_t> modeOf(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return status.st_mode;
}

} // namespace

CountingScan::CountingScan(CountingViewController& controller, QList<LocationItemPtr> locations,
    QList<Filter> filters, std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session, SOLoggerPtr logger)
    : m_controller(controller)
    , m_locations(std::move(locations))
    , m_filters(std::move(filters))
    , m_db(std::move(db))
    , m_session(std::move(session))
    , m_logger(std::move(logger))
    , m_walker(m_logger)
    , m_ownFolders{canonicalFolder(applicationDataFolderPath()), canonicalFolder(UserDefaults::configurationFolder())}
{
    // The live store and its journal, wherever they were put.
    const QString store = m_db->path();
    if (!store.isEmpty())
        m_ownFiles = {store, store + QStringLiteral("-journal")};
}

bool CountingScan::run()
{
    // The store logs its own failures; the caller learns of them through the result.
    if (!m_db->pruneFilesBeforeScan())
        return false;
    StoreTransaction transaction(*m_db);
    if (!transaction.isActive())
        return false;

    for (const LocationItemPtr& location : m_locations) {
        const QString root = resolveAliasPath(location->path());
        if (isBundle(root) && isPhotoLibrary(containerType(QUrl::fromLocalFile(root))))
            m_libraryRoots.append(root);
    }
    for (const LocationItemPtr& location : m_locations) {
        if (!scanLocation(location) || isStopped())
            break;
    }

    bool isCommitted = false;
    if (isStopped())
        transaction.rollback();
    else
        isCommitted = transaction.commit();
    logInfo(m_logger, "Scan complete");
    return isCommitted;
}

bool CountingScan::scanLocation(const LocationItemPtr& location)
{
    const QString path = location->path();
    logDebug(m_logger, "'%@' is the next supplied directory", path);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0) {
        m_controller.noteUnreadableLocation(location);
        return true;
    }
    const std::optional<mode_t> mode = modeOf(path);
    if (!mode || !S_ISDIR(*mode))
        return true;
    logDebug(m_logger, "'%@' is a directory", path);

    const QString root = resolveAliasPath(path);
    if (isOwnPath(root)) {
        logDebug(m_logger, "'%@' holds the program's own files, skipped", root);
        return true;
    }
    if (isBundle(root) && !LocationItem::locationArray(m_locations, root)) {
        logDebug(m_logger, "'%@': package skipped", root);
        return true;
    }
    if (m_controller.shouldIgnoreFile(root, ContainerType(), m_filters, m_logger)) {
        logDebug(m_logger, "'%@': file skipped", root);
        return true;
    }
    // Walked as a plain folder it would add the library's other files under the wrong container.
    if (isInsideListedLibrary(root)) {
        logDebug(m_logger, "'%@': inside a listed photo library, skipped", root);
        return true;
    }
    const ContainerType type = containerType(QUrl::fromLocalFile(root));
    logDebug(m_logger, "'%@': container type: '%@'", root, type);

    QString folder = root;
    if (isPhotoLibrary(type)) {
        folder = root + QStringLiteral("/Masters");
        logDebug(m_logger, "Container: %@, scanning '%@'", type, folder);
    }
    return m_walker.walk(folder, [&](const LocationWalker::Entry& entry) { return visitEntry(entry, type, root); });
}

LocationWalker::Action CountingScan::visitEntry(const LocationWalker::Entry& entry, const ContainerType& containerType,
    const QString& containerPath)
{
    logDebug(m_logger, "'%@' is the next path object", entry.relativePath);
    logDebug(m_logger, "'%@' is the full name", entry.fullPath);

    LocationWalker::Action action = LocationWalker::Action::Continue;
    switch (entry.kind) {
    case LocationWalker::EntryKind::Directory:
        action = visitFolder(entry.fullPath);
        break;
    case LocationWalker::EntryKind::RegularFile:
        offerFile(entry.fullPath, entry.attributes, entry.attributesError, containerType, containerPath);
        break;
    case LocationWalker::EntryKind::SymbolicLink: {
        // A link is judged by its target, under the target's path; the walker never enters it.
        const QString resolved = resolveAliasPath(entry.fullPath);
        const std::optional<mode_t> mode = modeOf(resolved);
        if (mode && S_ISDIR(*mode))
            visitFolder(resolved);
        else if (mode && S_ISREG(*mode)) {
            int error = 0;
            const std::optional<FileAttributes> attributes = readFileAttributes(resolved, &error);
            offerFile(resolved, attributes, error, containerType, containerPath);
        }
        else
            logDebug(m_logger, "'%@' is not a regular file, skipping", entry.fullPath);
        break;
    }
    case LocationWalker::EntryKind::Other:
        logDebug(m_logger, "'%@' is not a regular file, skipping", entry.fullPath);
        break;
    }
    return isStopped() ? LocationWalker::Action::Stop : action;
}

LocationWalker::Action CountingScan::visitFolder(const QString& resolvedPath)
{
    if (isOwnPath(resolvedPath)) {
        logDebug(m_logger, "'%@' holds the program's own files, skipped", resolvedPath);
        return LocationWalker::Action::SkipDescendants;
    }
    if (isBundle(resolvedPath)) {
        logDebug(m_logger, "'%@' is a bundle, ignoring", resolvedPath);
        return LocationWalker::Action::SkipDescendants;
    }
    if (m_controller.shouldIgnoreFile(resolvedPath, ContainerType(), m_filters, m_logger)) {
        logDebug(m_logger, "'%@' is the new ignored dir", resolvedPath);
        return LocationWalker::Action::SkipDescendants;
    }
    return LocationWalker::Action::Continue;
}

void CountingScan::offerFile(const QString& path, const std::optional<FileAttributes>& attributes, int attributesError,
    const ContainerType& containerType, const QString& containerPath)
{
    if (m_controller.shouldIgnoreFile(path, containerType, m_filters, m_logger))
        return;
    if (isOwnPath(path) || m_ownFiles.contains(path)) {
        logDebug(m_logger, "'%@' is one of the program's own files, skipped", path);
        return;
    }
    if (!attributes) {
        logWarning(m_logger, "Unable to read the attributes of file '%@': %@", path, qt_error_string(attributesError));
        return;
    }
    if (!m_controller.addFile(path, containerType, containerPath, *attributes, *m_session, m_logger)) {
        // SQLite ended the scan's transaction (a full disk): every later insert would fail on its own, or
        // be committed alone, and the scan would be half-written. The scan stops and is rolled back.
        if (!m_db->isInTransaction()) {
            logError(m_logger, "The store could not keep the scan's files; the scan is stopped");
            m_isStoreFailed = true;
        }
        return;
    }
    logDebug(m_logger, "'%@': file added, container type: '%@', container path: '%@'", path, containerType,
        containerPath);
    m_controller.noteFileCount(m_session->fileCount());
}

bool CountingScan::isInsideListedLibrary(const QString& root) const
{
    return std::any_of(m_libraryRoots.cbegin(), m_libraryRoots.cend(),
        [&root](const QString& library) { return isPathBelowFolder(root, library); });
}

bool CountingScan::isOwnPath(const QString& path) const
{
    return std::any_of(m_ownFolders.cbegin(), m_ownFolders.cend(),
        [&path](const QString& folder) { return path == folder || isPathBelowFolder(path, folder); });
}

bool CountingScan::isStopped() const
{
    return m_isStoreFailed || m_controller.userStopped();
}

} // namespace pairsift
