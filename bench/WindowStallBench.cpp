// pairsift-window-bench: the real window scans a generated tree while a 1 ms timer on the main thread
// measures the longest time the event loop did not run (a stall the user would feel as a frozen window).
//
//   pairsift-window-bench [--files N] [--grab FOLDER]
//
// Runs offscreen unless a display is chosen. Everything lives in a temporary folder (home, settings,
// store and the tree: N files in 200 folders, a quarter of them copies of others). With --grab the window
// is saved as PNG at each stage (empty, locations added, counting, processing, results); grabbing itself
// stalls the loop, so the figures of such a run do not count.

#include "BenchWorkspace.h"
#include "StallMeter.h"
#include "app/ApplicationLauncher.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/MainWindowController.h"
#include "app/PairsiftApplication.h"
#include "locations/ScanLocationTableViewController.h"
#include "model/Session.h"
#include "results/views/ResultsView.h"
#include "platform/UserDefaults.h"
#include "scan/CountingViewController.h"
#include "scan/ProcessingViewController.h"
#include "settings/SettingsKeys.h"
#include "support/foundation/PathClassification.h"
#include "ui/Animations.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <ctime>
#include <map>

using namespace pairsift;
using pairsift::bench::StallMeter;

namespace {

void writeTree(const QString& root, int fileCount)
{
    for (int index = 0; index < fileCount; ++index) {
        // Every fourth file repeats the content of an earlier one.
        const int seed = index % 4 == 3 ? index - 3 : index;
        QByteArray content(1024 + (seed * 37) % 3072, static_cast<char>('a' + seed % 26));
        content.append(QByteArray::number(seed));
        const QString folder = QStringLiteral("%1/f%2").arg(root).arg(index % 200);
        QDir().mkpath(folder);
        QFile file(QStringLiteral("%1/file-%2.dat").arg(folder).arg(index));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
    }
}

} // namespace

int main(int argc, char** argv)
{
    int fileCount = 20000;
    QString grabFolder;
    for (int index = 1; index < argc; ++index) {
        const QString argument = QString::fromLocal8Bit(argv[index]);
        if (argument == QLatin1String("--files") && index + 1 < argc)
            fileCount = QString::fromLocal8Bit(argv[++index]).toInt();
        else if (argument == QLatin1String("--grab") && index + 1 < argc)
            grabFolder = QDir(QString::fromLocal8Bit(argv[++index])).absolutePath();
        else {
            std::fprintf(stderr, "usage: pairsift-window-bench [--files N] [--grab FOLDER]\n");
            return 2;
        }
    }
    QTemporaryDir workspace;
    bench::isolateHome(workspace);
    QDir().mkpath(workspace.filePath(QStringLiteral("tree")));
    PairsiftApplication application(argc, argv);
    bench::useWorkspaceSettings(workspace);
    UserDefaults::standard().setValue(SettingsKey::IgnoreSmallFiles, QStringLiteral("NO"));
    const QString tree = workspace.filePath(QStringLiteral("tree"));
    writeTree(tree, fileCount);
    if (!grabFolder.isEmpty()) {
        QDir().mkpath(grabFolder);
        Animations::setDuration(0);
    }

    ApplicationLauncher launcher;
    if (!launcher.start())
        return 1;
    MainWindowController& controller = *launcher.controller();
    MainWindow& window = *controller.window();
    const auto grab = [&](const char* name) {
        if (!grabFolder.isEmpty())
            window.grab().save(grabFolder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
    };

    StallMeter meter;
    int loads = 0;
    bool grabbedCounting = false;
    bool grabbedProcessing = false;
    QObject::connect(&controller, &MainWindowController::resultsLoaded, [&] {
        if (++loads == 1) {
            grab("1-empty");
            controller.scanLocationTableViewController().addDistinctDirectories({tree});
            grab("2-locations");
            meter.start("counting");
            meter.setPhase("counting");
            controller.startScan();
            QObject::connect(&controller.countingViewController(), &CountingViewController::countChanged, [&] {
                if (!grabbedCounting && controller.countingViewController().count() > 0) {
                    grabbedCounting = true;
                    grab("3-counting");
                }
            });
            QObject::connect(&controller.processingViewController(), &ProcessingViewController::runningChanged, [&] {
                if (controller.processingViewController().isRunning()) {
                    meter.stopClock("counting");
                    meter.setPhase("processing");
                }
            });
            QObject::connect(&controller.processingViewController(), &ProcessingViewController::progressStringChanged, [&] {
                if (!grabbedProcessing && controller.processingViewController().done() > 0) {
                    grabbedProcessing = true;
                    grab("4-processing");
                }
            });
            QObject::connect(&controller, &MainWindowController::scanningChanged, [&] {
                if (!controller.isScanning()) {
                    meter.stopClock("processing");
                    meter.setPhase("loading");
                }
            });
            return;
        }
        meter.stopClock("loading");
        QTreeView* results = window.mainView()->resultsView()->dupView();
        const QModelIndex first = results->model()->index(0, 0);
        results->expand(first);
        results->setCurrentIndex(results->model()->index(0, 0, first));
        QApplication::processEvents();
        grab("5-results");
        std::printf("files: %d, groups: %llu\n", fileCount,
                    static_cast<unsigned long long>(controller.session()->groupCount()));
        double overall = 0;
        double overallBusy = 0;
        for (const char* phase : {"counting", "processing", "loading"}) {
            overall = std::max(overall, meter.longest(phase));
            overallBusy = std::max(overallBusy, meter.longestBusy(phase));
            std::printf("%-10s %7.3f s, longest event-loop stall %6.1f ms (main thread busy %6.1f ms)\n", phase,
                        meter.elapsed(phase), meter.longest(phase), meter.longestBusy(phase));
        }
        std::printf("longest event-loop stall during the scan: %.1f ms (main thread busy %.1f ms)%s\n", overall,
                    overallBusy, grabFolder.isEmpty() ? "" : " (with grabs: not a measurement)");
        window.close();
    });
    return application.exec();
}
