#pragma once

#include "app/CrashReporter.h"
#include "app/SessionLoader.h"
#include "locations/ScanLocationDelegate.h"
#include "model/FileItem.h"
#include "platform/RunOutcome.h"
#include "removal/views/TrashSheet.h"
#include "settings/Filter.h"
#include "settings/PreferencesHost.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace pairsift {

class CountingView;
class CountingViewController;
class DockTile;
class FolderChooser;
class InstanceChannel;
class MainWindow;
class PairsiftDatabase;
class PhotoLibraryProbe;
class PreferencesPanelController;
class ProcessingView;
class ProcessingViewController;
class ResultsController;
class ScanLocationAddController;
class ScanLocationTableViewController;
class Session;
class SerialQueue;
class SOLogger;
class StoreLock;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The program's one coordinator. It owns the store, the session, the logger and the controllers of the
// locations list, of counting and of processing; it runs start-up in three halves, the per-launch log,
// the scan with its view swaps, and the loading of results, which is the only way the results list is
// rebuilt. The window and its widgets are MainWindow's; the results list (its order, expanded groups,
// selection, marking status and details) is the ResultsController's, which shows every load. Main thread
// only.
//
// The commands that turn marks into removals (marking, staging, Delete, the removal sheet) and the help,
// support and preferences commands live in MainWindowControllerMarking.cpp; those that write the store run
// only while areStoreCommandsEnabled() is true. The removal sheet is made fresh for each showing and gets
// the logger whenever it changes; the preferences window is made on first use and kept.
class MainWindowController : public QObject, public ScanLocationDelegate, public PreferencesHost,
                             public CrashReporterDelegate {
    Q_OBJECT
    Q_PROPERTY(QString wastedInfoText READ wastedInfoText NOTIFY wastedInfoTextChanged)
    Q_PROPERTY(QString trashInfo READ trashInfo NOTIFY trashInfoChanged)
    Q_PROPERTY(bool busy READ isBusy NOTIFY busyChanged)
    Q_PROPERTY(QString busyMessage READ busyMessage NOTIFY busyChanged)
    Q_PROPERTY(bool isNonEmpty READ isNonEmpty NOTIFY isNonEmptyChanged)
    Q_PROPERTY(bool mainViewActive READ mainViewActive NOTIFY mainViewActiveChanged)
    Q_PROPERTY(bool scanning READ isScanning NOTIFY scanningChanged)
    Q_PROPERTY(bool optionKeyDown READ optionKeyDown NOTIFY optionKeyDownChanged)
    Q_PROPERTY(bool isSparkleAvailable READ isSparkleAvailable CONSTANT)
    Q_PROPERTY(QString scanNoteText READ scanNoteText NOTIFY scanNoteTextChanged)

public:
    // What the coordinator is given rather than makes, so that tests can stand in.
    struct Environment {
        // Where the processing progress bar is drawn; null: the application's icon and launcher entry.
        std::shared_ptr<DockTile> dockTile;
        // Null: the window-modal file dialog.
        std::shared_ptr<FolderChooser> folderChooser;
        // Null: the program's own probe.
        std::shared_ptr<PhotoLibraryProbe> photoLibraries;
        // Names this launch's log file; invalid: now.
        QDateTime launchTime;
    };

    // Why there is no coordinator: another program holds the store, or the store cannot be used.
    struct StoreFailure {
        enum class Kind { AlreadyRunning, CannotOpen };
        Kind kind = Kind::CannotOpen;
        // The store's full path.
        QString path;
        // SQLite's own message (or the system's), for the user.
        QString reason;
    };

    static QString loadFilesNotificationName() { return QStringLiteral("com.pairsift.notification.LoadFilesFromDatabase"); }
    static QString cleanupNotificationName() { return QStringLiteral("com.pairsift.notification.CleanupAfterRemoval"); }

    // Start-up, first half: the store's lock (before anything else, so that a second program changes
    // nothing), the log file's name (and the logger when logging is on), the status texts, the store, checked,
    // and the session. Nothing when the lock is held elsewhere or the store cannot be opened; `failure`
    // then says which and why.
    static std::unique_ptr<MainWindowController> create(Environment environment, StoreFailure* failure = nullptr);
    // "PairsiftData.db3" in the application's folder.
    static QString databaseFilePath();
    // Stops and joins the workers, then closes the store and the log.
    ~MainWindowController() override;

    // Start-up, second half: builds the window, restores the locations, migrates the oldest location
    // setting, registers the settings' defaults, and asks for the previous results to be loaded once the
    // event loop runs.
    void awakeFromNib();
    // Start-up, third part: the updater and the crash reporter.
    void applicationDidFinishLaunching();

    // --- What it owns ---

    const std::shared_ptr<PairsiftDatabase>& db() const { return m_db; }
    const std::shared_ptr<Session>& session() const { return m_session; }
    // Null while logging is off.
    const SOLoggerPtr& logger() const { return m_logger; }
    // This launch's log file, whether or not logging is on.
    const QString& currentLogFilePath() const override { return m_currentLogFilePath; }
    const QList<Filter>& filters() const override { return m_filters; }
    void setFilters(QList<Filter> filters) override { m_filters = std::move(filters); }
    bool hasUpdateFeed() const override;
    ScanLocationTableViewController& scanLocationTableViewController() const { return *m_scanLocations; }
    ScanLocationAddController& scanLocationAddController() const { return *m_addController; }
    // Created on first access, reused by every scan.
    CountingViewController& countingViewController();
    ProcessingViewController& processingViewController();
    // Null before awakeFromNib().
    MainWindow* window() const { return m_window.get(); }
    ResultsController& resultsController() const { return *m_results; }

    // --- Log file ---

    void createLogger();
    void destroyLogger();

    // --- Scan run and results ---

    // Folds the locations, empties the results and starts counting behind the counting view; the
    // comparison follows, then the loader.
    void startScan();
    // Asks the running stage to end; its completion returns to the main view.
    void stopScan();
    // Rebuilds the session from the store off the main thread and shows it; the selection is kept by
    // (SHA-1, path). A later call supersedes a pending one; a load whose "prefer_files" value changed on
    // the way is read again. Asked for during the store's bulk work, it starts once that has ended.
    void loadFilesFromDatabase();
    void setBusyState(bool busy, const QString& message);
    // Asks (window-modal) whether to clear; on "Clear" empties the results and the store's live rows.
    void clear();
    void clearResults();

    bool isBusy() const { return m_busy; }
    const QString& busyMessage() const { return m_busyMessage; }
    bool isNonEmpty() const;
    // The last scan, or the load after it, failed: the status line says so instead of the results' texts,
    // until the next scan or load.
    bool hasScanFailed() const { return m_hasScanFailed; }
    // The last scan was stopped: the status line says so instead of the wasted space, and never claims
    // that there are no duplicates, until the next scan or load.
    bool hasScanStopped() const { return m_hasScanStopped; }
    // The main view is showing: no scan is on screen.
    bool mainViewActive() const;
    // From startScan() until the scan's last completion.
    bool isScanning() const { return m_isScanning; }
    // The commands that write the store (Scan, Clear, staging, Delete, removing a location, the removal
    // sheet) run only while this is true: not during a scan, whose transaction holds the store's one
    // connection, and not while results load.
    bool areStoreCommandsEnabled() const { return !m_isScanning && !m_busy; }
    bool canStartScan() const;

    // --- Status texts ---

    const QString& wastedInfoText() const { return m_wastedInfoText; }
    // What the last scan could not do ("2 folders could not be read."); empty when it did everything, and
    // from the start of the next scan or a clear. Its tooltip names the first few folders with the reason.
    const QString& scanNoteText() const { return m_scanNoteText; }
    const QString& scanNoteToolTip() const { return m_scanNoteToolTip; }
    void setScanNoteText(const QString& text, const QString& toolTip = QString());
    QString trashInfo() const;
    std::uint64_t numOfTrashFiles() const { return m_numOfTrashFiles; }
    double sizeOfTrashFiles() const { return m_sizeOfTrashFiles; }
    void updateWastedInfo();
    void updateTrashInfo();
    void showTrashInfo(const SessionLoader::StagedRows& staged);

    // --- Refresh after changes of the store or the locations ---

    // When idle, coalesced: prune the store to the locations and reload.
    void postUpdateDuplicatesList();
    void onUpdateDuplicatesListNotification();
    // Deletes the store's rows outside the locations on the staging queue, busy meanwhile, unless the
    // store was already pruned to these locations since the last scan began. `then` runs on the main
    // thread once that is done, or once a failure has been logged.
    void pruneFilesOutsideScanLocations(std::function<void()> then);
    void scanLocationControllerUpdatedLocations(ScanLocationTableViewController* controller,
        const QList<LocationItemPtr>& locations) override;

    // --- Window and commands ---

    void windowDidBecomeMain();
    void windowWillClose();
    // The modifier keys of a key event in the window: keeps whether Alt (the option key) is down.
    void flagsChanged(Qt::KeyboardModifiers modifiers);
    bool optionKeyDown() const { return m_optionKeyDown; }
    // Clears the keyboard focus, then makes the window active and brings it to the front.
    void showMainApplicationWindow();
    // The same, the keyboard focus kept (a second start asked for the window).
    void bringWindowForward();
    void showMainApplicationWindowForCrashManager(CrashReporter& manager) override;
    // The updater is always built in.
    static constexpr bool isSparkleAvailable() { return true; }
    void checkForUpdates();
    // The locations half of Delete: removes the selected locations, after a confirmation while the
    // "confirm_delete_location" setting asks for one.
    void removeSelectedLocations();

    // --- Marking, staging and the removal sheet ---

    // Marks every file but the kept one of every group.
    void selectDuplicates();
    void selectNone();
    // Flips the selected file's mark; a group's files all become marked unless all already are.
    void markUnmarkFile();
    // Stages the marked files of the groups marked in part, reloads and selects the next group.
    void removeAllMarkedFiles();
    // Delete: the locations list forgets its selected locations when it has the keyboard, otherwise the
    // selected file (or every file but the kept one of the selected group) is staged.
    void deleteAction();
    void deleteSelectedItem();
    // Prunes the store to the locations, then opens the removal sheet over the window.
    void displayTrashSheet();
    // Null unless the removal sheet is open.
    TrashSheet* trashSheet() const { return m_trashSheet; }
    // "TinyTrashcanFullTemplate" while files are staged, else "TinyTrashTemplate".
    QString trashIconName() const;

    // --- Help, support and preferences ---

    void showHelp();
    // Opens the help book at the anchor in the browser.
    void showHelpAnchor(const QString& anchor);
    // The help book's page with the anchor, written out of the program's resources on first use; empty
    // when it cannot be written.
    static QUrl helpURL(const QString& anchor);
    void contactSupport();
    // The support mail with the version texts in its body, percent-encoded.
    static QUrl supportMailURL(const QString& version, const QString& build, const QString& osVersion);
    void showPreferencesPanel();
    // Null until first shown.
    PreferencesPanelController* preferencesPanelController() const { return m_preferences.get(); }

Q_SIGNALS:
    void wastedInfoTextChanged();
    void trashInfoChanged();
    void busyChanged();
    void isNonEmptyChanged();
    void mainViewActiveChanged();
    void scanningChanged();
    void optionKeyDownChanged();
    void scanNoteTextChanged();
    // Whatever enables a command may have changed.
    void commandStateChanged();
    // A load finished and the results area shows its result.
    void resultsLoaded();
    // Staging or Clear has finished its store work (and, for staging, asked for the reload).
    void storeWorkFinished();

private:
    MainWindowController(Environment environment, QObject* parent = nullptr);

    bool lockStore(StoreFailure& failure);
    void initLogging();
    bool initDatabase(StoreFailure& failure);
    void closeDatabase();
    void replaceView(QWidget* newView);
    void countingCompletion(const RunOutcome& outcome);
    void processingCompletion(const RunOutcome& outcome);
    // The failure alert over the window and `status` in the status line; nothing is listed.
    void showFailure(const QString& message, const QString& reason, const QString& status);
    void showStopped();
    // Back on the main view after a scan; runs a refresh that waited for the scan.
    void finishScan();
    void setScanning(bool scanning);
    void stopAndJoinScan();
    void showLoadedFiles(const RunOutcome& outcome, Session::LoadedFiles loaded, const SessionLoader::StagedRows& staged);
    void clearAlertDidEnd(bool confirmed);
    // The store's bulk work (staging, deleting the live rows, pruning to the locations) on the staging
    // queue; `applied` gets its answer on the main thread, unless this controller is gone by then.
    void runOnStoreQueue(std::function<bool(PairsiftDatabase& db)> work, std::function<void(bool succeeded)> applied);
    // A refresh that waited for a scan, a load or the store's work, once none runs.
    void runPendingUpdate();
    void removeObservations();
    // Runs `select` once the reload asked for has shown its result, or at once without one.
    void selectAfterReload(bool reloaded, std::function<void()> select);
    void openTrashSheet();
    void trashSheetDidEnd(bool hasChangedFiles);

    Environment m_environment;
    QString m_currentLogFilePath;
    SOLoggerPtr m_logger;
    int m_logFile = -1;
    // Held for the controller's life, past the store's close.
    std::unique_ptr<StoreLock> m_storeLock;
    // Listens for a second start while the lock is held.
    std::unique_ptr<InstanceChannel> m_instanceChannel;
    std::shared_ptr<PairsiftDatabase> m_db;
    std::shared_ptr<Session> m_session;
    QList<Filter> m_filters;

    QString m_wastedInfoText;
    QString m_scanNoteText;
    QString m_scanNoteToolTip;
    std::uint64_t m_numOfTrashFiles = 0;
    double m_sizeOfTrashFiles = 0;
    bool m_busy = false;
    QString m_busyMessage;
    bool m_isScanning = false;
    bool m_hasScanFailed = false;
    bool m_hasScanStopped = false;
    // The next load shows the results a stopped scan left.
    bool m_isStopPending = false;
    bool m_optionKeyDown = false;
    // A refresh asked for while a scan ran, results loaded or the store was pruned; done when that ends.
    bool m_isUpdatePending = false;
    // The locations the store was last pruned to; none before the first prune and once a scan begins.
    std::optional<QStringList> m_prunedLocationPaths;
    // Bulk work on the store queue whose answer has not been applied yet, and a load asked for meanwhile.
    int m_storeWorkCount = 0;
    bool m_isLoadPending = false;
    std::uint64_t m_scannedFileCount = 0;
    QElapsedTimer m_processingStart;
    quint64 m_loggingObserver = 0;

    // Declared after what they use, so they go first.
    std::unique_ptr<SerialQueue> m_storeQueue;
    std::unique_ptr<SessionLoader> m_loader;
    std::unique_ptr<ResultsController> m_results;
    std::unique_ptr<ScanLocationTableViewController> m_scanLocations;
    std::unique_ptr<ScanLocationAddController> m_addController;
    std::unique_ptr<CountingViewController> m_countingViewController;
    std::unique_ptr<ProcessingViewController> m_processingViewController;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<PreferencesPanelController> m_preferences;
    QPointer<TrashSheet> m_trashSheet;
    CountingView* m_countingView = nullptr;
    ProcessingView* m_processingView = nullptr;
};

} // namespace pairsift
