#include "locations/ScanLocationAddController.h"

#include "locations/FolderChooser.h"
#include "locations/PhotoLibraryProbe.h"
#include "locations/RowMove.h"
#include "locations/ScanLocationListModel.h"
#include "locations/ScanLocationTableViewController.h"
#include "photolibs/ContainerDetection.h"
#include "platform/PackageTypes.h"
#include "support/foundation/PathClassification.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

#include <unistd.h>

#include <algorithm>

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
        QStringLiteral("Add"), startFolder(),
        [self](const QString& path, bool isDirectory) { return self && self->shouldEnablePath(path, isDirectory); },
        [self](const QStringList& chosen) {
            if (!self || chosen.isEmpty())
                return;
            self->m_lastChosenFolder = chosen.constLast();
            // A typed path passes by the chooser's rule, and an unreadable one is enabled there.
            const QStringList paths = self->takeAcceptable(chosen);
            if (paths.isEmpty())
                return;
            self->m_locations.addDistinctDirectories(paths);
            self->m_locations.saveLocationsToPrefs();
            self->m_locations.addRecentDirectories(paths);
            self->m_locations.saveRecentLocationsToPrefs();
        });
}

QString ScanLocationAddController::startFolder() const
{
    QStringList candidates{m_lastChosenFolder};
    if (!m_locations.recentLocations().isEmpty())
        candidates.append(m_locations.recentLocations().constLast()->path());
    for (const QString& candidate : candidates) {
        if (!candidate.isEmpty() && QFileInfo(candidate).isDir())
            return candidate;
    }
    return QDir::homePath();
}

bool ScanLocationAddController::shouldEnablePath(const QString& path, bool isDirectory) const
{
    if (path.isEmpty() || !isDirectory || isSystemPath(path) || m_locations.hasDirectory(path))
        return false;
    // Whether a package named so is a photo library is its Info.plist's to say, read once it is chosen.
    return !PackageTypes::hasPackageExtension(path) || PackageTypes::hasPhotoLibraryExtension(path);
}

ScanLocationAddController::Refusal ScanLocationAddController::refusalFor(const QString& path) const
{
    const QFileInfo info(path);
    const bool exists = !path.isEmpty() && info.exists();
    // What lies there comes first: a plain file below a system path is no folder at all.
    if (exists && (!info.isDir() || (isBundle(path) && !pairsiftingSupported(QUrl::fromLocalFile(path)))))
        return Refusal::NotAFolder;
    if (isSystemPath(path))
        return Refusal::SystemFolder;
    if (m_locations.hasDirectory(path))
        return Refusal::Listed;
    if (!exists)
        return Refusal::Unreadable;
    // A folder is read by listing it, which needs both.
    if (::access(QFile::encodeName(path).constData(), R_OK | X_OK) != 0)
        return Refusal::Unreadable;
    return Refusal::None;
}

QString ScanLocationAddController::refusalMessage(const QString& path, Refusal refusal)
{
    switch (refusal) {
    case Refusal::None:
        break;
    case Refusal::SystemFolder:
        return tr("“%1” is a system folder and is not scanned.").arg(path);
    case Refusal::Listed:
        return tr("“%1” is already in the list.").arg(path);
    case Refusal::Unreadable:
        return tr("“%1” cannot be read.").arg(path);
    case Refusal::NotAFolder:
        return tr("“%1” is neither a folder nor a photo library.").arg(path);
    }
    return QString();
}

QStringList ScanLocationAddController::takeAcceptable(const QStringList& paths)
{
    QStringList acceptable;
    QStringList refusals;
    for (const QString& path : paths) {
        if (path.isEmpty() || acceptable.contains(path))
            continue;
        const Refusal refusal = refusalFor(path);
        if (refusal == Refusal::None)
            acceptable.append(path);
        else
            refusals.append(refusalMessage(path, refusal));
    }
    if (!refusals.isEmpty())
        Q_EMIT locationsRefused(refusals.join(QLatin1Char('\n')));
    return acceptable;
}

void ScanLocationAddController::addRecentLocation(const QString& path)
{
    const QStringList paths = takeAcceptable({path});
    if (!paths.isEmpty())
        m_locations.addDistinctDirectories(paths);
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
    return !path.isEmpty() && refusalFor(path) == Refusal::None;
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
    if (data->hasUrls()) {
        // A refused folder is still taken, so that the user learns why it was not added; plain files
        // and other packages are simply not dropped.
        const QStringList paths = droppedPaths(data);
        const bool isFolder = std::any_of(paths.cbegin(), paths.cend(),
                                          [this](const QString& path) { return refusalFor(path) != Refusal::NotAFolder; });
        return isFolder ? Qt::CopyAction : Qt::IgnoreAction;
    }
    if (data->hasFormat(locationIndexMimeType()))
        return Qt::MoveAction;
    return Qt::IgnoreAction;
}

bool ScanLocationAddController::acceptDrop(const QMimeData* data, int row)
{
    if (!data)
        return false;
    if (data->hasUrls()) {
        QStringList offered = droppedPaths(data);
        offered.removeIf([this](const QString& path) { return refusalFor(path) == Refusal::NotAFolder; });
        const QStringList paths = takeAcceptable(offered);
        if (paths.isEmpty())
            return false;
        m_locations.addDistinctDirectories(paths);
        m_locations.addRecentDirectories(paths);
        m_locations.notifyDelegate();
        return true;
    }
    if (!data->hasFormat(locationIndexMimeType()))
        return false;
    // Read by hand: a count larger than the list is not data this table wrote, and is never allocated.
    const int rowCount = static_cast<int>(m_locations.locations().size());
    QDataStream stream(data->data(locationIndexMimeType()));
    quint32 count = 0;
    stream >> count;
    if (stream.status() != QDataStream::Ok || count > static_cast<quint32>(rowCount))
        return false;
    QList<int> rows;
    for (quint32 index = 0; index < count && stream.status() == QDataStream::Ok; ++index) {
        qint32 rowIndex = 0;
        stream >> rowIndex;
        rows.append(rowIndex);
    }
    if (stream.status() != QDataStream::Ok)
        return false;
    const std::optional<RowMove> move = moveRowsBefore(rowCount, rows, row < 0 ? rowCount : row);
    // A drop on a dragged row is taken, and changes nothing.
    if (!move)
        return true;
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

QStringList ScanLocationAddController::droppedPaths(const QMimeData* data)
{
    QStringList paths;
    for (const QUrl& url : data->urls()) {
        const QString path = url.isLocalFile() ? QFileInfo(url.toLocalFile()).canonicalFilePath() : QString();
        if (!path.isEmpty() && !paths.contains(path))
            paths.append(path);
    }
    return paths;
}

} // namespace pairsift
