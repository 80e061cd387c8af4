#include "scan/CountingScan.h"

#include "locations/NormalizedLocations.h"
#include "model/FileItem.h"
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

CountingScan::CountingScan(Settings settings, std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session,
    SOLoggerPtr logger, const std::atomic<bool>& userStopped, UnreadableLocationBlock unreadableLocation)
    : m_settings(std::move(settings))
    , m_db(std::move(db))
    , m_session(std::move(session))
    , m_logger(std::move(logger))
    , m_userStopped(userStopped)
    , m_unreadableLocation(std::move(unreadableLocation))
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

    for (const LocationItemPtr& location : m_settings.locations) {
        const QString root = resolveAliasPath(location->path());
        if (isBundle(root) && isPhotoLibrary(containerType(QUrl::fromLocalFile(root))))
            m_libraryRoots.append(root);
    }
    for (const LocationItemPtr& location : m_settings.locations) {
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
        if (m_unreadableLocation)
            m_unreadableLocation(location);
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
    if (isBundle(root) && !LocationItem::locationArray(m_settings.locations, root)) {
        logDebug(m_logger, "'%@': package skipped", root);
        return true;
    }
    if (CountingViewController::shouldIgnoreFile(root, ContainerType(), m_settings.filters, m_logger)) {
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
    if (CountingViewController::shouldIgnoreFile(resolvedPath, ContainerType(), m_settings.filters, m_logger)) {
        logDebug(m_logger, "'%@' is the new ignored dir", resolvedPath);
        return LocationWalker::Action::SkipDescendants;
    }
    return LocationWalker::Action::Continue;
}

void CountingScan::offerFile(const QString& path, const std::optional<FileAttributes>& attributes, int attributesError,
    const ContainerType& containerType, const QString& containerPath)
{
    if (CountingViewController::shouldIgnoreFile(path, containerType, m_settings.filters, m_logger))
        return;
    if (isOwnPath(path) || m_ownFiles.contains(path)) {
        logDebug(m_logger, "'%@' is one of the program's own files, skipped", path);
        return;
    }
    if (!attributes) {
        logWarning(m_logger, "Unable to read the attributes of file '%@': %@", path, qt_error_string(attributesError));
        return;
    }
    if (!addFile(path, containerType, containerPath, *attributes, *m_session, m_logger)) {
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
    m_fileCount.publish(m_session->fileCount());
}

bool CountingScan::addFile(const QString& path, const ContainerType& containerType, const QString& containerPath,
    const FileAttributes& attributes, Session& session, const SOLoggerPtr& logger)
{
    Q_ASSERT_X(!path.isNull(), "CountingScan", "fileName");
    logInfo(logger, "Adding file: '%@'", path);
    const FileItemPtr file = FileItem::create(path);
    file->setAttributes(attributes);
    file->setContainerType(containerType);
    file->setContainerPath(containerPath);

    const quint64 size = file->totalSize();
    if (size == 0) {
        logWarning(logger, "File '%@' has zero size", path);
        return false;
    }
    if (m_settings.ignoreSmallFiles && static_cast<double>(size) < m_settings.smallFileSize) {
        logWarning(logger, "File '%@' is too small (%ld b)", path, static_cast<qint64>(size));
        return false;
    }
    // A file reached twice (hard links, links, bind mounts, overlapping locations) would otherwise be
    // grouped with itself, and removing the "duplicate" would remove the only copy.
    if (!m_addedFiles.insert(attributes.id).second) {
        logInfo(logger, "File '%@' is the same file as one already added, skipping", path);
        return false;
    }
    return session.addNewFile(file);
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
    return m_isStoreFailed || m_userStopped.load(std::memory_order_relaxed);
}

} // namespace pairsift
