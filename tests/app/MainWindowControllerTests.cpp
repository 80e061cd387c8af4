#include "app/AppTestSupport.h"

#include "app/ApplicationLauncher.h"
#include "app/CrashReporter.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "locations/ScanLocationAddController.h"
#include "locations/ScanLocationTableViewController.h"
#include "model/Session.h"
#include "results/ResultsController.h"
#include "platform/NotificationCenter.h"
#include "platform/UserDefaults.h"
#include "scan/CountingViewController.h"
#include "scan/ProcessingViewController.h"
#include "settings/PairsiftDefaults.h"
#include "settings/SettingsKeys.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"
#include "support/foundation/PSWindowDidBecomeMainNotification.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/EventLoopWait.h"
#include "testkit/FullDisk.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QToolButton>
#include <QStackedWidget>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace pairsift::test {
namespace {

QByteArray bytes(int size, char fill)
{
    return QByteArray(size, fill);
}

// Two groups of two under "a", one unique file, and one group split between "a" and "b".
void writeDuplicates(AppTest& test, const std::function<QString(const QString&, const QByteArray&)>& write)
{
    (void)test;
    write(QStringLiteral("a/one.txt"), bytes(1000, 'x'));
    write(QStringLiteral("a/one copy.txt"), bytes(1000, 'x'));
    write(QStringLiteral("a/two.bin"), bytes(3000, 'y'));
    write(QStringLiteral("a/sub/two.bin"), bytes(3000, 'y'));
    write(QStringLiteral("a/unique.txt"), bytes(1000, 'z'));
    write(QStringLiteral("b/three.dat"), bytes(5000, 'w'));
    write(QStringLiteral("a/three.dat"), bytes(5000, 'w'));
}

QStringList liveRows(PairsiftDatabase& db)
{
    QStringList paths;
    db.enumerateFiles([&paths](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&, const QString&,
                              const QString&, bool*) { paths.append(path); });
    return paths;
}

class MainWindowControllerTest : public AppTest {
protected:
    void writeTree()
    {
        writeDuplicates(*this, [this](const QString& relative, const QByteArray& content) { return writeFile(relative, content); });
    }
    MainWindow& window() const { return *m_controller->window(); }
    QWidget* currentView() const { return window().stack()->currentWidget(); }
};

TEST_F(MainWindowControllerTest, startUpMigratesTheOldSettingAndLoadsOnlyOnceTheLoopRuns)
{
    const QString legacy = m_home.makeFolder(QStringLiteral("files/legacy"));
    UserDefaults::standard().setValue(QStringLiteral("directory"), legacy);

    m_controller = MainWindowController::create({nullptr, m_chooser, nullptr, QDateTime()});
    ASSERT_TRUE(m_controller);
    EXPECT_EQ(m_controller->wastedInfoText(), QStringLiteral("Wasted space: 0 B"));
    EXPECT_FALSE(m_controller->logger()) << "logging is off by default";
    EXPECT_TRUE(m_controller->currentLogFilePath().startsWith(dataFolder() + QStringLiteral("/Logs/Pairsift-")));
    EXPECT_FALSE(QFile::exists(m_controller->currentLogFilePath()));

    m_controller->awakeFromNib();
    EXPECT_EQ(results().selectionInfoText(), QStringLiteral("No duplicate files."));
    ASSERT_EQ(m_controller->scanLocationTableViewController().locations().size(), 1);
    EXPECT_EQ(m_controller->scanLocationTableViewController().locations().at(0)->path(), legacy);
    EXPECT_FALSE(UserDefaults::standard().value(QStringLiteral("directory")).isValid());
    EXPECT_TRUE(UserDefaults::standard().registeredValue(QStringLiteral("sort_key")).isValid());
    EXPECT_FALSE(m_controller->isBusy()) << "the load waits for the event loop";
    EXPECT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_EQ(m_controller->trashInfo(), QStringLiteral("No files staged for removal."));
}

TEST_F(MainWindowControllerTest, loggingSwitchesAtRunTimeIntoOneFilePerLaunch)
{
    launch();
    const QString path = m_controller->currentLogFilePath();
    PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    UserDefaults::standard().setValue(QStringLiteral("logging"), QStringLiteral("YES"));
    ASSERT_TRUE(m_controller->logger());
    UserDefaults::standard().setValue(QStringLiteral("logging"), QStringLiteral("NO"));
    EXPECT_FALSE(m_controller->logger());
    UserDefaults::standard().setValue(QStringLiteral("logging"), QStringLiteral("YES"));
    EXPECT_EQ(m_controller->currentLogFilePath(), path);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()).count(QStringLiteral("Logging started")), 2);
}

TEST_F(MainWindowControllerTest, aStoreThatCannotOpenNamesItsPathAndExitsWithFailure)
{
    // A file where the application's folder belongs.
    m_home.writeFile(QStringLiteral("data/Pairsift"), "not a folder");
    ApplicationLauncher launcher({m_dockTile, m_chooser, nullptr, QDateTime()});
    int exitCode = -1;
    QObject::connect(&launcher, &ApplicationLauncher::exitRequested, [&exitCode](int code) { exitCode = code; });

    EXPECT_FALSE(launcher.start());
    EXPECT_FALSE(launcher.controller());
    ASSERT_TRUE(launcher.failureAlert());
    EXPECT_TRUE(launcher.failureAlert()->text().contains(dataFolder() + QStringLiteral("/PairsiftData.db3")));
    launcher.failureAlert()->accept();
    EXPECT_EQ(exitCode, ApplicationLauncher::storeFailureExitCode);
    QApplication::setQuitOnLastWindowClosed(true);
}

TEST_F(MainWindowControllerTest, aScanShowsItsViewsThenTheGroupsAndALaunchRestoresThem)
{
    writeTree();
    launch();
    addLocation(filesPath(QStringLiteral("a")));
    addLocation(filesPath(QStringLiteral("b")));
    ASSERT_EQ(m_controller->scanLocationTableViewController().locations().size(), 2);

    QList<QWidget*> views;
    QObject::connect(window().stack(), &QStackedWidget::currentChanged, [&] { views.append(currentView()); });
    ConsoleCapture console;
    scanAndWait();

    ASSERT_EQ(views.size(), 3);
    EXPECT_TRUE(qobject_cast<QWidget*>(views.at(0)) && views.at(0) != window().mainView());
    EXPECT_NE(views.at(1), views.at(0));
    EXPECT_EQ(views.at(2), window().mainView());
    EXPECT_TRUE(m_controller->mainViewActive());
    EXPECT_EQ(groupCount(), 3u);
    EXPECT_EQ(m_controller->wastedInfoText(), QStringLiteral("Wasted space: 8.79 KB"));
    EXPECT_TRUE(console.texts().filter(QStringLiteral("Processed 7 file(s) in ")).size() == 1) << console.text().toStdString();
    EXPECT_FALSE(m_dockTile->fractions.isEmpty());

    quit();
    launch();
    EXPECT_EQ(m_controller->scanLocationTableViewController().locations().size(), 2);
    EXPECT_EQ(groupCount(), 3u);
}

TEST_F(MainWindowControllerTest, aScanWithoutDuplicatesNeverShowsTheComparison)
{
    writeFile(QStringLiteral("a/one.txt"), bytes(10, '1'));
    writeFile(QStringLiteral("a/two.txt"), bytes(20, '2'));
    launchAndScan({QStringLiteral("a")});
    EXPECT_EQ(groupCount(), 0u);
    EXPECT_FALSE(m_controller->isNonEmpty());
    EXPECT_EQ(m_controller->wastedInfoText(), QStringLiteral("Wasted space: 0 B"));
    EXPECT_EQ(results().selectionInfoText(), QStringLiteral("No duplicate files."));
}

TEST_F(MainWindowControllerTest, stoppedOrFailedRunsReturnToTheMainView)
{
    writeTree();
    launchAndScan({QStringLiteral("a")});
    ASSERT_EQ(groupCount(), 2u);
    const QStringList previousRows = liveRows(*m_controller->db());
    QLabel* status = window().mainView()->wastedInfoLabel();
    QLabel* selectionInfo = window().mainView()->selectionInfoLabel();

    // Counting stopped before its first file: the walk is rolled back and the previous results are back.
    QObject::connect(&m_controller->countingViewController(), &CountingViewController::countingChanged,
                     m_controller.get(), [this] { m_controller->stopScan(); });
    scanAndWait();
    EXPECT_TRUE(m_controller->mainViewActive());
    EXPECT_EQ(groupCount(), 2u);
    EXPECT_EQ(liveRows(*m_controller->db()), previousRows);
    EXPECT_EQ(status->text(), QStringLiteral("Scan stopped."));
    EXPECT_EQ(selectionInfo->text(), results().selectionInfoText());
    QObject::disconnect(&m_controller->countingViewController(), nullptr, m_controller.get(), nullptr);

    // A counting run whose transaction cannot begin says it failed, and why.
    ASSERT_TRUE(m_controller->db()->beginTransaction());
    scanAndWait();
    EXPECT_EQ(session().fileCount(), 0u);
    expectFailedScan(QStringLiteral("Error starting transaction"));
    ASSERT_TRUE(m_controller->db()->rollback());

    // The comparison stopped at once: the loader shows what has a SHA-1, which is nothing, and the status
    // does not claim that there are no duplicates.
    QObject::connect(&m_controller->processingViewController(), &ProcessingViewController::runningChanged,
                     m_controller.get(), [this] { m_controller->stopScan(); });
    scanAndWait();
    EXPECT_TRUE(m_controller->mainViewActive());
    EXPECT_EQ(groupCount(), 0u);
    EXPECT_EQ(status->text(), QStringLiteral("Scan stopped."));
    EXPECT_TRUE(selectionInfo->text().isEmpty()) << selectionInfo->text().toStdString();
}

TEST_F(MainWindowControllerTest, commandsThatWriteTheStoreWaitForTheScan)
{
    writeTree();
    launch();
    addLocation(filesPath(QStringLiteral("a")));
    m_controller->scanLocationTableViewController().setSelectedRows({0});
    bool checked = false;
    QObject::connect(&m_controller->countingViewController(), &CountingViewController::countingChanged, m_controller.get(), [&] {
        if (!m_controller->isScanning() || checked)
            return;
        checked = true;
        EXPECT_FALSE(m_controller->areStoreCommandsEnabled());
        EXPECT_FALSE(window().scanAction()->isEnabled());
        EXPECT_FALSE(window().clearAction()->isEnabled());
        for (QAction* action : {window().deleteAction(), window().stageAction(), window().trashSheetAction()})
            EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
        EXPECT_FALSE(window().mainView()->removeButton()->isEnabled());
        EXPECT_FALSE(window().mainView()->trashButton()->isEnabled());
        m_controller->removeSelectedLocations();
        EXPECT_EQ(m_controller->scanLocationTableViewController().locations().size(), 1);
        m_controller->displayTrashSheet();
        EXPECT_FALSE(m_controller->trashSheet());
    });
    scanAndWait();
    EXPECT_TRUE(checked);
    EXPECT_TRUE(window().scanAction()->isEnabled());
    EXPECT_TRUE(window().clearAction()->isEnabled());
    EXPECT_TRUE(window().trashSheetAction()->isEnabled());
}

TEST_F(MainWindowControllerTest, clearAsksThenKeepsOnlyStagedRows)
{
    writeTree();
    launchAndScan({QStringLiteral("a")});
    ASSERT_EQ(groupCount(), 2u);
    const QString staged = filesPath(QStringLiteral("a/one copy.txt"));
    ASSERT_TRUE(m_controller->db()->trashFile(staged, filesPath(QStringLiteral("a/one.txt"))));

    const auto answer = [this](const QString& button) {
        m_controller->clear();
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text(), QStringLiteral("Clear scan results?"));
        EXPECT_EQ(box->informativeText(),
                  QStringLiteral("This will not delete any files, but the current list of duplicate files will be cleared"));
        for (QAbstractButton* candidate : box->buttons()) {
            if (candidate->text() == button)
                candidate->click();
        }
    };
    answer(QStringLiteral("Don't Clear"));
    EXPECT_EQ(groupCount(), 2u);
    answer(QStringLiteral("Clear"));
    EXPECT_EQ(groupCount(), 0u);
    // The store's rows go on a worker; meanwhile nothing else may write the store.
    EXPECT_FALSE(m_controller->areStoreCommandsEnabled());
    ASSERT_TRUE(waitFor(&MainWindowController::storeWorkFinished));
    EXPECT_TRUE(m_controller->areStoreCommandsEnabled());
    EXPECT_TRUE(liveRows(*m_controller->db()).isEmpty());
    std::uint64_t stagedCount = 0;
    ASSERT_TRUE(m_controller->db()->getTrashFileCount(&stagedCount, nullptr));
    EXPECT_EQ(stagedCount, 1u);
}

// The store's disk tells which threads write it, and can fail its writes.
class MainWindowPruneTest : protected FullDisk, public MainWindowControllerTest {
protected:
    bool isListed(const QString& path) const { return liveRows(*m_controller->db()).contains(path); }
    void removeLocation(int row)
    {
        PairsiftDefaults::setConfirmDeleteLocation(false);
        m_controller->scanLocationTableViewController().setSelectedRows({row});
        m_controller->removeSelectedLocations();
    }
};

TEST_F(MainWindowPruneTest, removingALocationPrunesItsRowsOnTheStoreQueueOnceThenReloads)
{
    writeTree();
    launchAndScan({QStringLiteral("a"), QStringLiteral("b")});
    ASSERT_EQ(groupCount(), 3u);
    EXPECT_FALSE(results().selectedItem().group);

    const std::thread::id mainThread = std::this_thread::get_id();
    std::atomic<int> writes{0};
    std::atomic<int> mainThreadWrites{0};
    setFullWhen([&] {
        ++writes;
        if (std::this_thread::get_id() == mainThread)
            ++mainThreadWrites;
        return false;
    });
    removeLocation(1);
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    setFullWhen(nullptr);
    EXPECT_GT(writes.load(), 0);
    EXPECT_EQ(mainThreadWrites.load(), 0) << "the main thread wrote the store";
    EXPECT_EQ(groupCount(), 2u);
    for (const QString& path : liveRows(*m_controller->db()))
        EXPECT_FALSE(path.startsWith(filesPath(QStringLiteral("b/")))) << path.toStdString();

    // A row outside the locations that only a prune would delete.
    const QString outside = filesPath(QStringLiteral("b/late.txt"));
    ASSERT_TRUE(m_controller->db()->addFile(outside, 10, QDateTime(), QString(), QString()));
    m_controller->onUpdateDuplicatesListNotification();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_TRUE(isListed(outside)) << "the same locations were pruned again";

    addLocation(m_home.makeFolder(QStringLiteral("files/c")));
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_FALSE(isListed(outside)) << "other locations were not pruned to";
    EXPECT_EQ(groupCount(), 2u);
}

TEST_F(MainWindowPruneTest, aFailedPruneIsLoggedStillReloadsAndIsTriedAgain)
{
    writeTree();
    launchAndScan({QStringLiteral("a"), QStringLiteral("b")});
    UserDefaults::standard().setValue(QStringLiteral("logging"), QStringLiteral("YES"));
    const QString rowOfB = filesPath(QStringLiteral("b/three.dat"));
    ASSERT_TRUE(isListed(rowOfB));

    setFull(true);
    ConsoleCapture console;
    removeLocation(1);
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    setFull(false);
    EXPECT_TRUE(console.texts().contains(QStringLiteral("Error pruning outside files: database or disk is full")))
        << console.text().toStdString();
    QFile log(m_controller->currentLogFilePath());
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Unable to prune files outside paths: "));
    EXPECT_TRUE(isListed(rowOfB));
    EXPECT_EQ(groupCount(), 3u) << "the list shows what the store holds";

    m_controller->onUpdateDuplicatesListNotification();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    EXPECT_FALSE(isListed(rowOfB));
    EXPECT_EQ(groupCount(), 2u);
}

TEST_F(MainWindowControllerTest, aRefreshAskedForDuringALoadWaitsForIt)
{
    writeTree();
    launchAndScan({QStringLiteral("a"), QStringLiteral("b")});
    const auto rowsOfB = [this] {
        const QStringList rows = liveRows(*m_controller->db());
        return std::count_if(rows.cbegin(), rows.cend(),
                             [this](const QString& path) { return path.startsWith(filesPath(QStringLiteral("b"))); });
    };
    ASSERT_GT(rowsOfB(), 0);

    m_controller->loadFilesFromDatabase();
    ASSERT_TRUE(m_controller->isBusy());
    m_controller->scanLocationTableViewController().setSelectedRows({1});
    m_controller->scanLocationTableViewController().removeDirectory();
    m_controller->onUpdateDuplicatesListNotification();
    EXPECT_GT(rowsOfB(), 0) << "nothing is pruned under the loader";

    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded)) << "the refresh follows the load";
    EXPECT_EQ(rowsOfB(), 0);
    EXPECT_EQ(groupCount(), 2u);
}

TEST_F(MainWindowControllerTest, closingDuringAScanStopsAndJoinsTheWorkers)
{
    for (int index = 0; index < 400; ++index)
        writeFile(QStringLiteral("a/%1/file.txt").arg(index), bytes(100 + index % 7, 'q'));
    UserDefaults::standard().setValue(QStringLiteral("logging"), QStringLiteral("YES"));
    launch();
    addLocation(filesPath(QStringLiteral("a")));
    // The walk's log also goes into a pipe nobody reads until the stop was asked for: once the pipe is
    // full the walk waits there, certainly before its commit.
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    m_controller->logger()->addFileDescriptor(ends[1]);
    const CountingViewController* counting = &m_controller->countingViewController();
    std::thread reader([&] {
        // The counting controller lives until its walk is joined, which needs this reader.
        while (!counting->userStopped())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        char buffer[65536];
        while (::read(ends[0], buffer, sizeof buffer) > 0) {
        }
    });
    m_controller->startScan();
    ASSERT_TRUE(m_controller->isScanning());
    const int capacity = ::fcntl(ends[1], F_GETPIPE_SZ);
    ASSERT_TRUE(waitUntil([&] {
        int queued = 0;
        return ::ioctl(ends[0], FIONREAD, &queued) == 0 && queued > capacity - 4096;
    }));

    window().close();
    EXPECT_FALSE(m_controller->isScanning());
    m_controller->logger()->removeFileDescriptor(ends[1]);
    ::close(ends[1]);
    reader.join();
    ::close(ends[0]);
    // The walk was rolled back: nothing of it is in the store, which takes a new transaction.
    EXPECT_TRUE(liveRows(*m_controller->db()).isEmpty());
    ASSERT_TRUE(m_controller->db()->beginTransaction());
    EXPECT_TRUE(m_controller->db()->rollback());
    m_controller.reset();
    EXPECT_EQ(PairsiftDefaults::locations().value_or(QList<LocationItemPtr>()).size(), 1) << "saved at close";
}

TEST_F(MainWindowControllerTest, becomingMainIsAnnouncedOnceWhenIdle)
{
    launch();
    int announcements = 0;
    const void* sender = nullptr;
    PSWindowDidBecomeMainNotification::addObserver(this, [&](const Notification& notification) {
        ++announcements;
        sender = notification.object;
    });
    int titleRefreshes = 0;
    QObject::connect(&m_controller->scanLocationAddController(), &ScanLocationAddController::photoLibraryTitlesChanged,
                     [&titleRefreshes] { ++titleRefreshes; });
    m_controller->windowDidBecomeMain();
    m_controller->windowDidBecomeMain();
    EXPECT_EQ(announcements, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(sender, m_controller.get());
    EXPECT_EQ(titleRefreshes, 2);
    PSWindowDidBecomeMainNotification::removeObserver(this);
}

TEST_F(MainWindowControllerTest, theOptionKeyIsKeptFromTheWindowsKeysAndTheReporterBringsTheWindowBack)
{
    launch();
    window().activateWindow();
    ASSERT_TRUE(waitUntil([this] { return window().isActiveWindow(); }));
    int changes = 0;
    QObject::connect(m_controller.get(), &MainWindowController::optionKeyDownChanged, [&changes] { ++changes; });
    QWidget* list = window().findChild<QAbstractItemView*>();
    ASSERT_NE(list, nullptr);
    list->setFocus();
    QWidget elsewhere;
    // As the window system delivers them: the modifiers before the key, which the event then reports as after it.
    const struct {
        QWidget* receiver;
        QEvent::Type type;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool isDown;
        int changes;
    } steps[] = {
        {list, QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier, true, 1},
        {list, QEvent::KeyPress, Qt::Key_A, Qt::AltModifier, true, 1},
        {&elsewhere, QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier, true, 1},
        {list, QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier, false, 2},
    };
    for (const auto& step : steps) {
        QKeyEvent event(step.type, step.key, step.modifiers);
        QApplication::sendEvent(step.receiver, &event);
        EXPECT_EQ(m_controller->property("optionKeyDown").toBool(), step.isDown);
        EXPECT_EQ(changes, step.changes);
    }
    EXPECT_TRUE(m_controller->property("isSparkleAvailable").toBool());

    // Starting the reporter hands the user back to the window, with no widget holding the keyboard.
    ASSERT_TRUE(list->hasFocus());
    CrashReporter::sharedManager().startManager();
    EXPECT_FALSE(list->hasFocus());
    window().showMinimized();
    window().hide();
    CrashReporter::sharedManager().startManager();
    EXPECT_TRUE(window().isVisible());
    EXPECT_FALSE(window().isMinimized());
}

} // namespace
} // namespace pairsift::test
