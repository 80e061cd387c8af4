// Start-up, the log file, the status texts, the refresh after changes, and the window's life.
#include "app/MainWindowController.h"

#include "app/ApplicationInfo.h"
#include "app/CrashReporter.h"
#include "app/InstanceChannel.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/SessionLoader.h"
#include "platform/SerialQueue.h"
#include "app/Updater.h"
#include "locations/ScanLocationAddController.h"
#include "locations/ScanLocationTableViewController.h"
#include "locations/views/FileDialogFolderChooser.h"
#include "model/Session.h"
#include "platform/ConsoleLog.h"
#include "platform/Format.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationQueue.h"
#include "removal/InterruptedRemovals.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "results/ResultsController.h"
#include "scan/CountingViewController.h"
#include "scan/ProcessingViewController.h"
#include "settings/PairsiftDefaults.h"
#include "settings/views/PreferencesPanelController.h"
#include "store/PairsiftDatabase.h"
#include "store/StoreLock.h"
#include "support/foundation/ApplicationFolders.h"
#include "support/foundation/PSWindowDidBecomeMainNotification.h"
#include "support/foundation/SizeFormatting.h"
#include "support/logging/SOLogger.h"
#include "ui/AlertRunner.h"
#include "ui/FailureAlert.h"

#include <QDir>

namespace pairsift {

namespace {

const char* pluralEnding(std::uint64_t count)
{
    return count == 1 ? "" : "s";
}

} // namespace

std::unique_ptr<MainWindowController> MainWindowController::create(Environment environment, StoreFailure* failure)
{
    std::unique_ptr<MainWindowController> controller(new MainWindowController(std::move(environment)));
    StoreFailure storeFailure;
    if (!controller->lockStore(storeFailure)) {
        if (failure)
            *failure = storeFailure;
        return nullptr;
    }
    controller->initLogging();
    controller->m_wastedInfoText = formatString("Wasted space: %@", stringWithDiskSpace(0));
    if (!controller->initDatabase(storeFailure)) {
        if (failure)
            *failure = storeFailure;
        return nullptr;
    }
    // The session keeps the logger of this moment for the rest of the run.
    controller->m_session = std::make_shared<Session>(controller->m_db, controller->m_logger);
    controller->m_storeQueue = std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.staging"));
    controller->m_loader = std::make_unique<SessionLoader>(controller->m_db);
    controller->m_results = std::make_unique<ResultsController>(*controller->m_session);
    controller->m_results->setLocationsProvider([scanLocations = controller->m_scanLocations.get()] {
        return scanLocations->locations();
    });
    return controller;
}

MainWindowController::MainWindowController(Environment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , m_scanLocations(std::make_unique<ScanLocationTableViewController>())
{
}

MainWindowController::~MainWindowController()
{
    CrashReporter::sharedManager().removeDelegate(this);
    removeObservations();
    NotificationCenter::defaultCenter().removeObserver(this);
    m_scanLocations->setDelegate(nullptr);
    stopAndJoinScan();
    m_window.reset();
    m_loader.reset();
    m_storeQueue.reset();
    closeDatabase();
    destroyLogger();
}

void MainWindowController::initLogging()
{
    m_loggingObserver = PairsiftDefaults::observeLogging([this](bool logging) {
        if (logging)
            createLogger();
        else
            destroyLogger();
    });
    const QDateTime launchTime = m_environment.launchTime.isValid() ? m_environment.launchTime : QDateTime::currentDateTime();
    const QString fileName = formatString("Pairsift-%@.log", launchTime.toString(QStringLiteral("yyyy-MM-dd_HHmmss")));
    m_currentLogFilePath = QDir::cleanPath(QDir(logDirectoryPath()).filePath(fileName));
    if (PairsiftDefaults::logging())
        createLogger();
}

void MainWindowController::createLogger()
{
    if (m_logger)
        return;
    m_logger = SOLogger::loggerForFacility(ApplicationInfo::identifier(), SOLoggerDefaultClientOptions);
    // Appends, so switching logging off and on again keeps the earlier lines; without a file the logger
    // still reaches the system log and standard error.
    m_logFile = m_logger->openLogFile(m_currentLogFilePath);
    m_logger->info("Logging started");
    if (m_trashSheet)
        m_trashSheet->controller()->setLogger(m_logger);
}

void MainWindowController::destroyLogger()
{
    if (m_logger && m_logFile >= 0)
        m_logger->removeFileDescriptor(m_logFile);
    m_logFile = -1;
    m_logger.reset();
    if (m_trashSheet)
        m_trashSheet->controller()->setLogger(nullptr);
}

QString MainWindowController::databaseFilePath()
{
    // Named even when the folder cannot be made, so that a failure can say where.
    return QDir::cleanPath(applicationDataFolderPath() + QStringLiteral("/PairsiftData.db3"));
}

// A second program on the store would delete this one's rows before its scan and have its digests land
// on nothing. The lock file needs the folder; when it cannot be had, opening the store says why.
bool MainWindowController::lockStore(StoreFailure& failure)
{
    const QString path = databaseFilePath();
    if (applicationSupportDirectory().isNull())
        return true;
    m_storeLock = std::make_unique<StoreLock>(path);
    if (m_storeLock->isLocked()) {
        // A second start asks this program to come forward instead.
        m_instanceChannel = std::make_unique<InstanceChannel>();
        m_instanceChannel->listen(path, [this] { bringWindowForward(); });
        return true;
    }
    if (m_storeLock->state() == StoreLock::State::HeldElsewhere) {
        consoleLog("Pairsift is already running with the store '%@'", path);
        failure = {StoreFailure::Kind::AlreadyRunning, path, QString()};
    } else {
        consoleLog("Unable to lock the store '%@': %@", path, m_storeLock->failureReason());
        failure = {StoreFailure::Kind::CannotOpen, path,
                   formatString("The store's lock file cannot be opened: %@", m_storeLock->failureReason())};
    }
    return false;
}

bool MainWindowController::initDatabase(StoreFailure& failure)
{
    const QString path = databaseFilePath();
    QString reason = QStringLiteral("The application's folder cannot be created.");
    if (m_storeLock)
        m_db = PairsiftDatabase::databaseWithPath(path, &reason);
    if (!m_db) {
        logError(m_logger, "Unable to create internal database at path '%@'", path);
        failure = {StoreFailure::Kind::CannotOpen, path, reason};
        return false;
    }
    recoverInterruptedRemovals(*m_db, m_logger);
    return true;
}

void MainWindowController::closeDatabase()
{
    if (m_db)
        m_db->close();
}

void MainWindowController::awakeFromNib()
{
    std::shared_ptr<FileDialogFolderChooser> dialogChooser;
    if (!m_environment.folderChooser)
        m_environment.folderChooser = dialogChooser = std::make_shared<FileDialogFolderChooser>(nullptr);
    m_addController = std::make_unique<ScanLocationAddController>(*m_scanLocations, m_environment.photoLibraries,
                                                                  m_environment.folderChooser);
    m_scanLocations->setDelegate(this);
    m_window = std::make_unique<MainWindow>(*this);
    m_window->restoreFrame();
    if (dialogChooser)
        dialogChooser->setWindow(m_window.get());
    connect(m_addController.get(), &ScanLocationAddController::locationsRefused, this,
            [this](const QString& message) { alertFailure(m_window.get(), message); });

    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(this, cleanupNotificationName(), nullptr, [this](const Notification&) { onUpdateDuplicatesListNotification(); });
    center.addObserver(this, loadFilesNotificationName(), nullptr, [this](const Notification&) { loadFilesFromDatabase(); });

    m_scanLocations->loadLocationsFromPrefs();
    m_scanLocations->loadRecentLocationsFromPrefs();
    m_scanLocations->pruneDirectories();
    const QString legacyDirectory = PairsiftDefaults::directory();
    m_scanLocations->addDirectory(legacyDirectory);
    PairsiftDefaults::setDirectory(QString());
    // Kept at once: the old setting is gone, and a crash before the window closes would lose it.
    if (!legacyDirectory.isEmpty())
        m_scanLocations->saveLocationsToPrefs();
    connect(m_scanLocations->model(), &QAbstractItemModel::rowsInserted, this, &MainWindowController::commandStateChanged);
    connect(m_scanLocations->model(), &QAbstractItemModel::rowsRemoved, this, &MainWindowController::commandStateChanged);
    connect(m_scanLocations->model(), &QAbstractItemModel::modelReset, this, &MainWindowController::commandStateChanged);

    PairsiftDefaults::registerDefaultsWithLogger(m_logger);
    m_filters = PairsiftDefaults::filterArray();
    Q_EMIT commandStateChanged();

    NotificationQueue::defaultQueue().enqueueNotification(Notification{loadFilesNotificationName(), nullptr},
                                                          PostingStyle::PostASAP);
}

void MainWindowController::applicationDidFinishLaunching()
{
    Updater& updater = Updater::sharedUpdater();
    updater.setFeedURL(ApplicationInfo::updateFeedURL());

    CrashReporter& reporter = CrashReporter::sharedManager();
    reporter.configureWithIdentifier(CrashReporter::applicationIdentifier(), this);
    reporter.setAutoSubmitCrashReport(true);
    reporter.startManager();
}

QString MainWindowController::trashInfo() const
{
    if (m_numOfTrashFiles == 0)
        return QStringLiteral("No files staged for removal.");
    return formatString("Staged for removal: %lu file%s (%@)", m_numOfTrashFiles, pluralEnding(m_numOfTrashFiles),
                        stringWithDiskSpace(m_sizeOfTrashFiles));
}

void MainWindowController::setScanNoteText(const QString& text, const QString& toolTip)
{
    if (m_scanNoteText == text && m_scanNoteToolTip == toolTip)
        return;
    m_scanNoteText = text;
    m_scanNoteToolTip = toolTip;
    Q_EMIT scanNoteTextChanged();
}

void MainWindowController::updateWastedInfo()
{
    m_hasScanFailed = false;
    m_hasScanStopped = false;
    m_wastedInfoText = formatString("Wasted space: %@", stringWithDiskSpace(m_session->wastedSpace()));
    Q_EMIT wastedInfoTextChanged();
}

void MainWindowController::updateTrashInfo()
{
    showTrashInfo(SessionLoader::readStagedRows(*m_db));
}

void MainWindowController::showTrashInfo(const SessionLoader::StagedRows& staged)
{
    if (staged.isRead) {
        m_numOfTrashFiles = staged.count;
        m_sizeOfTrashFiles = static_cast<double>(staged.size);
    } else {
        logError(m_logger, "Error getting trash info: %@", staged.failure);
        m_numOfTrashFiles = 0;
        m_sizeOfTrashFiles = 0;
    }
    Q_EMIT trashInfoChanged();
}

void MainWindowController::postUpdateDuplicatesList()
{
    NotificationQueue::defaultQueue().enqueueNotification(Notification{cleanupNotificationName(), nullptr},
                                                          PostingStyle::PostWhenIdle);
}

void MainWindowController::onUpdateDuplicatesListNotification()
{
    // The scan's transaction holds the store, and a load reads what pruning would change under it;
    // the end of either runs this.
    if (m_isScanning || m_busy) {
        m_isUpdatePending = true;
        return;
    }
    pruneFilesOutsideScanLocations([this] { loadFilesFromDatabase(); });
}

void MainWindowController::pruneFilesOutsideScanLocations(std::function<void()> then)
{
    QStringList paths;
    for (const LocationItemPtr& location : m_scanLocations->normalizedLocationsKeepingBundles(false))
        paths.append(location->path());
    // Between scans no row is added, so the same locations would delete nothing, yet read every row.
    if (m_prunedLocationPaths == paths)
        return then();
    // Busy until the store is done, so nothing else writes it and no scan begins.
    setBusyState(true, QString());
    auto staged = std::make_shared<SessionLoader::StagedRows>();
    runOnStoreQueue(
        [paths, staged](PairsiftDatabase& db) {
            if (!db.pruneFilesOutsidePaths(paths))
                return false;
            *staged = SessionLoader::readStagedRows(db);
            return true;
        },
        [this, paths, staged, then = std::move(then)](bool isPruned) {
            setBusyState(false, QString());
            if (isPruned) {
                m_prunedLocationPaths = paths;
                showTrashInfo(*staged);
            } else {
                logError(m_logger, "Unable to prune files outside paths: %@", describeList(paths));
            }
            then();
        });
}

void MainWindowController::scanLocationControllerUpdatedLocations(ScanLocationTableViewController*,
    const QList<LocationItemPtr>&)
{
    postUpdateDuplicatesList();
}

void MainWindowController::windowDidBecomeMain()
{
    PSWindowDidBecomeMainNotification::postWithStyle(PostingStyle::PostWhenIdle, this);
    m_addController->activate();
}

void MainWindowController::windowWillClose()
{
    // The workers go first: the saves below use the store, which a scan's transaction would hold.
    stopAndJoinScan();
    // Preferences goes first, so that its last edit is among the filters saved and none comes after.
    if (m_preferences)
        m_preferences->closeWindow();
    PairsiftDefaults::setFilterArray(m_filters);
    m_window->saveFrame();
    removeObservations();
    m_scanLocations->saveLocationsToPrefs();
    m_session->saveExpandedGroups();
}

void MainWindowController::flagsChanged(Qt::KeyboardModifiers modifiers)
{
    const bool isDown = modifiers.testFlag(Qt::AltModifier);
    if (isDown == m_optionKeyDown)
        return;
    m_optionKeyDown = isDown;
    Q_EMIT optionKeyDownChanged();
}

void MainWindowController::showMainApplicationWindowForCrashManager(CrashReporter&)
{
    showMainApplicationWindow();
}

void MainWindowController::showMainApplicationWindow()
{
    if (!m_window)
        return;
    if (QWidget* focus = m_window->focusWidget())
        focus->clearFocus();
    bringWindowForward();
}

void MainWindowController::bringWindowForward()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void MainWindowController::removeObservations()
{
    if (m_loggingObserver)
        PairsiftDefaults::unobserveLogging(m_loggingObserver);
    m_loggingObserver = 0;
}

void MainWindowController::checkForUpdates()
{
    Updater::sharedUpdater().checkForUpdates(m_window.get());
}

void MainWindowController::removeSelectedLocations()
{
    const int count = m_scanLocations->selectionCount();
    if (!areStoreCommandsEnabled() || count == 0)
        return;
    if (!PairsiftDefaults::confirmDeleteLocation()) {
        m_scanLocations->removeDirectory();
        return;
    }
    const char* ending = count == 1 ? "" : "s";
    // Named, so that a row that only looked selected is not removed unawares.
    const int first = m_scanLocations->selectedRows().constFirst();
    const QString named = count == 1 ? formatString("“%@”", m_scanLocations->locations().at(first)->path())
                                     : formatString("these %d locations", count);
    AlertText text{formatString("Remove selected location%s?", ending),
                   formatString("This will forget any files contained in the selected location%s: %@", ending, named),
                   {QStringLiteral("Remove"), QStringLiteral("Don't remove")}, true};
    AlertRunner::beginSheet(text, m_window.get(), [this](QMessageBox& alert, AlertResult result) {
        // A scan may have started while the question was open.
        if (result == AlertResult::FirstButton && areStoreCommandsEnabled())
            m_scanLocations->removeDirectory();
        if (AlertRunner::isSuppressionChecked(alert))
            PairsiftDefaults::setConfirmDeleteLocation(false);
    });
}

} // namespace pairsift
