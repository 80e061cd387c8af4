#include "scan/CountingViewController.h"

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
    countFilesInLocations(locations, filters, std::move(db), std::move(session), std::move(logger),
        [completionBlock = std::move(completionBlock)](const RunOutcome& outcome) {
            if (completionBlock)
                completionBlock(outcome.isFinished());
        });
}

void CountingViewController::countFilesInLocations(const QList<LocationItemPtr>& locations,
    const QList<Filter>& filters, std::shared_ptr<PairsiftDatabase> db, std::shared_ptr<Session> session,
    SOLoggerPtr logger, OutcomeBlock outcomeBlock)
{
    if (m_queue) {
        // One store transaction at a time: the running walk keeps its own.
        QMetaObject::invokeMethod(
            this,
            [outcomeBlock] {
                if (outcomeBlock)
                    outcomeBlock(RunOutcome::failed(QStringLiteral("A scan is already running.")));
            },
            Qt::QueuedConnection);
        return;
    }
    logDebug(logger, "Locations: %@", describeLocations(locations));
    setUserStopped(false);
    setFileCount(0);
    setCount(0);
    m_unreadableFolders = {};
    readSmallFileSettings();
    startProgressIndicator();

    m_scan = std::make_shared<CountingScan>(
        CountingScan::Settings{locations, filters, m_ignoreSmallFiles, m_smallFileSize}, std::move(db),
        std::move(session), std::move(logger), m_userStopped,
        [this](const LocationItemPtr& location, int error) { noteUnreadableLocation(location, error); });
    m_queue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.counting"));
    m_queue->async([this, scan = m_scan, outcomeBlock = std::move(outcomeBlock)] {
        const RunOutcome outcome = outcomeOf([&scan] { return scan->run(); });
        // Queued behind every update this walk posted, and dropped if the controller is gone.
        QMetaObject::invokeMethod(
            this, [this, outcome, outcomeBlock] { finishScan(outcome, outcomeBlock); }, Qt::QueuedConnection);
    });
}

void CountingViewController::stop()
{
    setUserStopped(true);
}

bool CountingViewController::shouldIgnoreFile(const QString& path, const ContainerType& containerType,
    const QList<Filter>& filters, const SOLoggerPtr& logger)
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
    if (m_scan)
        setFileCount(m_scan->latestFileCount());
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

void CountingViewController::noteUnreadableLocation(const LocationItemPtr& location, int error)
{
    QMetaObject::invokeMethod(
        this, [location, reason = qt_error_string(error)] { location->markUnreadable(reason); }, Qt::QueuedConnection);
}

void CountingViewController::finishScan(const RunOutcome& outcome, const OutcomeBlock& outcomeBlock)
{
    stopProgressIndicator();
    releaseQueue();
    setFileCount(m_scan->latestFileCount());
    m_unreadableFolders = m_scan->unreadableFolders();
    // A million files' identities are worth giving back between scans.
    m_scan.reset();
    if (outcomeBlock)
        outcomeBlock(outcome);
}

void CountingViewController::releaseQueue()
{
    m_queue.reset();
}

} // namespace pairsift
