#include "locations/ScanLocationAddController.h"

#include "locations/FolderChooser.h"
#include "locations/PhotoLibraryProbe.h"
#include "locations/RowMove.h"
#include "locations/ScanLocationListModel.h"
#include "locations/ScanLocationTableViewController.h"
#include "photolibs/ContainerDetection.h"
#include "support/foundation/PathClassification.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include <unistd.h>

namespace pairsift {

QString ScanLocationAddController::locationIndexMimeType()
{
    return QStringLiteral("com.lanternforges.Pairsift.locationIndex");
}

ScanLocationAddController::ScanLocationAddController(ScanLocationTableViewController& locations,
    std::shared_ptr<PhotoLibraryProbe> photoLibraries, std::shared_ptr<FolderChooser> folderChooser, QObject* parent)
    : QObject(parent)
    , m_locations(locations)
    , m_photoLibraries(photoLibraries ? std::move(photoLibraries) : PhotoLibraryProbe::standard())
    , m_folderChooser(std::move(folderChooser))
{
    // The titles say whether a library is listed, so they follow the list.
    QAbstractItemModel* model = m_locations.model();
    const auto announce = [this] { Q_EMIT photoLibraryTitlesChanged(); };
    connect(model, &QAbstractItemModel::rowsInserted, this, announce);
    connect(model, &QAbstractItemModel::rowsRemoved, this, announce);
    connect(model, &QAbstractItemModel::modelReset, this, announce);

    if (auto* listModel = qobject_cast<ScanLocationListModel*>(model)) {
        listModel->setDragAndDrop(ScanLocationListModel::DragAndDrop{
            [this](const QList<int>& rows) { return writeRows(rows); },
            [this](const QMimeData* data) { return validateDrop(data); },
            [this](const QMimeData* data, int row) { return acceptDrop(data, row); },
        });
    }
}

ScanLocationAddController::~ScanLocationAddController()
{
    if (auto* listModel = qobject_cast<ScanLocationListModel*>(m_locations.model()))
        listModel->setDragAndDrop({});
}

bool ScanLocationAddController::isIPhotoInstalled() const
{
    return m_photoLibraries->iPhotoIsInstalled();
}

bool ScanLocationAddController::isApertureInstalled() const
{
    return m_photoLibraries->apertureIsInstalled();
}

bool ScanLocationAddController::isIPhotoLibraryListed() const
{
    return isLibraryListed(m_photoLibraries->iPhotoLibraryPath());
}

bool ScanLocationAddController::isApertureLibraryListed() const
{
    return isLibraryListed(m_photoLibraries->apertureLibraryPath());
}

QString ScanLocationAddController::addIPhotoLibraryMenuItemTitle() const
{
    return libraryMenuItemTitle(QStringLiteral("iPhoto"), m_photoLibraries->iPhotoLibraryPath());
}

QString ScanLocationAddController::addApertureLibraryMenuItemTitle() const
{
    return libraryMenuItemTitle(QStringLiteral("Aperture"), m_photoLibraries->apertureLibraryPath());
}

void ScanLocationAddController::addCurrentIPhotoLibrary()
{
    const QString path = m_photoLibraries->iPhotoLibraryPath();
    if (!path.isNull())
        addLibraryPathWithOpenPanel(path);
}

void ScanLocationAddController::addCurrentApertureLibrary()
{
    const QString path = m_photoLibraries->apertureLibraryPath();
    if (!path.isNull())
        addLibraryPathWithOpenPanel(path);
}

void ScanLocationAddController::addLibraryPathWithOpenPanel(const QString& path)
{
    m_locations.addDistinctDirectories({path});
    m_locations.saveLocationsToPrefs();
}

void ScanLocationAddController::activate()
{
    Q_EMIT photoLibraryTitlesChanged();
    m_locations.reloadData();
}

void ScanLocationAddController::addFolder()
{
    if (!m_folderChooser)
        return;
    const QPointer<ScanLocationAddController> self(this);
    m_folderChooser->chooseFolders(
        QStringLiteral("Add"), [self](const QString& path) { return self && self->shouldEnablePath(path); },
        [self](const QStringList& chosen) {
            if (!self || chosen.isEmpty())
                return;
            // A typed path passes by the chooser's rule, so it is applied again.
            QStringList paths;
            for (const QString& path : chosen) {
                if (self->shouldEnablePath(path))
                    paths.append(path);
            }
            if (paths.isEmpty())
                return;
            self->m_locations.addDistinctDirectories(paths);
            self->m_locations.saveLocationsToPrefs();
            self->m_locations.addRecentDirectories(paths);
            self->m_locations.saveRecentLocationsToPrefs();
        });
}

bool ScanLocationAddController::shouldEnablePath(const QString& path) const
{
    if (path.isEmpty())
        return false;
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return true;
    return pairsiftingSupported(QUrl::fromLocalFile(path)) && !isSystemPath(path) && !m_locations.hasDirectory(path);
}

void ScanLocationAddController::addRecentLocation(const QString& path)
{
    m_locations.addDistinctDirectories({path});
}

void ScanLocationAddController::clearRecentLocations()
{
    m_locations.clearRecentLocations();
}

bool ScanLocationAddController::validateMenuItem(const QString& title) const
{
    return !m_locations.hasDirectory(title);
}

bool ScanLocationAddController::canAcceptDragForPath(const QString& path) const
{
    if (path.isEmpty() || m_locations.hasDirectory(path) || isSystemPath(path))
        return false;
    const QFileInfo info(path);
    if (!info.exists() || !info.isDir())
        return false;
    return !isBundle(path) || pairsiftingSupported(QUrl::fromLocalFile(path));
}

QMimeData* ScanLocationAddController::writeRows(const QList<int>& rows) const
{
    QByteArray archive;
    QDataStream stream(&archive, QIODevice::WriteOnly);
    stream << rows;
    auto* data = new QMimeData;
    data->setData(locationIndexMimeType(), archive);
    return data;
}

Qt::DropAction ScanLocationAddController::validateDrop(const QMimeData* data) const
{
    if (!data)
        return Qt::IgnoreAction;
    if (data->hasUrls())
        return acceptablePaths(data).isEmpty() ? Qt::IgnoreAction : Qt::CopyAction;
    if (data->hasFormat(locationIndexMimeType()))
        return Qt::MoveAction;
    return Qt::IgnoreAction;
}

bool ScanLocationAddController::acceptDrop(const QMimeData* data, int row)
{
    if (!data)
        return false;
    if (data->hasUrls()) {
        const QStringList paths = acceptablePaths(data);
        if (paths.isEmpty())
            return false;
        m_locations.addDistinctDirectories(paths);
        m_locations.addRecentDirectories(paths);
        m_locations.notifyDelegate();
        return true;
    }
    if (!data->hasFormat(locationIndexMimeType()))
        return false;
    QList<int> rows;
    QDataStream stream(data->data(locationIndexMimeType()));
    stream >> rows;
    const int rowCount = static_cast<int>(m_locations.locations().size());
    const std::optional<RowMove> move = moveRowsBefore(rowCount, rows, row < 0 ? rowCount : row);
    // A drop on a dragged row is taken, and changes nothing.
    if (!move)
        return stream.status() == QDataStream::Ok;
    return m_locations.applyRowMove(*move);
}

bool ScanLocationAddController::isLibraryListed(const QString& libraryPath) const
{
    return libraryPath.isNull() || m_locations.hasDirectory(libraryPath);
}

QString ScanLocationAddController::libraryMenuItemTitle(const QString& application, const QString& libraryPath) const
{
    const QString title = application + QStringLiteral(" Library");
    if (!isLibraryListed(libraryPath))
        return title;
    return title + (libraryPath.isEmpty() ? QStringLiteral(" (doesn't exist)") : QStringLiteral(" (already added)"));
}

QStringList ScanLocationAddController::acceptablePaths(const QMimeData* data) const
{
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        const QString path = url.isLocalFile() ? QFileInfo(url.toLocalFile()).canonicalFilePath() : QString();
        if (canAcceptDragForPath(path) && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

} // namespace pairsift
