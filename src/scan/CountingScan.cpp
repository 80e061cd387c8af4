#include "scan/CountingScan.h"

#include "locations/NormalizedLocations.h"
#include "model/FileItem.h"
#include "model/Session.h"
#include "photolibs/ContainerDetection.h"
#include "scan/CountingViewController.h"
#include "store/PairsiftDatabase.h"
#include "store/StoreTransaction.h"
#include "support/foundation/AliasResolution.h"
#include "support/foundation/PathClassification.h"
#include "support/logging/SOLogger.h"

#include <QFile>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace pairsift {

namespace {

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
{
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
        offerFile(entry.fullPath, containerType, containerPath);
        break;
    case LocationWalker::EntryKind::SymbolicLink: {
        // A link is judged by its target, under the target's path; the walker never enters it.
        const QString resolved = resolveAliasPath(entry.fullPath);
        const std::optional<mode_t> mode = modeOf(resolved);
        if (mode && S_ISDIR(*mode))
            visitFolder(resolved);
        else if (mode && S_ISREG(*mode))
            offerFile(resolved, containerType, containerPath);
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

void CountingScan::offerFile(const QString& path, const ContainerType& containerType, const QString& containerPath)
{
    if (CountingViewController::shouldIgnoreFile(path, containerType, m_settings.filters, m_logger))
        return;
    if (!addFile(path, containerType, containerPath, *m_session, m_logger))
        return;
    logDebug(m_logger, "'%@': file added, container type: '%@', container path: '%@'", path, containerType,
        containerPath);
    m_fileCount.publish(m_session->fileCount());
}

bool CountingScan::addFile(const QString& path, const ContainerType& containerType, const QString& containerPath,
    Session& session, const SOLoggerPtr& logger)
{
    Q_ASSERT_X(!path.isNull(), "CountingScan", "fileName");
    logInfo(logger, "Adding file: '%@'", path);
    const FileItemPtr file = FileItem::create(path);
    const std::optional<FileId> identity = file->fillAttributes(FileItem::AllAttributes);
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
    if (identity && !m_addedFiles.insert(*identity).second) {
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

bool CountingScan::isStopped() const
{
    return m_userStopped.load(std::memory_order_relaxed);
}

} // namespace pairsift
