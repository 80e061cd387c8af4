#pragma once

#include "model/FileGrouping.h"
#include "platform/BackgroundRelease.h"
#include "platform/RunOutcome.h"
#include "processing/ProcessingPipeline.h"
#include "scan/ProcessingProgressMailbox.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class QTimer;

namespace pairsift {

class DKDockProgressIndicator;
class DockTile;
class PairsiftDatabase;
class SerialQueue;
class Session;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The second half of a scan: compares the session's same-size candidates on the serial queue
// "com.lanternforges.Pairsift.processing" and shows how far it has come. The processing view and the
// application's icon observe the properties; one controller serves every run of a window. Main thread only.
class ProcessingViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString stage READ stage WRITE setStage NOTIFY stageChanged)
    Q_PROPERTY(quint64 done READ done WRITE setDone NOTIFY doneChanged)
    Q_PROPERTY(quint64 total READ total WRITE setTotal NOTIFY totalChanged)
    Q_PROPERTY(QString progressString READ progressString WRITE setProgressString NOTIFY progressStringChanged)
    Q_PROPERTY(QString elapsedTimeString READ elapsedTimeString WRITE setElapsedTimeString NOTIFY elapsedTimeStringChanged)
    Q_PROPERTY(QString remainingTimeString READ remainingTimeString WRITE setRemainingTimeString NOTIFY remainingTimeStringChanged)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName NOTIFY fileNameChanged)
    Q_PROPERTY(quint64 fileDone READ fileDone WRITE setFileDone NOTIFY fileDoneChanged)
    Q_PROPERTY(quint64 fileTotal READ fileTotal WRITE setFileTotal NOTIFY fileTotalChanged)
    Q_PROPERTY(bool fileProgressVisible READ fileProgressVisible WRITE setFileProgressVisible NOTIFY fileProgressVisibleChanged)
    Q_PROPERTY(bool userStopped READ userStopped WRITE setUserStopped NOTIFY userStoppedChanged)
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)

public:
    // How a comparison run ended, and the pipeline's final grouping (by SHA-1; empty after a failure).
    using OutcomeBlock = std::function<void(const RunOutcome& outcome, const FileGrouping& grouping)>;
    // Makes a run's pipeline from the pruned by-size grouping, the logger and the store.
    using PipelineFactory = std::function<std::unique_ptr<ProcessingPipeline>(
        FileGrouping fileGroupingBySize, SOLoggerPtr logger, std::shared_ptr<PairsiftDatabase> db)>;

    // How often the texts and the icon's bar follow the progress.
    static constexpr int refreshIntervalMSecs = 1000;
    // `total` until the first report of a run.
    static constexpr std::uint64_t initialTotal = 100;

    // The icon's bar is drawn on `dockTile`, which the window's owner passes in (the application's tile on
    // the desktop); with none the bar's values are kept but shown nowhere.
    explicit ProcessingViewController(std::shared_ptr<DockTile> dockTile = nullptr, QObject* parent = nullptr);
    // Stops a running comparison and joins it; its completion is then not called, since whoever waits for
    // it is going away too.
    ~ProcessingViewController() override;

    // Returns at once. Compares the session's files that share their size with another (read now, so the
    // session may change afterwards); the outcome runs on the main thread exactly once, also when the run
    // throws: finished, stopped by the user, or failed with the reason (the store refused the digests,
    // an exception), with the final grouping. A call while a run is going fails at once with an empty
    // grouping and leaves that run alone.
    void compareFilesInSession(const Session& session, SOLoggerPtr logger, OutcomeBlock outcomeBlock);
    // The same, told true only when the run finished.
    void processFilesInSession(const Session& session, SOLoggerPtr logger, ProcessingCompletionBlock completionBlock);

    // The stop control's action: the run ends at the stages' next progress report.
    void stop();

    // The refresh timer: the texts and the icon's bar follow done and total once a second while a run goes.
    void startTimer();
    void stopTimer();
    void timerFunction();

    // Replaces how a run's pipeline is made (the fast and the reliable comparison by default).
    void setPipelineFactory(PipelineFactory factory);

    const QString& stage() const { return m_stage; }
    void setStage(const QString& stage);
    std::uint64_t done() const { return m_done; }
    void setDone(std::uint64_t done);
    std::uint64_t total() const { return m_total; }
    void setTotal(std::uint64_t total);
    const QString& progressString() const { return m_progressString; }
    void setProgressString(const QString& progressString);
    const QString& elapsedTimeString() const { return m_elapsedTimeString; }
    void setElapsedTimeString(const QString& elapsedTimeString);
    const QString& remainingTimeString() const { return m_remainingTimeString; }
    void setRemainingTimeString(const QString& remainingTimeString);
    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& fileName);
    std::uint64_t fileDone() const { return m_fileDone; }
    void setFileDone(std::uint64_t fileDone);
    std::uint64_t fileTotal() const { return m_fileTotal; }
    void setFileTotal(std::uint64_t fileTotal);
    bool fileProgressVisible() const { return m_fileProgressVisible; }
    void setFileProgressVisible(bool fileProgressVisible);
    bool userStopped() const { return m_userStopped.load(std::memory_order_relaxed); }
    void setUserStopped(bool userStopped);

    // How the last run ended; a failed one (a full disk) is never to be shown as finished without
    // duplicates.
    const RunOutcome& lastOutcome() const { return m_lastOutcome; }
    // From the start call until the completion is called.
    bool isRunning() const { return m_uiUpdateTimer != nullptr; }
    // Null while idle.
    QTimer* uiUpdateTimer() const { return m_uiUpdateTimer; }
    // The pipeline of the running comparison; null while idle.
    const ProcessingPipeline* pipeline() const { return m_pipeline.get(); }
    DKDockProgressIndicator* dockProgressIndicator() const { return m_dockProgressIndicator; }

Q_SIGNALS:
    void stageChanged();
    void doneChanged();
    void totalChanged();
    void progressStringChanged();
    void elapsedTimeStringChanged();
    void remainingTimeStringChanged();
    void fileNameChanged();
    void fileDoneChanged();
    void fileTotalChanged();
    void fileProgressVisibleChanged();
    void userStoppedChanged();
    void runningChanged();

private:
    // The state a run starts from: nothing reported yet, texts and the icon's bar at zero.
    void resetProgress();
    // Processing queue: the stages' progress block.
    void reportProgress(const QString& stageName, const FileItemPtr& file, const StageProgressInfo& info, bool* stop);
    // Main thread: the values the worker left last.
    void applyLatestProgress();
    // Main thread: the worker's one hand-off.
    void finishRun(const std::shared_ptr<FileGrouping>& grouping, const RunOutcome& outcome,
        const OutcomeBlock& outcomeBlock);
    // Processing queue: runs the pipeline and says how it ended.
    RunOutcome runPipeline(FileGrouping& grouping, const SOLoggerPtr& logger);
    void refreshTexts(double elapsedSeconds);
    double elapsedSeconds() const;
    // Joins the finished or stopping worker.
    void releaseQueue();

    QString m_stage;
    std::uint64_t m_done = 0;
    std::uint64_t m_total = initialTotal;
    QString m_progressString;
    QString m_elapsedTimeString;
    QString m_remainingTimeString;
    QString m_fileName;
    std::uint64_t m_fileDone = 0;
    std::uint64_t m_fileTotal = 0;
    bool m_fileProgressVisible = false;
    // Written on the main thread, read by the worker at every report.
    std::atomic<bool> m_userStopped{false};
    RunOutcome m_lastOutcome = RunOutcome::finished();

    PipelineFactory m_pipelineFactory;
    std::unique_ptr<ProcessingPipeline> m_pipeline;
    // A finished run's pipeline holds the scan's candidate files, which the session has replaced by then.
    BackgroundRelease m_release{QStringLiteral("com.lanternforges.Pairsift.release")};
    DKDockProgressIndicator* m_dockProgressIndicator = nullptr;
    QTimer* m_uiUpdateTimer = nullptr;
    // Monotonic, so a clock change cannot make a run look shorter or longer.
    QElapsedTimer m_startTime;
    ProcessingProgressMailbox m_progress;
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace pairsift
