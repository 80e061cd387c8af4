#include "locations/ScanLocationTableViewController.h"

#include "locations/NormalizedLocations.h"
#include "locations/RowMove.h"
#include "locations/ScanLocationDelegate.h"
#include "settings/PairsiftDefaults.h"

#include <QFileInfo>
#include <QItemSelection>

#include <algorithm>
#include <utility>

namespace pairsift {

ScanLocationTableViewController::ScanLocationTableViewController(QObject* parent)
    : ScanLocationTableViewController(QList<LocationItemPtr>(), parent)
{
}

ScanLocationTableViewController::ScanLocationTableViewController(QList<LocationItemPtr> locations, QObject* parent)
    : QObject(parent)
    , m_model(new ScanLocationListModel(this))
    , m_selectionModel(new QItemSelectionModel(m_model, this))
{
    m_model->setLocations(std::move(locations));

    // The move commands depend on the selection and on the list.
    const auto announceCanMove = [this] { Q_EMIT canMoveSelectedLocationsChanged(); };
    connect(m_selectionModel, &QItemSelectionModel::selectionChanged, this, announceCanMove);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, announceCanMove);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, announceCanMove);
    connect(m_model, &QAbstractItemModel::modelReset, this, announceCanMove);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, announceCanMove);
}

// The selection refers to the model, so it goes first.
ScanLocationTableViewController::~ScanLocationTableViewController()
{
    delete m_selectionModel;
}

void ScanLocationTableViewController::setLocations(QList<LocationItemPtr> locations)
{
    m_model->setLocations(std::move(locations));
    notifyDelegate();
}

void ScanLocationTableViewController::addDirectory(const QString& path)
{
    if (!path.isEmpty())
        m_model->appendLocation(LocationItem::withPath(path));
}

void ScanLocationTableViewController::addDistinctDirectories(const QStringList& paths)
{
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        LocationItemPtr location = LocationItem::withPath(path);
        const bool isListed = std::any_of(locations().cbegin(), locations().cend(),
                                          [&](const LocationItemPtr& listed) { return *listed == *location; });
        if (isListed)
            continue;
        const int row = m_model->appendLocation(std::move(location));
        setSelectedRows({row});
        Q_EMIT scrollToRowRequested(row);
        notifyDelegate();
    }
}

void ScanLocationTableViewController::addRecentDirectories(const QStringList& paths)
{
    const auto maxCount = static_cast<qsizetype>(PairsiftDefaults::maxRecentLocations());
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;
        LocationItemPtr location = LocationItem::withPath(path);
        const bool isRecent = std::any_of(m_recentLocations.cbegin(), m_recentLocations.cend(),
                                          [&](const LocationItemPtr& recent) { return *recent == *location; });
        if (isRecent)
            continue;
        m_recentLocations.append(std::move(location));
        while (m_recentLocations.size() > maxCount)
            m_recentLocations.removeFirst();
    }
    saveRecentLocationsToPrefs();
    Q_EMIT recentLocationsChanged();
}

void ScanLocationTableViewController::clearRecentLocations()
{
    m_recentLocations.clear();
    saveRecentLocationsToPrefs();
    Q_EMIT recentLocationsChanged();
}

void ScanLocationTableViewController::removeDirectory()
{
    if (m_model->removeLocations(selectedRows()) > 0)
        notifyDelegate();
}

void ScanLocationTableViewController::resetErrors()
{
    for (const LocationItemPtr& location : locations())
        location->setStatus(0);
}

int ScanLocationTableViewController::selectionCount() const
{
    return static_cast<int>(m_selectionModel->selectedRows().size());
}

QList<int> ScanLocationTableViewController::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_selectionModel->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ScanLocationTableViewController::setSelectedRows(const QList<int>& rows)
{
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_model->index(row);
        if (index.isValid())
            selection.select(index, index);
    }
    m_selectionModel->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool ScanLocationTableViewController::hasDirectory(const QString& path) const
{
    return LocationItem::locationArray(locations(), path);
}

QList<LocationItemPtr> ScanLocationTableViewController::normalizedLocationsKeepingBundles(bool keepBundles) const
{
    return normalizedLocations(locations(), keepBundles);
}

void ScanLocationTableViewController::pruneDirectories()
{
    for (int row = static_cast<int>(locations().size()) - 1; row >= 0; --row) {
        const QFileInfo info(locations().at(row)->path());
        if (info.exists() && info.isDir())
            continue;
        m_model->removeLocations({row});
        notifyDelegate();
    }
}

void ScanLocationTableViewController::loadLocationsFromPrefs()
{
    setLocations(PairsiftDefaults::locations().value_or(QList<LocationItemPtr>()));
}

void ScanLocationTableViewController::saveLocationsToPrefs() const
{
    PairsiftDefaults::setLocations(locations());
    PairsiftDefaults::save();
}

void ScanLocationTableViewController::loadRecentLocationsFromPrefs()
{
    m_recentLocations = PairsiftDefaults::recentLocations().value_or(QList<LocationItemPtr>());
    Q_EMIT recentLocationsChanged();
}

void ScanLocationTableViewController::saveRecentLocationsToPrefs() const
{
    PairsiftDefaults::setRecentLocations(m_recentLocations);
    PairsiftDefaults::save();
}

bool ScanLocationTableViewController::canMoveSelectedLocationsUp() const
{
    return moveRowsByOne(m_model->rowCount(), selectedRows(), -1).has_value();
}

bool ScanLocationTableViewController::canMoveSelectedLocationsDown() const
{
    return moveRowsByOne(m_model->rowCount(), selectedRows(), 1).has_value();
}

bool ScanLocationTableViewController::moveSelectedSourcesUp()
{
    return moveSelection(-1);
}

bool ScanLocationTableViewController::moveSelectedSourcesDown()
{
    return moveSelection(1);
}

void ScanLocationTableViewController::notifyDelegate()
{
    if (m_delegate)
        m_delegate->scanLocationControllerUpdatedLocations(this, locations());
}

void ScanLocationTableViewController::reloadData()
{
    m_model->reloadData();
}

bool ScanLocationTableViewController::moveSelection(int offset)
{
    const std::optional<RowMove> move = moveRowsByOne(m_model->rowCount(), selectedRows(), offset);
    return move && applyRowMove(*move);
}

bool ScanLocationTableViewController::applyRowMove(const RowMove& move)
{
    if (!m_model->reorder(move.order))
        return false;
    setSelectedRows(move.selectedRows);
    notifyDelegate();
    return true;
}

} // namespace pairsift
