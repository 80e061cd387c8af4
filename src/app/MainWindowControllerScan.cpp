// The scan run, the view swaps, loading the results and clearing them.
#include "app/MainWindowController.h"

#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/SessionLoader.h"
#include "locations/ScanLocationTableViewController.h"
#include "model/PairsiftCompare.h"
#include "model/Session.h"
#include "platform/ConsoleLog.h"
#include "platform/Format.h"
#include "platform/SerialQueue.h"
#include "platform/desktop/ApplicationDockTile.h"
#include "results/ResultsController.h"
#include "scan/CountingViewController.h"
#include "scan/ProcessingViewController.h"
#include "scan/views/CountingView.h"
#include "scan/views/ProcessingView.h"
#include "settings/LocationItem.h"
#include "settings/PairsiftDefaults.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"
#include "ui/AlertRunner.h"
#include "ui/FailureAlert.h"
#include "ui/Animations.h"

#include <QStackedWidget>

#include <utility>

namespace pairsift {

CountingViewController& MainWindowController::countingViewController()
{
    if (!m_countingViewController) {
        m_countingViewController = std::make_unique<CountingViewController>();
        if (m_window) {
            m_countingView = new CountingView(*m_countingViewController);
            m_window->stack()->addWidget(m_countingView);
        }
    }
    return *m_countingViewController;
}

ProcessingViewController& MainWindowController::processingViewController()
{
    if (!m_processingViewController) {
        std::shared_ptr<DockTile> dockTile = m_environment.dockTile;
        if (!dockTile)
            dockTile = std::make_shared<ApplicationDockTile>();
        m_processingViewController = std::make_unique<ProcessingViewController>(std::move(dockTile));
        if (m_window) {
            m_processingView = new ProcessingView(*m_processingViewController);
            m_window->stack()->addWidget(m_processingView);
        }
    }
    return *m_processingViewController;
}

bool MainWindowController::mainViewActive() const
{
    return !m_window || m_window->stack()->currentWidget() == m_window->mainView();
}

bool MainWindowController::isNonEmpty() const
{
    return m_results->isNonEmpty();
}

bool MainWindowController::canStartScan() const
{
    return areStoreCommandsEnabled() && !m_scanLocations->locations().isEmpty();
}

void MainWindowController::replaceView(QWidget* newView)
{
    if (!m_window || !newView)
        return;
    const bool isGoingBack = newView == m_window->mainView();
    Animations::replaceView(m_window->stack(), newView,
                            isGoingBack ? Animations::slideRightAnimation() : Animations::slideLeftAnimation());
    Q_EMIT mainViewActiveChanged();
}

void MainWindowController::startScan()
{
    if (!canStartScan())
        return;
    m_scanLocations->pruneDirectories();
    clearResults();
    // The walk adds rows under the locations of now, which the last prune may not have seen.
    m_prunedLocationPaths.reset();
    const QList<LocationItemPtr> locations = m_scanLocations->normalizedLocationsKeepingBundles(true);
    CountingViewController& counting = countingViewController();
    setScanning(true);
    replaceView(m_countingView);
    counting.countFilesInLocations(locations, m_filters, m_db, m_session, m_logger,
                                   [this](const RunOutcome& outcome) { countingCompletion(outcome); });
}

void MainWindowController::stopScan()
{
    if (m_countingViewController && m_countingViewController->isCounting())
        m_countingViewController->stop();
    if (m_processingViewController && m_processingViewController->isRunning())
        m_processingViewController->stop();
}

// A stopped or failed walk (the store refused it, or it threw) was rolled back: the store holds the previous
// scan's rows again. A stop shows them; a failure says so and lists nothing.
void MainWindowController::countingCompletion(const RunOutcome& outcome)
{
    const UnreadableFolders& unreadable = m_countingViewController->unreadableFolders();
    // The folders are named in the tooltip whether or not the log is on.
    const char* note = m_logger ? "%lu folder%s could not be read; see the log." : "%lu folder%s could not be read.";
    setScanNoteText(unreadable.count() == 0 ? QString()
                                            : formatString(note, unreadable.count(), unreadable.count() == 1 ? "" : "s"),
                    unreadable.description());
    if (outcome.isFinished() && m_session->fileCount() > 0) {
        m_scannedFileCount = m_session->fileCount();
        ProcessingViewController& processing = processingViewController();
        replaceView(m_processingView);
        m_processingStart.start();
        processing.compareFilesInSession(*m_session, m_logger, [this](const RunOutcome& comparison, const FileGrouping&) {
            processingCompletion(comparison);
        });
        return;
    }
    replaceView(m_window ? m_window->mainView() : nullptr);
    if (!outcome.isFinished())
        m_session->clear();
    finishScan();
    if (outcome.hasFailed()) {
        showFailure(QStringLiteral("The scan could not be completed."), outcome.reason(), QStringLiteral("Scan failed."));
    } else if (outcome.isStopped()) {
        m_isStopPending = true;
        loadFilesFromDatabase();
    } else {
        updateWastedInfo();
    }
}

void MainWindowController::processingCompletion(const RunOutcome& outcome)
{
    consoleLog("Processed %lu file(s) in %.03f s", m_scannedFileCount,
               static_cast<double>(m_processingStart.nsecsElapsed()) / 1e9);
    replaceView(m_window ? m_window->mainView() : nullptr);
    // A refresh asked for during the scan is this load, pruned first: run after it, it would only load
    // the same rows again.
    const bool isUpdatePending = std::exchange(m_isUpdatePending, false);
    // The scan's items are never listed (the list shows what is read back from the store): freed now,
    // they do not add to the load's memory.
    m_session->clear();
    finishScan();
    if (outcome.hasFailed()) {
        // Some digests were stored before the failure: left in place, a reload (or the next launch) would
        // show some of this scan as its results.
        setBusyState(true, QString());
        runOnStoreQueue([](PairsiftDatabase& db) { return db.pruneFilesBeforeScan(); }, [this](bool isPruned) {
            if (!isPruned)
                logError(m_logger, "Unable to remove the failed scan's files from the store");
            setBusyState(false, QString());
            runPendingUpdate();
        });
        showFailure(QStringLiteral("The scan could not be completed."), outcome.reason(), QStringLiteral("Scan failed."));
        return;
    }
    // A stopped comparison shows the groups whose files already have a SHA-1 in the store.
    m_isStopPending = outcome.isStopped();
    if (isUpdatePending)
        pruneFilesOutsideScanLocations([this] { loadFilesFromDatabase(); });
    else
        loadFilesFromDatabase();
}

void MainWindowController::showFailure(const QString& message, const QString& reason, const QString& status)
{
    logError(m_logger, "%@ %@", message, reason);
    m_results->clearResults();
    m_hasScanFailed = true;
    m_wastedInfoText = status;
    Q_EMIT wastedInfoTextChanged();
    Q_EMIT isNonEmptyChanged();
    Q_EMIT commandStateChanged();
    alertFailure(m_window.get(), message, reason);
}

void MainWindowController::showStopped()
{
    m_hasScanFailed = false;
    m_hasScanStopped = true;
    m_wastedInfoText = QStringLiteral("Scan stopped.");
    Q_EMIT wastedInfoTextChanged();
}

void MainWindowController::finishScan()
{
    setScanning(false);
    if (m_isUpdatePending) {
        m_isUpdatePending = false;
        postUpdateDuplicatesList();
    }
}

void MainWindowController::setScanning(bool scanning)
{
    if (m_isScanning == scanning)
        return;
    m_isScanning = scanning;
    m_results->setReloadsHeld(scanning);
    Q_EMIT scanningChanged();
    Q_EMIT commandStateChanged();
}

// Destroying the views and then their controllers stops a running stage (a walk rolls its transaction
// back) and joins its queue; their completions are then never called.
void MainWindowController::stopAndJoinScan()
{
    if (m_window && !mainViewActive())
        m_window->stack()->setCurrentWidget(m_window->mainView());
    delete m_countingView;
    m_countingView = nullptr;
    delete m_processingView;
    m_processingView = nullptr;
    m_countingViewController.reset();
    m_processingViewController.reset();
    if (m_isScanning)
        m_session->clear();
    setScanning(false);
}

void MainWindowController::loadFilesFromDatabase()
{
    // A read beside the store's bulk work would see some of its change: the load follows the work.
    if (m_storeWorkCount > 0) {
        m_isLoadPending = true;
        return;
    }
    m_isLoadPending = false;
    setBusyState(true, QStringLiteral("Loading scan results..."));
    const qint64 preferFiles = PairsiftDefaults::preferFiles();
    m_loader->load(locationPaths(m_scanLocations->locations()), preferFiles,
                   [this, preferFiles](const RunOutcome& outcome, Session::LoadedFiles& loaded,
                       const SessionLoader::StagedRows& staged) {
                       // Files ordered with an outdated value would show the wrong kept files.
                       if (outcome.isFinished() && PairsiftDefaults::preferFiles() != preferFiles)
                           loadFilesFromDatabase();
                       else
                           showLoadedFiles(outcome, std::move(loaded), staged);
                   });
}

void MainWindowController::showLoadedFiles(const RunOutcome& outcome, Session::LoadedFiles loaded,
    const SessionLoader::StagedRows& staged)
{
    const bool isAfterStop = std::exchange(m_isStopPending, false);
    if (outcome.hasFailed()) {
        showTrashInfo(staged);
        setBusyState(false, QString());
        // Only some of the rows were read: nothing is listed rather than some groups.
        showFailure(QStringLiteral("The scan results could not be loaded."), outcome.reason(),
                    QStringLiteral("Loading the results failed."));
        Q_EMIT resultsLoaded();
        return;
    }
    m_results->displayLoadedFiles(std::move(loaded));
    if (isAfterStop)
        showStopped();
    else
        updateWastedInfo();
    showTrashInfo(staged);
    setBusyState(false, QString());
    Q_EMIT isNonEmptyChanged();
    Q_EMIT commandStateChanged();
    Q_EMIT resultsLoaded();
    runPendingUpdate();
}

void MainWindowController::runPendingUpdate()
{
    if (m_isUpdatePending && !m_isScanning && !m_busy) {
        m_isUpdatePending = false;
        postUpdateDuplicatesList();
    }
}

void MainWindowController::runOnStoreQueue(std::function<bool(PairsiftDatabase&)> work, std::function<void(bool)> applied)
{
    ++m_storeWorkCount;
    // The store logs its own failures; an exception is logged here.
    m_storeQueue->async([this, db = m_db, logger = m_logger, work = std::move(work), applied = std::move(applied)] {
        bool hasThrown = true;
        const RunOutcome outcome = outcomeOf([&] {
            const bool succeeded = work(*db);
            hasThrown = false;
            return succeeded ? RunOutcome::finished() : RunOutcome::failed(db->lastFailure());
        });
        if (hasThrown)
            logError(logger, "%@", outcome.reason());
        QMetaObject::invokeMethod(
            this,
            [this, outcome, applied] {
                --m_storeWorkCount;
                applied(outcome.isFinished());
                if (m_isLoadPending && m_storeWorkCount == 0)
                    loadFilesFromDatabase();
            },
            Qt::QueuedConnection);
    });
}

void MainWindowController::setBusyState(bool busy, const QString& message)
{
    m_busy = busy;
    m_busyMessage = message;
    Q_EMIT busyChanged();
    Q_EMIT commandStateChanged();
}

void MainWindowController::clear()
{
    if (!areStoreCommandsEnabled())
        return;
    AlertRunner::beginSheet({QStringLiteral("Clear scan results?"),
                             QStringLiteral("This will not delete any files, but the current list of duplicate files will be cleared"),
                             {QStringLiteral("Clear"), QStringLiteral("Don't Clear")}},
                            m_window.get(),
                            [this](QMessageBox&, AlertResult result) { clearAlertDidEnd(result == AlertResult::FirstButton); });
}

void MainWindowController::clearAlertDidEnd(bool confirmed)
{
    // A scan may have started while the question was open.
    if (!confirmed || !areStoreCommandsEnabled())
        return;
    clearResults();
    // Staged rows stay for the removal sheet. Busy until the store is done, so nothing else writes it.
    setBusyState(true, QString());
    runOnStoreQueue([](PairsiftDatabase& db) { return db.pruneFilesBeforeScan(); }, [this](bool isCleared) {
        setBusyState(false, QString());
        Q_EMIT storeWorkFinished();
        if (isCleared)
            return runPendingUpdate();
        // The rows are still in the store: show them again rather than let them return at the next launch.
        loadFilesFromDatabase();
        alertFailure(m_window.get(), QStringLiteral("The scan results could not be cleared."),
                     QStringLiteral("The file store refused the change; the log says why."));
    });
}

void MainWindowController::clearResults()
{
    m_scanLocations->resetErrors();
    setScanNoteText(QString());
    m_results->clearResults();
    updateWastedInfo();
    Q_EMIT isNonEmptyChanged();
    Q_EMIT commandStateChanged();
}

} // namespace pairsift
