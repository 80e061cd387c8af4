// readme-picture: the picture of the main window in the README, made offscreen from a fixture tree so that
// it stays true as the window changes. Writes a few pictures and texts with copies under a fixed folder
// that serves as the home folder, scans it with the real window, marks the duplicates of one group, opens
// two groups, selects a picture and grabs the whole window.
//
//   QT_QPA_PLATFORM=offscreen readme-picture OUTPUT.png

#include "app/ApplicationLauncher.h"
#include "app/MainView.h"
#include "app/MainWindow.h"
#include "app/MainWindowController.h"
#include "app/PairsiftApplication.h"
#include "locations/ScanLocationTableViewController.h"
#include "platform/UserDefaults.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "results/views/ResultsView.h"
#include "settings/SettingsKeys.h"
#include "support/foundation/PathClassification.h"
#include "ui/Animations.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

using namespace pairsift;

namespace {
QImage drawPicture(const QColor& sky, const QColor& hill)
{
    QImage image(640, 420, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), sky);
    painter.setBrush(hill);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(200, 460), 360, 200);
    painter.setBrush(QColor(0xFF, 0xD0, 0x40));
    painter.drawEllipse(QPointF(500, 110), 50, 50);
    return image;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray encoded(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: readme-picture OUTPUT.png\n");
        return 2;
    }
    const QString output = QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    // A fixed home folder, so the paths in the picture do not change from one run to the next; the
    // program's own folders go elsewhere.
    QDir example(QDir::temp().filePath(QStringLiteral("pairsift-example")));
    example.removeRecursively();
    const QString home = example.filePath(QStringLiteral("home"));
    QTemporaryDir workspace;
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", workspace.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", workspace.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_CACHE_HOME", workspace.filePath(QStringLiteral("cache")).toUtf8());

    PairsiftApplication application(argc, argv);
    // The program's own drawn icons, as on a desktop whose theme lacks the names: the picture does not
    // depend on the icon themes installed where it is made.
    QIcon::setThemeName(QStringLiteral("pairsift-no-theme"));
    QIcon::setFallbackThemeName(QStringLiteral("pairsift-no-theme"));
    // The fixture lies in the temporary folder, which the built-in table counts as the system's.
    setSystemPathTable(SystemPathTable{});
    UserDefaults::setConfigurationFolder(workspace.filePath(QStringLiteral("config/Pairsift")));
    UserDefaults::standard().setValue(SettingsKey::IgnoreSmallFiles, QStringLiteral("NO"));
    Animations::setDuration(0);

    // Each content with the places it was copied to.
    const QByteArray lake = encoded(drawPicture(QColor(0x7F, 0xB8, 0xE8), QColor(0x3C, 0x8D, 0x4A)));
    const QByteArray dusk = encoded(drawPicture(QColor(0xE8, 0x9A, 0x6F), QColor(0x5A, 0x4A, 0x7A)));
    const QByteArray notes = QByteArrayLiteral("Trip notes\n\nDay 1: the lake at dawn.\nDay 2: hills at dusk.\n").repeated(40);
    const QList<std::pair<QByteArray, QStringList>> contents{
        {lake, {QStringLiteral("Pictures/2023/Lake.png"), QStringLiteral("Pictures/Lake copy.png"),
                QStringLiteral("Downloads/Lake (2).png")}},
        {dusk, {QStringLiteral("Pictures/2023/Dusk.png"), QStringLiteral("Desktop/Dusk.png")}},
        {notes, {QStringLiteral("Documents/Trip notes.txt"), QStringLiteral("Documents/Old/Trip notes.txt")}},
        {QByteArrayLiteral("Nothing else like it.\n"), {QStringLiteral("Documents/Unique.txt")}},
    };
    for (const auto& [content, places] : contents) {
        for (const QString& place : places) {
            if (!writeFile(home + QLatin1Char('/') + place, content))
                return 1;
        }
    }

    ApplicationLauncher launcher;
    if (!launcher.start())
        return 1;
    MainWindowController& controller = *launcher.controller();
    MainWindow& window = *controller.window();
    window.resize(1100, 720);
    ResultsController& results = controller.resultsController();
    int loads = 0;
    bool isSaved = false;
    QObject::connect(&controller, &MainWindowController::resultsLoaded, [&] {
        if (++loads == 1) {
            controller.scanLocationTableViewController().addDistinctDirectories({home});
            controller.startScan();
            return;
        }
        ResultsListModel& model = *results.model();
        for (int row = 0; row < std::min(2, model.rowCount()); ++row)
            window.mainView()->resultsView()->dupView()->expand(model.index(row, 0));
        // The duplicates of the first group are marked, its kept copy stays.
        const FileGroupPtr first = model.groupForIndex(model.index(0, 0));
        first->selectDuplicates();
        results.updateMarkingStatus();
        results.selectItemInGroup(first, 1);
        // Let the preview picture arrive.
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        isSaved = window.grab().save(output);
        std::printf("%s\n", qPrintable(results.selectionInfoText()));
        window.close();
    });
    application.exec();
    example.removeRecursively();
    return isSaved ? 0 : 1;
}
