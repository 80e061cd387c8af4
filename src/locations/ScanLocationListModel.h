#pragma once

#include "settings/LocationItem.h"

#include <QAbstractListModel>
#include <QList>

namespace pairsift {

// The scan locations in the user's order, as an item model for the table. One row per location, showing
// its path; a change of a location's path or status refreshes its row. Main thread only (a location
// changed on another thread reaches the model through a queued call).
class ScanLocationListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        // The location's status (int, 0 fine).
        StatusRole = Qt::UserRole + 1,
        // The name of the location's status image ("error"), null when fine.
        StatusImageRole,
    };

    explicit ScanLocationListModel(QObject* parent = nullptr);

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

private:
    void watch(const LocationItem* location);
    void unwatchIfGone(LocationItem* location);
    void locationChanged(const LocationItem* location);

    QList<LocationItemPtr> m_locations;
};

} // namespace pairsift
