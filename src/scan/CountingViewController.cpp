#include "scan/CountingViewController.h"

#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/SerialQueue.h"
#include "scan/CountingScan.h"
#include "settings/PairsiftDefaults.h"
#include "store/PairsiftDatabase.h"
#include "support/foundation/PathClassification.h"
#include "support/logging/SOLogger.h"

#include <QStringList>
#include <QTimer>

namespace pairsift {

namespace {

// The list as the log shows arrays: one path per indented line between parentheses.
QString describeLocations(const QList<LocationItemPtr>& locations)
{
    QStringList lines;
    for (const LocationItemPtr& location : locations)
        lines.append(QStringLiteral("    ") + location->path());
    if (lines.isEmpty())
        return QStringLiteral("(\n)");
    return QStringLiteral("(\n") + lines.join(QStringLiteral(",\n")) + QStringLiteral("\n)");
}

} // namespace

CountingViewController::CountingViewController(QObject* parent)
    : QObject(parent)
{
    readSmallFileSettings();
}

CountingViewController::~CountingViewController()
{
    m_userStopped.store(true, std::memory_order_relaxed);
    releaseQueue();
    stopProgressIndicator();
}

void CountingViewController::addFilesInLocations(const QList<LocationItemPtr>& locations,
    const QList<Filter>& filters, std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session,
    SOLoggerPtr logger, CompletionBlock completionBlock)
{
    if (m_queue) {
        // One store transaction at a time: the running walk keeps its own.
        QMetaObject::invokeMethod(
            this,
            [completionBlock] {
                if (completionBlock)
                    completionBlock(false);
            },
            Qt::QueuedConnection);
        return;
    }
    logDebug(logger, "Locations: %@", describeLocations(locations));
    setUserStopped(false);
    setFileCount(0);
    setCount(0);
    m_latestFileCount.store(0);
    m_addedFiles.clear();
    readSmallFileSettings();
    startProgressIndicator();

    m_queue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.counting"));
    auto scan = std::make_shared<CountingScan>(*this, locations, filters, std::move(db), std::move(session),
        std::move(logger));
    m_queue->async([this, scan, completionBlock = std::move(completionBlock)] {
        const bool finished = scan->run();
        // Queued behind every update this walk posted, and dropped if the controller is gone.
        QMetaObject::invokeMethod(
            this, [this, finished, completionBlock] { finishScan(finished, completionBlock); },
            Qt::QueuedConnection);
    });
}

void CountingViewController::stop()
{
    setUserStopped(true);
}

bool CountingViewController::shouldIgnoreFile(const QString& path, const ContainerType& containerType,
    const QList<Filter>& filters, const SOLoggerPtr& logger) const
{
    if (isSystemPath(path))
        return true;
    for (const Filter& filter : filters) {
        // Every path contains the empty text; a filter left empty must not skip everything.
        if (!filter.glob().isEmpty() && path.contains(filter.glob(), Qt::CaseSensitive)) {
            logInfo(logger, "Ignoring file '%@'", path);
            return true;
        }
    }
    const bool isPhotoLibraryFile = containerType == containerTypeiPhoto || containerType == containerTypeAperture;
    return isPhotoLibraryFile && !isImagePath(path);
}

bool CountingViewController::addFile(const QString& path, const ContainerType& containerType,
    const QString& containerPath, const FileAttributes& attributes, Session& session, const SOLoggerPtr& logger)
{
    Q_ASSERT_X(!path.isNull(), "CountingViewController", "fileName");
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
    if (m_ignoreSmallFiles && static_cast<double>(size) < m_smallFileSize) {
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

void CountingViewController::startProgressIndicator()
{
    if (m_uiTimer)
        return;
    m_uiTimer = new QTimer(this);
    m_uiTimer->setInterval(refreshIntervalMSecs);
    connect(m_uiTimer, &QTimer::timeout, this, &CountingViewController::timerFunction);
    m_uiTimer->start();
    Q_EMIT countingChanged();
}

void CountingViewController::stopProgressIndicator()
{
    if (!m_uiTimer)
        return;
    delete m_uiTimer;
    m_uiTimer = nullptr;
    Q_EMIT countingChanged();
}

void CountingViewController::timerFunction()
{
    setFileCount(m_latestFileCount.load(std::memory_order_relaxed));
    setCount(m_fileCount);
}

void CountingViewController::readSmallFileSettings()
{
    m_ignoreSmallFiles = PairsiftDefaults::ignoreSmallFiles();
    m_smallFileSize = PairsiftDefaults::smallFileSize();
}

void CountingViewController::setUserStopped(bool userStopped)
{
    if (m_userStopped.exchange(userStopped, std::memory_order_relaxed) != userStopped)
        Q_EMIT userStoppedChanged();
}

void CountingViewController::setFileCount(std::uint64_t fileCount)
{
    if (m_fileCount == fileCount)
        return;
    m_fileCount = fileCount;
    Q_EMIT fileCountChanged();
}

void CountingViewController::setCount(std::uint64_t count)
{
    if (m_count == count)
        return;
    m_count = count;
    Q_EMIT countChanged();
}

void CountingViewController::noteFileCount(std::uint64_t fileCount)
{
    // Only published here: the refresh timer takes it on the main thread, so a walk of a million files
    // posts no event per file.
    m_latestFileCount.store(fileCount, std::memory_order_relaxed);
}

void CountingViewController::noteUnreadableLocation(const LocationItemPtr& location)
{
    QMetaObject::invokeMethod(
        this, [location] { location->setStatus(LocationItem::UnreadableStatus); }, Qt::QueuedConnection);
}

void CountingViewController::finishScan(bool finished, const CompletionBlock& completionBlock)
{
    stopProgressIndicator();
    releaseQueue();
    setFileCount(m_latestFileCount.load(std::memory_order_relaxed));
    // A million files' identities are worth giving back between scans.
    std::unordered_set<FileId>().swap(m_addedFiles);
    if (completionBlock)
        completionBlock(finished);
}

void CountingViewController::releaseQueue()
{
    m_queue.reset();
}

} // namespace pairsift
