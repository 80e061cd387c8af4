#include "locations/ScanLocationListModel.h"

#include "support/foundation/FallbackIcons.h"
#include "support/foundation/ImageAndTextCellData.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace pairsift {

namespace {

qsizetype occurrences(const QList<LocationItemPtr>& locations, const LocationItem* location)
{
    return std::count_if(locations.cbegin(), locations.cend(),
                         [location](const LocationItemPtr& listed) { return listed.get() == location; });
}

} // namespace

ScanLocationListModel::ScanLocationListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

LocationItemPtr ScanLocationListModel::location(int row) const
{
    return row >= 0 && row < m_locations.size() ? m_locations.at(row) : nullptr;
}

void ScanLocationListModel::setLocations(QList<LocationItemPtr> locations)
{
    locations.removeAll(nullptr);
    beginResetModel();
    for (const LocationItemPtr& location : std::as_const(m_locations))
        disconnect(location.get(), nullptr, this, nullptr);
    m_locations = std::move(locations);
    QSet<const LocationItem*> watched;
    for (const LocationItemPtr& location : std::as_const(m_locations)) {
        if (!watched.contains(location.get())) {
            watched.insert(location.get());
            watch(location.get());
        }
    }
    endResetModel();
}

int ScanLocationListModel::appendLocation(LocationItemPtr location)
{
    if (!location)
        return -1;
    const int row = static_cast<int>(m_locations.size());
    beginInsertRows(QModelIndex(), row, row);
    if (occurrences(m_locations, location.get()) == 0)
        watch(location.get());
    m_locations.append(std::move(location));
    endInsertRows();
    return row;
}

int ScanLocationListModel::removeLocations(const QList<int>& rows)
{
    QList<int> descending;
    for (int row : rows) {
        if (row >= 0 && row < m_locations.size() && !descending.contains(row))
            descending.append(row);
    }
    std::sort(descending.begin(), descending.end(), std::greater<int>());
    for (int row : std::as_const(descending)) {
        beginRemoveRows(QModelIndex(), row, row);
        const LocationItemPtr removed = m_locations.takeAt(row);
        unwatchIfGone(removed.get());
        endRemoveRows();
    }
    return static_cast<int>(descending.size());
}

bool ScanLocationListModel::reorder(const QList<int>& order)
{
    const qsizetype count = m_locations.size();
    if (order.size() != count)
        return false;
    QList<int> newRowOf(count, -1);
    for (int newRow = 0; newRow < count; ++newRow) {
        const int oldRow = order.at(newRow);
        if (oldRow < 0 || oldRow >= count || newRowOf.at(oldRow) != -1)
            return false;
        newRowOf[oldRow] = newRow;
    }

    Q_EMIT layoutAboutToBeChanged();
    QList<LocationItemPtr> reordered;
    reordered.reserve(count);
    for (int oldRow : order)
        reordered.append(m_locations.at(oldRow));
    m_locations = std::move(reordered);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(createIndex(newRowOf.at(index.row()), index.column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
    return true;
}

void ScanLocationListModel::reloadData()
{
    if (!m_locations.isEmpty())
        Q_EMIT dataChanged(index(0), index(static_cast<int>(m_locations.size()) - 1));
}

int ScanLocationListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_locations.size());
}

QVariant ScanLocationListModel::data(const QModelIndex& index, int role) const
{
    const LocationItemPtr listed = index.isValid() ? location(index.row()) : nullptr;
    if (!listed)
        return {};
    const bool isUnreadable = listed->status() != 0;
    switch (role) {
    case Qt::DisplayRole:
        return listed->path();
    case Qt::ToolTipRole:
        if (!isUnreadable)
            return listed->path();
        if (listed->statusReason().isEmpty())
            return tr("“%1” could not be read at the last scan.").arg(listed->path());
        return tr("“%1” could not be read at the last scan: %2.").arg(listed->path(), listed->statusReason());
    case CellDataRole:
        if (!isUnreadable)
            return listed->path();
        return QVariant::fromValue(ImageAndTextCellData{listed->path(), themeIcon(QStringLiteral("dialog-error"), FallbackIcon::Error)});
    case StatusRole:
        return listed->status();
    case StatusImageRole:
        return listed->statusImage();
    default:
        return {};
    }
}

Qt::ItemFlags ScanLocationListModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags dragAndDrop = m_dragAndDrop.writeRows ? Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    if (!index.isValid())
        return dragAndDrop & Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | dragAndDrop;
}

QStringList ScanLocationListModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list"), QStringLiteral("com.lanternforges.Pairsift.locationIndex")};
}

QMimeData* ScanLocationListModel::mimeData(const QModelIndexList& indexes) const
{
    if (!m_dragAndDrop.writeRows)
        return nullptr;
    QList<int> rows;
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return m_dragAndDrop.writeRows(rows);
}

bool ScanLocationListModel::canDropMimeData(const QMimeData* data, Qt::DropAction, int, int, const QModelIndex&) const
{
    return m_dragAndDrop.validateDrop && m_dragAndDrop.validateDrop(data) != Qt::IgnoreAction;
}

bool ScanLocationListModel::dropMimeData(const QMimeData* data, Qt::DropAction, int row, int, const QModelIndex& parent)
{
    if (!m_dragAndDrop.acceptDrop)
        return false;
    return m_dragAndDrop.acceptDrop(data, parent.isValid() ? parent.row() : row);
}

// Called once per location however often it is listed. The lambdas compare addresses only, so a queued
// call for a location that is already gone is harmless.
void ScanLocationListModel::watch(const LocationItem* watched)
{
    connect(watched, &LocationItem::urlChanged, this, [this, watched] { locationChanged(watched); });
    connect(watched, &LocationItem::statusChanged, this, [this, watched] { locationChanged(watched); });
}

void ScanLocationListModel::unwatchIfGone(LocationItem* location)
{
    if (occurrences(m_locations, location) == 0)
        disconnect(location, nullptr, this, nullptr);
}

void ScanLocationListModel::locationChanged(const LocationItem* location)
{
    for (int row = 0; row < m_locations.size(); ++row) {
        if (m_locations.at(row).get() == location)
            Q_EMIT dataChanged(index(row), index(row));
    }
}

} // namespace pairsift
