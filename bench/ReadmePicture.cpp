// readme-picture: the picture of the results area in the README, made offscreen from a fixture tree so that
// it stays true as the window changes. Writes a few pictures and texts with copies under a fresh folder,
// digests them with the program's own file items, loads them through the results controller, marks the
// duplicates of one group, opens two groups, selects a picture and grabs the view.
//
//   QT_QPA_PLATFORM=offscreen readme-picture OUTPUT.png

#include "model/FileItem.h"
#include "model/Session.h"
#include "platform/UserDefaults.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "results/views/ResultsView.h"
#include "store/PairsiftDatabase.h"

#include <QApplication>
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
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: readme-picture OUTPUT.png\n");
        return 2;
    }
    // Offscreen there is no desktop theme to name the icons' theme.
    if (QIcon::themeName().isEmpty())
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QTemporaryDir folder;
    UserDefaults::setConfigurationFolder(folder.filePath(QStringLiteral("config")));
    // A fixed folder, so the paths in the picture do not change from one run to the next.
    QDir example(QDir::temp().filePath(QStringLiteral("pairsift-example")));
    example.removeRecursively();
    const QString home = example.filePath(QStringLiteral("home"));

    // Each content with the places it was copied to.
    const QByteArray lake = encoded(drawPicture(QColor(0x7F, 0xB8, 0xE8), QColor(0x3C, 0x8D, 0x4A)));
    const QByteArray dusk = encoded(drawPicture(QColor(0xE8, 0x9A, 0x6F), QColor(0x5A, 0x4A, 0x7A)));
    const QByteArray notes = QByteArrayLiteral("Trip notes\n\nDay 1: the lake at dawn.\nDay 2: hills at dusk.\n").repeated(40);
    const QList<std::pair<QByteArray, QStringList>> contents{
        {lake, {QStringLiteral("Pictures/2023/Lake.png"), QStringLiteral("Pictures/Lake copy.png"),
                QStringLiteral("Downloads/Lake (2).png")}},
        {dusk, {QStringLiteral("Pictures/2023/Dusk.png"), QStringLiteral("Desktop/Dusk.png")}},
        {notes, {QStringLiteral("Documents/Trip notes.txt"), QStringLiteral("Documents/Old/Trip notes.txt")}},
    };

    std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(folder.filePath(QStringLiteral("PairsiftData.db3")));
    for (const auto& [content, places] : contents) {
        for (const QString& place : places) {
            const QString path = home + QLatin1Char('/') + place;
            if (!writeFile(path, content))
                return 1;
            const FileItemPtr file = FileItem::create(path);
            file->fillAttributes(FileItem::AllAttributes);
            file->computeSHA1();
            store->addFile(path, file->totalSize(), file->dateCreated(), QStringLiteral("directory"), home);
            store->updateFile(path, file->sha1());
        }
    }

    Session session(store, nullptr);
    ResultsController controller(session);
    ResultsView view(controller);
    view.resize(1100, 380);
    view.show();
    controller.loadFilesFromDatabase();
    ResultsListModel& model = *controller.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex group = model.index(row, 0);
        if (row < 2)
            view.dupView()->expand(group);
    }
    // The duplicates of the first group are marked, its kept copy stays.
    const FileGroupPtr first = model.groupForIndex(model.index(0, 0));
    first->selectDuplicates();
    controller.updateMarkingStatus();
    controller.selectItemInGroup(first, 1);

    // Let the preview picture arrive.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const bool isSaved = view.grab().save(QString::fromLocal8Bit(argv[1]));
    example.removeRecursively();
    std::printf("%s\n", qPrintable(controller.selectionInfoText()));
    return isSaved ? 0 : 1;
}
