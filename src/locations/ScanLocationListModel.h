#pragma once

#include "settings/LocationItem.h"

#include <QAbstractListModel>
#include <QList>

#include <functional>

namespace pairsift {

// The scan locations in the user's order, as an item model for the table. One row per location, showing
// its path (and, as its tooltip, why it could not be read at the last scan); a change of a location's
// path or status refreshes its row. Main thread only (a location
// changed on another thread reaches the model through a queued call).
class ScanLocationListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        // The location's status (int, 0 fine).
        StatusRole = Qt::UserRole + 1,
        // The name of the location's status image ("error"), null when fine.
        StatusImageRole,
        // What the row's icon-and-text cell shows: an ImageAndTextCellData with the path and the error
        // icon for a location that could not be read, else the path alone (the cell finds its icon).
        CellDataRole,
    };

    // The table's drag and drop, answered by whoever sets it; without it nothing is dragged or dropped.
    // A drop's row is the row it lands on or before, -1 past the end.
    struct DragAndDrop {
        std::function<QMimeData*(const QList<int>& rows)> writeRows;
        std::function<Qt::DropAction(const QMimeData* data)> validateDrop;
        std::function<bool(const QMimeData* data, int row)> acceptDrop;
    };

    explicit ScanLocationListModel(QObject* parent = nullptr);

    void setDragAndDrop(DragAndDrop dragAndDrop) { m_dragAndDrop = std::move(dragAndDrop); }

    const QList<LocationItemPtr>& locations() const { return m_locations; }
    // Null when the row is out of range.
    LocationItemPtr location(int row) const;

    // Replaces the whole list (a reset). Null entries are left out.
    void setLocations(QList<LocationItemPtr> locations);
    // Appends and answers the new row; a null location is ignored (-1).
    int appendLocation(LocationItemPtr location);
    // Removes the rows that exist among `rows`; answers how many were removed.
    int removeLocations(const QList<int>& rows);
    // Puts the rows in a new order, `order[newRow]` being the old row; persistent indexes (the
    // selection) follow their locations. False, and nothing changes, unless `order` is a permutation
    // of all rows.
    bool reorder(const QList<int>& order);
    // Tells views that every row may have changed.
    void reloadData();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }
    Qt::DropActions supportedDropActions() const override { return Qt::CopyAction | Qt::MoveAction; }
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) const override;
    // Never removes rows afterwards: a move is done here, whole, so nothing is left for the view to remove.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
        const QModelIndex& parent) override;

private:
    void watch(const LocationItem* location);
    void unwatchIfGone(LocationItem* location);
    void locationChanged(const LocationItem* location);

    QList<LocationItemPtr> m_locations;
    DragAndDrop m_dragAndDrop;
};

} // namespace pairsift
