// window-scale-bench: the windows around a large result, step by step, with the longest time the main
// thread kept the event loop from running (a 1 ms timer) in each step.
//
//   window-scale-bench sheet [FILES]     the removal sheet with FILES staged files (100,000): open, Select
//                                        All, one click, a Delete run stopped early, a Delete run to the end,
//                                        beside the time of the same number of Trash moves alone
//   window-scale-bench staging [FILES]   "Remove Marked Files" with FILES marked files (100,000) in the window
//   window-scale-bench clear [ROWS]      Clear with ROWS live rows (500,000) in the window
//   window-scale-bench locations [ROWS]  removing the larger of two locations, which holds 199 of every 200
//                                        of ROWS live rows (200,000), then a refresh with the same locations
//
// Runs offscreen unless a display is chosen. Home, settings, store, Trash and files live in a temporary
// folder. Standard output: one line per step.

#include "BenchWorkspace.h"
#include "StallMeter.h"
#include "app/ApplicationLauncher.h"
#include "app/MainWindow.h"
#include "app/MainWindowController.h"
#include "app/PairsiftApplication.h"
#include "locations/ScanLocationTableViewController.h"
#include "model/Session.h"
#include "platform/FileDescriptor.h"
#include "platform/UserDefaults.h"
#include "platform/desktop/Trash.h"
#include "removal/TrashSheetController.h"
#include "removal/views/TrashSheet.h"
#include "settings/LocationItem.h"
#include "settings/PairsiftDefaults.h"
#include "store/PairsiftDatabase.h"
#include "support/foundation/PathClassification.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <fcntl.h>

using namespace pairsift;
using pairsift::bench::StallMeter;

namespace {

const QByteArray content(512, 'p');

// Runs `work` from the event loop as the meter's phase `name`, until `isDone()` holds; then 100 ms more of
// event processing, for the repaints. Answers the seconds from the start of the work until `isDone()`.
double runPhase(StallMeter& meter, const std::string& name, const std::function<void()>& work,
    const std::function<bool()>& isDone)
{
    meter.setPhase(name);
    QElapsedTimer clock;
    clock.start();
    double seconds = -1;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (seconds >= 0 || !isDone())
            return;
        seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        QTimer::singleShot(100, &loop, &QEventLoop::quit);
    });
    QTimer::singleShot(0, &loop, work);
    poll.start();
    loop.exec();
    meter.setPhase("between");
    std::printf("%-34s %8.3f s, longest main-thread stall %7.1f ms (busy %7.1f ms)\n", name.c_str(), seconds,
                meter.longest(name), meter.longestBusy(name));
    std::fflush(stdout);
    return seconds;
}

QStringList writeFiles(const QString& folder, const QString& prefix, int count)
{
    QStringList paths;
    paths.reserve(count);
    for (int index = 0; index < count; ++index) {
        const QString subfolder = QStringLiteral("%1/%2").arg(folder).arg(index % 100);
        if (index < 100)
            QDir().mkpath(subfolder);
        const QString path = QStringLiteral("%1/%2-%3.jpg").arg(subfolder, prefix).arg(index);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        paths.append(path);
    }
    return paths;
}

QByteArray digestOf(int group)
{
    QByteArray digest(20, '\x5a');
    for (int byte = 0; byte < 4; ++byte)
        digest[byte] = static_cast<char>((group >> (8 * byte)) & 0xFF);
    return digest;
}

void clickRow(QTableView& table, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QPoint point = table.visualRect(table.model()->index(row, 2)).center();
    const QPointF global = table.viewport()->mapToGlobal(point);
    QMouseEvent press(QEvent::MouseButtonPress, point, global, Qt::LeftButton, Qt::LeftButton, modifiers);
    QMouseEvent release(QEvent::MouseButtonRelease, point, global, Qt::LeftButton, Qt::NoButton, modifiers);
    QCoreApplication::sendEvent(table.viewport(), &press);
    QCoreApplication::sendEvent(table.viewport(), &release);
}

QPushButton* button(QWidget& parent, const QString& title)
{
    for (QPushButton* candidate : parent.findChildren<QPushButton*>()) {
        if (candidate->text() == title)
            return candidate;
    }
    return nullptr;
}

int benchSheet(const QString& workspace, int count)
{
    const QString tree = workspace + QStringLiteral("/tree");
    const QString kept = tree + QStringLiteral("/kept.jpg");
    QDir().mkpath(tree);
    QFile keptFile(kept);
    if (!keptFile.open(QIODevice::WriteOnly) || keptFile.write(content) != content.size())
        return 1;
    keptFile.close();

    // The Trash moves alone, of files like the staged ones.
    const QStringList alone = writeFiles(tree + QStringLiteral("/alone"), QStringLiteral("a"), count);
    QElapsedTimer trashClock;
    trashClock.start();
    const FileDescriptor aloneFolder(
        ::open(QFile::encodeName(tree + QStringLiteral("/alone")).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    for (const QString& path : alone)
        moveToTrash(aloneFolder.get(), QFile::encodeName(QFileInfo(path).fileName()), path, [] { return true; });
    const double trashSeconds = static_cast<double>(trashClock.nsecsElapsed()) / 1e9;
    std::printf("%d Trash moves alone: %.3f s\n", count, trashSeconds);
    // The run's moves start from an empty Trash too: a folder of many entries makes each new one dearer.
    QDir(workspace + QStringLiteral("/data/Trash")).removeRecursively();

    // A tenth more than FILES: the stopped run takes a few, the run to the end the rest.
    const QStringList staged = writeFiles(tree + QStringLiteral("/copies"), QStringLiteral("s"), count + count / 10);
    std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(workspace + QStringLiteral("/store.db3"));
    store->beginTransaction();
    for (const QString& path : staged) {
        store->addFile(path, static_cast<std::uint64_t>(content.size()), QDateTime::currentDateTimeUtc(),
                       QStringLiteral("directory"), tree);
        store->updateFile(path, digestOf(0));
        store->stageFile(path, kept);
    }
    store->commit();

    QWidget window;
    window.resize(900, 700);
    window.show();
    StallMeter meter;
    meter.start("between");
    TrashSheet* sheet = nullptr;
    TrashSheetController* controller = nullptr;
    QTableView* table = nullptr;
    runPhase(meter, "open (" + std::to_string(staged.size()) + " staged)", [&] {
        sheet = TrashSheet::openOver(&window, store, {}, {});
        controller = sheet->controller();
        table = sheet->findChild<QTableView*>();
    }, [&] { return controller && !controller->isBusy(); });
    runPhase(meter, "Select All", [&] { table->selectAll(); },
             [&] { return controller->selectionIndexes().size() == staged.size(); });
    runPhase(meter, "one click", [&] { clickRow(*table, 3); },
             [&] { return controller->selectionIndexes().size() == 1; });
    runPhase(meter, "Shift+click", [&] { clickRow(*table, 40, Qt::ShiftModifier); },
             [&] { return controller->selectionIndexes().size() == 38; });

    // Select All, then Delete, as two steps of the user's.
    bool hasClickedDelete = false;
    const auto startRun = [&] {
        hasClickedDelete = false;
        table->selectAll();
        QTimer::singleShot(0, sheet, [&] {
            button(*sheet, QStringLiteral("Delete"))->click();
            hasClickedDelete = true;
        });
    };
    QElapsedTimer stopClock;
    bool hasStopped = false;
    runPhase(meter, "Delete run, Stop at 2%", [&] {
        startRun();
        auto* watch = new QTimer(sheet);
        QObject::connect(watch, &QTimer::timeout, sheet, [&, watch] {
            if (controller->progress() < 2.0)
                return;
            watch->deleteLater();
            stopClock.start();
            hasStopped = true;
            button(*sheet, QStringLiteral("Stop"))->click();
        });
        watch->start(1);
    }, [&] { return hasStopped && !controller->isRunning(); });
    std::printf("  Stop to the end of the run: %.0f ms; %lld files still listed\n",
                static_cast<double>(stopClock.nsecsElapsed()) / 1e6,
                static_cast<long long>(controller->deletedFiles().size()));

    const auto files = controller->deletedFiles().size();
    const double runSeconds = runPhase(meter, "Delete run to the end (" + std::to_string(files) + " files)", startRun,
                                       [&] { return hasClickedDelete && !controller->isRunning(); });
    const double movesSeconds = trashSeconds * static_cast<double>(files) / count;
    std::printf("  run / Trash moves alone of as many files: %.2f (%lld still listed: %s)\n",
                runSeconds / movesSeconds, static_cast<long long>(controller->deletedFiles().size()),
                qPrintable(controller->message()));
    sheet->reject();
    QCoreApplication::processEvents();
    return 0;
}

// Where a group's copy lies below "tree".
using RowPath = std::function<QString(int group, int copy)>;

QString libraryOrCopies(int group, int copy)
{
    return QStringLiteral("%1/%2/photo %3.jpg")
        .arg(copy ? QStringLiteral("Copies") : QStringLiteral("Library"))
        .arg(group % 997)
        .arg(group);
}

// The window over a store of `groups` groups of two files each at `rowPath`, with the folders `locations`
// below "tree" as its locations; runs `steps` once the first load is shown.
int benchWindow(const QString& workspace, int groups, const QStringList& locations, const RowPath& rowPath,
    const std::function<void(MainWindowController&, StallMeter&)>& steps)
{
    {
        QDir().mkpath(QFileInfo(MainWindowController::databaseFilePath()).absolutePath());
        std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(MainWindowController::databaseFilePath());
        const QDateTime created = QDateTime::currentDateTimeUtc();
        store->beginTransaction();
        for (int group = 0; group < groups; ++group) {
            for (int copy = 0; copy < 2; ++copy) {
                const QString path = QStringLiteral("%1/tree/%2").arg(workspace, rowPath(group, copy));
                store->addFile(path, 1000 + static_cast<quint64>(group), created, QStringLiteral("directory"),
                               workspace + QStringLiteral("/tree"));
                store->updateFile(path, digestOf(group));
            }
        }
        store->commit();
    }
    // Rows outside the locations leave the store at the first refresh.
    QList<LocationItemPtr> items;
    for (const QString& location : locations) {
        const QString path = QDir::cleanPath(workspace + QStringLiteral("/tree/") + location);
        QDir().mkpath(path);
        items.append(LocationItem::withPath(path));
    }
    PairsiftDefaults::setLocations(items);
    ApplicationLauncher launcher;
    if (!launcher.start())
        return 1;
    MainWindowController& controller = *launcher.controller();
    StallMeter meter;
    QObject::connect(&controller, &MainWindowController::resultsLoaded, &controller, [&] {
        meter.start("between");
        // The refresh that restoring the locations asked for, and the list's first layout and paint, belong
        // to the launch: the steps start once the window has been idle for half a second.
        QElapsedTimer idle;
        idle.start();
        runPhase(meter, "launch, until idle", [] {}, [&] {
            if (controller.isBusy())
                idle.restart();
            return idle.elapsed() > 500;
        });
        steps(controller, meter);
        controller.window()->close();
        QCoreApplication::quit();
    }, Qt::SingleShotConnection);
    return QCoreApplication::exec();
}

void stagingSteps(MainWindowController& controller, StallMeter& meter)
{
    runPhase(meter, "Select Duplicates", [&] { controller.selectDuplicates(); }, [] { return true; });
    std::printf("  marked: %llu files\n", static_cast<unsigned long long>(controller.session()->markedInfo().count));
    bool isLoaded = false;
    QObject::connect(&controller, &MainWindowController::resultsLoaded, &controller, [&] { isLoaded = true; });
    runPhase(meter, "Remove Marked Files, to the reload", [&] { controller.removeAllMarkedFiles(); },
             [&] { return isLoaded; });
    std::printf("  staged: %s; groups listed: %llu\n", qPrintable(controller.trashInfo()),
                static_cast<unsigned long long>(controller.session()->groupCount()));
}

std::uint64_t liveRowCount(PairsiftDatabase& db)
{
    std::uint64_t rows = 0;
    db.enumerateFiles([&](auto&&...) { ++rows; });
    return rows;
}

void clearSteps(MainWindowController& controller, StallMeter& meter)
{
    std::printf("  live rows before: %llu\n", static_cast<unsigned long long>(liveRowCount(*controller.db())));
    runPhase(meter, "Clear, to the end", [&] {
        controller.clear();
        if (auto* alert = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            button(*alert, QStringLiteral("Clear"))->click();
    }, [&] { return !controller.isBusy() && !controller.isNonEmpty(); });
    // What the worker left behind must be applied too.
    runPhase(meter, "settle", [] {}, [] { return true; });
    std::printf("  live rows after: %llu\n", static_cast<unsigned long long>(liveRowCount(*controller.db())));
}

// Locations "Large" (listed first) and "Small".
void locationsSteps(MainWindowController& controller, StallMeter& meter)
{
    std::printf("  live rows before: %llu\n", static_cast<unsigned long long>(liveRowCount(*controller.db())));
    bool isLoaded = false;
    QObject::connect(&controller, &MainWindowController::resultsLoaded, &controller, [&] { isLoaded = true; });
    PairsiftDefaults::setConfirmDeleteLocation(false);
    runPhase(meter, "Removing the larger location", [&] {
        controller.scanLocationTableViewController().setSelectedRows({0});
        controller.removeSelectedLocations();
    }, [&] { return isLoaded && !controller.isBusy(); });
    std::printf("  live rows after: %llu; groups listed: %llu\n",
                static_cast<unsigned long long>(liveRowCount(*controller.db())),
                static_cast<unsigned long long>(controller.session()->groupCount()));
    isLoaded = false;
    runPhase(meter, "refresh, same locations", [&] { controller.postUpdateDuplicatesList(); },
             [&] { return isLoaded && !controller.isBusy(); });
}

} // namespace

int main(int argc, char** argv)
{
    const QString scenario = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const int defaultCount = scenario == QLatin1String("clear") ? 250000 * 2
                           : scenario == QLatin1String("locations") ? 200000
                                                                    : 100000;
    const int count = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : defaultCount;
    if ((scenario != QLatin1String("sheet") && scenario != QLatin1String("staging") && scenario != QLatin1String("clear")
         && scenario != QLatin1String("locations"))
        || count < 10) {
        std::fprintf(stderr, "usage: window-scale-bench sheet|staging|clear|locations [COUNT]\n");
        return 2;
    }
    QTemporaryDir workspace;
    bench::isolateHome(workspace);
    PairsiftApplication application(argc, argv);
    bench::useWorkspaceSettings(workspace);
    if (scenario == QLatin1String("sheet"))
        return benchSheet(workspace.path(), count);
    if (scenario == QLatin1String("staging"))
        return benchWindow(workspace.path(), count, {QStringLiteral(".")}, libraryOrCopies, stagingSteps);
    if (scenario == QLatin1String("clear"))
        return benchWindow(workspace.path(), count / 2, {QStringLiteral(".")}, libraryOrCopies, clearSteps);
    // One group in 200 lies in the smaller location, both its copies with it.
    const int groups = count / 2;
    return benchWindow(workspace.path(), groups, {QStringLiteral("Large"), QStringLiteral("Small")},
                       [](int group, int copy) {
                           return QStringLiteral("%1/%2").arg(group % 200 == 0 ? QStringLiteral("Small")
                                                                               : QStringLiteral("Large"),
                                                              libraryOrCopies(group, copy));
                       },
                       locationsSteps);
}
