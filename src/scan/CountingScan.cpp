#include "scan/CountingScan.h"

#include "locations/NormalizedLocations.h"
#include "model/FileItem.h"
#include "model/Session.h"
#include "photolibs/ContainerDetection.h"
#include "platform/UserDefaults.h"
#include "scan/CountingViewController.h"
#include "scan/WalkHandoff.h"
#include "store/PairsiftDatabase.h"
#include "store/StoreTransaction.h"
#include "support/foundation/AliasResolution.h"
#include "support/foundation/ApplicationFolders.h"
#include "support/foundation/PathClassification.h"
#include "support/logging/HeldLog.h"
#include "support/logging/SOLogger.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <thread>

namespace pairsift {

namespace {

// A folder as the walk sees it: canonical where it exists, since locations are canonical.
QString canonicalFolder(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

// Messages the walk holds back between two files, at most, before it hands them over alone.
constexpr std::size_t maximumHeldMessages = 64;

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

RunOutcome CountingScan::run()
{
    // The store logs its own failures; the caller learns of them through the outcome. The live rows go
    // inside the transaction, so a stopped or failed scan leaves the previous scan's rows in place.
    StoreTransaction transaction(*m_db);
    if (!transaction.isActive() || !m_db->pruneFilesBeforeScan())
        return storeFailure();

    for (const LocationItemPtr& location : m_settings.locations) {
        const QString root = resolveAliasPath(location->path());
        if (isBundle(root) && isPhotoLibrary(containerType(QUrl::fromLocalFile(root))))
            m_libraryRoots.append(root);
    }
    for (const LocationItemPtr& location : m_settings.locations) {
        if (!scanLocation(location) || isStopped())
            break;
    }

    RunOutcome outcome = RunOutcome::finished();
    if (m_isStoreFailed) {
        transaction.rollback();
        outcome = RunOutcome::failed(m_storeFailure);
    } else if (isStopped()) {
        transaction.rollback();
        outcome = RunOutcome::stopped();
    } else if (!transaction.commit()) {
        outcome = storeFailure();
    }
    logInfo(m_logger, "Scan complete");
    return outcome;
}

RunOutcome CountingScan::storeFailure() const
{
    const QString reason = m_db->lastFailure();
    return RunOutcome::failed(reason.isEmpty() ? QStringLiteral("The store could not keep the scan's files.") : reason);
}

bool CountingScan::scanLocation(const LocationItemPtr& location)
{
    const QString path = location->path();
    logDebug(m_logger, "'%@' is the next supplied directory", path);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0) {
        const int error = errno;
        logWarning(m_logger, "Unable to read folder '%@': %@", path, qt_error_string(error));
        m_unreadableLocations.note(path, error);
        if (m_unreadableLocation)
            m_unreadableLocation(location, error);
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
    return walkLocation(folder, type, root);
}

bool CountingScan::walkLocation(const QString& folder, const ContainerType& containerType,
    const QString& containerPath)
{
    WalkHandoff handoff;
    bool isWalked = false;
    std::exception_ptr walkFailure;
    std::thread walking([&] {
        try {
            HeldLog held;
            isWalked = m_walker.walk(folder, [&](const LocationWalker::Entry& entry) {
                Visit visit = visitEntry(entry, containerType, containerPath);
                // Messages alone travel too, so a walk that offers nothing holds back no more than a few.
                if ((visit.offered || held.heldCount() >= maximumHeldMessages)
                    && !handoff.push(WalkStep{held.take(), std::move(visit.offered)}))
                    return LocationWalker::Action::Stop;
                return visit.action;
            });
            handoff.push(WalkStep{held.take(), nullptr});
        } catch (...) {
            walkFailure = std::current_exception();
        }
        handoff.finish();
    });

    try {
        for (std::vector<WalkStep> batch = handoff.take(); !batch.empty(); batch = handoff.take()) {
            for (const WalkStep& step : batch) {
                // The scan ends after the step before, as a walk on this thread would have after that entry.
                if (isStopped()) {
                    handoff.abandon();
                    break;
                }
                for (const HeldLogMessage& message : step.messages)
                    message.send();
                if (step.file)
                    keepFile(step.file);
            }
        }
    } catch (...) {
        handoff.abandon();
        walking.join();
        throw;
    }
    handoff.abandon();
    walking.join();
    if (walkFailure)
        std::rethrow_exception(walkFailure);
    return isWalked && !isStopped();
}

CountingScan::Visit CountingScan::visitEntry(const LocationWalker::Entry& entry, const ContainerType& containerType,
    const QString& containerPath)
{
    logDebug(m_logger, "'%@' is the next path object", entry.relativePath);
    logDebug(m_logger, "'%@' is the full name", entry.fullPath);

    Visit visit;
    switch (entry.kind) {
    case LocationWalker::EntryKind::Directory:
        visit.action = visitFolder(entry.fullPath);
        break;
    case LocationWalker::EntryKind::RegularFile:
        visit.offered = offerFile(entry.fullPath, entry.attributes, entry.attributesError, containerType, containerPath);
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
            visit.offered = offerFile(resolved, attributes, error, containerType, containerPath);
        }
        else
            logDebug(m_logger, "'%@' is not a regular file, skipping", entry.fullPath);
        break;
    }
    case LocationWalker::EntryKind::Other:
        logDebug(m_logger, "'%@' is not a regular file, skipping", entry.fullPath);
        break;
    }
    if (isStopped())
        visit.action = LocationWalker::Action::Stop;
    return visit;
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

FileItemPtr CountingScan::offerFile(const QString& path, const std::optional<FileAttributes>& attributes,
    int attributesError, const ContainerType& containerType, const QString& containerPath)
{
    if (CountingViewController::shouldIgnoreFile(path, containerType, m_settings.filters, m_logger))
        return nullptr;
    if (isOwnPath(path) || m_ownFiles.contains(path)) {
        logDebug(m_logger, "'%@' is one of the program's own files, skipped", path);
        return nullptr;
    }
    if (!attributes) {
        logWarning(m_logger, "Unable to read the attributes of file '%@': %@", path, qt_error_string(attributesError));
        return nullptr;
    }
    return prepareFile(path, containerType, containerPath, *attributes);
}

FileItemPtr CountingScan::prepareFile(const QString& path, const ContainerType& containerType,
    const QString& containerPath, const FileAttributes& attributes)
{
    Q_ASSERT_X(!path.isNull(), "CountingScan", "fileName");
    logInfo(m_logger, "Adding file: '%@'", path);
    const FileItemPtr file = FileItem::create(path);
    file->setAttributes(attributes);
    file->setContainerType(containerType);
    file->setContainerPath(containerPath);

    const quint64 size = file->totalSize();
    if (size == 0) {
        logWarning(m_logger, "File '%@' has zero size", path);
        return nullptr;
    }
    if (m_settings.ignoreSmallFiles && static_cast<double>(size) < m_settings.smallFileSize) {
        logWarning(m_logger, "File '%@' is too small (%ld b)", path, static_cast<qint64>(size));
        return nullptr;
    }
    // A file reached twice (hard links, links, bind mounts, overlapping locations) would otherwise be
    // grouped with itself, and removing the "duplicate" would remove the only copy.
    if (!m_offeredFiles.insert(attributes.id).second) {
        logInfo(m_logger, "File '%@' is the same file as one already added, skipping", path);
        return nullptr;
    }
    return file;
}

void CountingScan::keepFile(const FileItemPtr& file)
{
    if (!m_session->addNewFile(file)) {
        // SQLite ended the scan's transaction (a full disk): every later insert would fail on its own, or
        // be committed alone, and the scan would be half-written. The scan stops and is rolled back.
        if (!m_db->isInTransaction()) {
            logError(m_logger, "The store could not keep the scan's files; the scan is stopped");
            m_storeFailure = storeFailure().reason();
            m_isStoreFailed = true;
        }
        return;
    }
    // The path is composed only for a log that takes it.
    if (m_logger) {
        logDebug(m_logger, "'%@': file added, container type: '%@', container path: '%@'", file->name(),
            file->containerType(), file->containerPath());
    }
    m_fileCount.publish(m_session->fileCount());
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
    return m_isStoreFailed.load(std::memory_order_relaxed) || m_userStopped.load(std::memory_order_relaxed);
}

} // namespace pairsift
