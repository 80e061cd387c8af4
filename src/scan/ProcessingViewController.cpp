#include "scan/ProcessingViewController.h"

#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/SerialQueue.h"
#include "scan/DKDockProgressIndicator.h"
#include "scan/ProcessingTexts.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <QTimer>

#include <utility>

namespace pairsift {

namespace {

std::unique_ptr<ProcessingPipeline> comparisonPipeline(FileGrouping fileGroupingBySize, SOLoggerPtr logger,
    std::shared_ptr<PairsiftDatabase> db)
{
    return std::make_unique<ProcessingPipeline>(std::move(fileGroupingBySize), std::move(logger), std::move(db));
}

template <typename Value>
bool assign(Value& stored, const Value& value)
{
    if (stored == value)
        return false;
    stored = value;
    return true;
}

} // namespace

ProcessingViewController::ProcessingViewController(std::shared_ptr<DockTile> dockTile, QObject* parent)
    : QObject(parent)
    , m_pipelineFactory(comparisonPipeline)
    , m_dockProgressIndicator(new DKDockProgressIndicator(std::move(dockTile), this))
{
    refreshTexts(0);
}

ProcessingViewController::~ProcessingViewController()
{
    m_userStopped.store(true, std::memory_order_relaxed);
    releaseQueue();
    stopTimer();
}

void ProcessingViewController::processFilesInSession(const Session& session, SOLoggerPtr logger,
    ProcessingCompletionBlock completionBlock)
{
    compareFilesInSession(session, std::move(logger),
        [completionBlock = std::move(completionBlock)](const RunOutcome& outcome, const FileGrouping& grouping) {
            if (completionBlock)
                completionBlock(outcome.isFinished(), grouping);
        });
}

void ProcessingViewController::compareFilesInSession(const Session& session, SOLoggerPtr logger,
    OutcomeBlock outcomeBlock)
{
    if (m_queue) {
        // The running comparison owns the pipeline and writes to the store: a second one is refused rather
        // than replacing them under the worker.
        QMetaObject::invokeMethod(
            this,
            [outcomeBlock] {
                if (outcomeBlock)
                    outcomeBlock(RunOutcome::failed(QStringLiteral("A comparison is already running.")),
                        FileGrouping(FileGroupingByHash));
            },
            Qt::QueuedConnection);
        return;
    }

    m_pipeline = m_pipelineFactory(session.candidateGroupsBySize(), logger, session.db());

    setUserStopped(false);
    resetProgress();
    m_dockProgressIndicator->setMinValue(0);
    m_dockProgressIndicator->setHidden(false);
    startTimer();
    m_startTime.start();

    m_queue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.processing"));
    m_queue->async([this, logger = std::move(logger), outcomeBlock = std::move(outcomeBlock)] {
        auto grouping = std::make_shared<FileGrouping>(FileGroupingByHash);
        const RunOutcome outcome = outcomeOf([&] { return runPipeline(*grouping, logger); });
        // Queued behind every progress update of this run, and dropped if the controller is gone.
        QMetaObject::invokeMethod(
            this, [this, grouping, outcome, outcomeBlock] { finishRun(grouping, outcome, outcomeBlock); },
            Qt::QueuedConnection);
    });
}

// Processing queue; blocks until the last stage ends. Unreadable files are logged and left out by the
// stages; a stop ends the run at their next report; a store that refuses the digests fails it.
RunOutcome ProcessingViewController::runPipeline(FileGrouping& grouping, const SOLoggerPtr& logger)
{
    grouping = m_pipeline->processFilesWithProgress(
        [this](const QString& stageName, const FileItemPtr& file, StageProgressInfo info, bool* stop) {
            reportProgress(stageName, file, info, stop);
        });
    if (grouping.groupedBy() != FileGroupingByHash) {
        Q_ASSERT_X(false, "ProcessingViewController", "The final file grouping must be by SHA1");
        logError(logger, "The final file grouping must be by SHA1");
    }
    if (m_pipeline->hasFailed())
        return RunOutcome::failed(m_pipeline->failureReason());
    return userStopped() ? RunOutcome::stopped() : RunOutcome::finished();
}

void ProcessingViewController::stop()
{
    setUserStopped(true);
}

void ProcessingViewController::startTimer()
{
    if (m_uiUpdateTimer)
        return;
    // Qt's timers keep firing while a menu is open or the user drags, so one timer covers both cases.
    m_uiUpdateTimer = new QTimer(this);
    m_uiUpdateTimer->setInterval(refreshIntervalMSecs);
    connect(m_uiUpdateTimer, &QTimer::timeout, this, &ProcessingViewController::timerFunction);
    m_uiUpdateTimer->start();
    Q_EMIT runningChanged();
}

void ProcessingViewController::stopTimer()
{
    if (!m_uiUpdateTimer)
        return;
    delete m_uiUpdateTimer;
    m_uiUpdateTimer = nullptr;
    Q_EMIT runningChanged();
}

void ProcessingViewController::timerFunction()
{
    m_dockProgressIndicator->setMaxValue(static_cast<double>(m_total));
    m_dockProgressIndicator->setDoubleValue(static_cast<double>(m_done));
    refreshTexts(elapsedSeconds());
}

void ProcessingViewController::setPipelineFactory(PipelineFactory factory)
{
    m_pipelineFactory = factory ? std::move(factory) : PipelineFactory(comparisonPipeline);
}

void ProcessingViewController::resetProgress()
{
    // Nothing of the last run may show while the new one has not reported yet.
    setStage(QString());
    setFileName(QString());
    setFileDone(0);
    setFileTotal(0);
    setFileProgressVisible(false);
    setTotal(initialTotal);
    setDone(0);
    m_dockProgressIndicator->setMaxValue(static_cast<double>(m_total));
    m_dockProgressIndicator->setDoubleValue(0);
    refreshTexts(0);
}

void ProcessingViewController::reportProgress(const QString& stageName, const FileItemPtr& file,
    const StageProgressInfo& info, bool* stop)
{
    const ProcessingProgress progress{stageName, info.totalCount, info.doneCount, file ? file->name() : QString(),
        info.fileBytesTotal, info.fileBytesDone, info.fileProgressVisible};
    if (m_progress.publish(progress))
        QMetaObject::invokeMethod(this, [this] { applyLatestProgress(); }, Qt::QueuedConnection);
    *stop = m_userStopped.load(std::memory_order_relaxed);
}

void ProcessingViewController::applyLatestProgress()
{
    // Only copies: the percentage and the times are recomputed by the timer, once a second.
    const ProcessingProgress progress = m_progress.take();
    setStage(progress.stage);
    setTotal(progress.total);
    setDone(progress.done);
    setFileName(progress.fileName);
    setFileTotal(progress.fileTotal);
    setFileDone(progress.fileDone);
    setFileProgressVisible(progress.fileProgressVisible);
}

void ProcessingViewController::finishRun(const std::shared_ptr<FileGrouping>& grouping, const RunOutcome& outcome,
    const OutcomeBlock& outcomeBlock)
{
    stopTimer();
    m_dockProgressIndicator->setHidden(true);
    releaseQueue();
    m_release.release(std::shared_ptr<ProcessingPipeline>(std::move(m_pipeline)));
    m_lastOutcome = outcome;
    if (outcomeBlock)
        outcomeBlock(outcome, *grouping);
}

void ProcessingViewController::refreshTexts(double elapsed)
{
    setProgressString(percentageText(m_done, m_total));
    setElapsedTimeString(elapsedText(elapsed));
    setRemainingTimeString(remainingText(elapsed, m_done, m_total));
}

double ProcessingViewController::elapsedSeconds() const
{
    return m_startTime.isValid() ? static_cast<double>(m_startTime.elapsed()) / 1000.0 : 0.0;
}

void ProcessingViewController::releaseQueue()
{
    m_queue.reset();
}

void ProcessingViewController::setStage(const QString& stage)
{
    if (assign(m_stage, stage))
        Q_EMIT stageChanged();
}

void ProcessingViewController::setDone(std::uint64_t done)
{
    if (assign(m_done, done))
        Q_EMIT doneChanged();
}

void ProcessingViewController::setTotal(std::uint64_t total)
{
    if (assign(m_total, total))
        Q_EMIT totalChanged();
}

void ProcessingViewController::setProgressString(const QString& progressString)
{
    if (assign(m_progressString, progressString))
        Q_EMIT progressStringChanged();
}

void ProcessingViewController::setElapsedTimeString(const QString& elapsedTimeString)
{
    if (assign(m_elapsedTimeString, elapsedTimeString))
        Q_EMIT elapsedTimeStringChanged();
}

void ProcessingViewController::setRemainingTimeString(const QString& remainingTimeString)
{
    if (assign(m_remainingTimeString, remainingTimeString))
        Q_EMIT remainingTimeStringChanged();
}

void ProcessingViewController::setFileName(const QString& fileName)
{
    if (assign(m_fileName, fileName))
        Q_EMIT fileNameChanged();
}

void ProcessingViewController::setFileDone(std::uint64_t fileDone)
{
    if (assign(m_fileDone, fileDone))
        Q_EMIT fileDoneChanged();
}

void ProcessingViewController::setFileTotal(std::uint64_t fileTotal)
{
    if (assign(m_fileTotal, fileTotal))
        Q_EMIT fileTotalChanged();
}

void ProcessingViewController::setFileProgressVisible(bool fileProgressVisible)
{
    if (assign(m_fileProgressVisible, fileProgressVisible))
        Q_EMIT fileProgressVisibleChanged();
}

void ProcessingViewController::setUserStopped(bool userStopped)
{
    if (m_userStopped.exchange(userStopped, std::memory_order_relaxed) != userStopped)
        Q_EMIT userStoppedChanged();
}

} // namespace pairsift
