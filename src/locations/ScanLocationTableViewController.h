#pragma once

#include "locations/RowMove.h"
#include "locations/ScanLocationListModel.h"
#include "settings/LocationItem.h"

#include <QItemSelectionModel>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace pairsift {

class ScanLocationDelegate;

// Owns the user's ordered scan locations (whose order is the first key of the keep rule) and the short
// list of recently added ones, keeps them in the settings, drops locations that no longer exist, folds
// nested locations for the scan and the store, reorders the selection, and tells its delegate of every
// change of the list. Main thread only. The table shows model() with selectionModel(). The add menu,
// the folder chooser and drag and drop live in ScanLocationAddController.
class ScanLocationTableViewController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canMoveSelectedLocationsUp READ canMoveSelectedLocationsUp NOTIFY canMoveSelectedLocationsChanged)
    Q_PROPERTY(bool canMoveSelectedLocationsDown READ canMoveSelectedLocationsDown NOTIFY canMoveSelectedLocationsChanged)

public:
    explicit ScanLocationTableViewController(QObject* parent = nullptr);
    explicit ScanLocationTableViewController(QList<LocationItemPtr> locations, QObject* parent = nullptr);
    ~ScanLocationTableViewController() override;

    // Not owned: the owner clears it before the delegate goes.
    ScanLocationDelegate* delegate() const { return m_delegate; }
    void setDelegate(ScanLocationDelegate* delegate) { m_delegate = delegate; }

    QAbstractItemModel* model() const { return m_model; }
    QItemSelectionModel* selectionModel() const { return m_selectionModel; }

    const QList<LocationItemPtr>& locations() const { return m_model->locations(); }
    // Replaces the list and tells the delegate.
    void setLocations(QList<LocationItemPtr> locations);
    // Oldest first, at most PairsiftDefaults::maxRecentLocations().
    const QList<LocationItemPtr>& recentLocations() const { return m_recentLocations; }

    // Appends a location for a non-empty path without a duplicate test and without telling the delegate
    // (the start-up import of the oldest single-folder setting).
    void addDirectory(const QString& path);
    // Appends each path that is not listed yet, selects it and asks the table to scroll to it; the delegate
    // is told of each one.
    void addDistinctDirectories(const QStringList& paths);
    // Remembers the paths as recent locations (a path already there keeps its place), keeps the newest
    // five, then saves them.
    void addRecentDirectories(const QStringList& paths);
    // Empties the recent locations and saves them.
    void clearRecentLocations();
    // Removes the selected locations and tells the delegate.
    void removeDirectory();
    // Marks every location fine again (before a scan).
    void resetErrors();

    int selectionCount() const;
    // Ascending.
    QList<int> selectedRows() const;
    // Selects exactly the given rows; rows outside the list are ignored.
    void setSelectedRows(const QList<int>& rows);

    // True when a listed location's path equals `path` exactly.
    bool hasDirectory(const QString& path) const;
    // The list without nested locations (see normalizedLocations()): with true for the scan, with false
    // for pruning the store.
    QList<LocationItemPtr> normalizedLocationsKeepingBundles(bool keepBundles) const;
    // Removes every location that is missing or not a folder, telling the delegate of each. Not saved.
    void pruneDirectories();

    void loadLocationsFromPrefs();
    void saveLocationsToPrefs() const;
    void loadRecentLocationsFromPrefs();
    void saveRecentLocationsToPrefs() const;

    bool canMoveSelectedLocationsUp() const;
    bool canMoveSelectedLocationsDown() const;
    // Move each selected location one row up (down), keep them selected and tell the delegate. False, and
    // nothing changes, when the matching can-move property is false.
    bool moveSelectedSourcesUp();
    bool moveSelectedSourcesDown();
    // Puts the list in the move's order, selects the moved rows and tells the delegate. False, and
    // nothing changes, when the order is not a permutation of the rows.
    bool applyRowMove(const RowMove& move);

    void notifyDelegate();
    // Tells the table to redraw every row.
    void reloadData();

Q_SIGNALS:
    void canMoveSelectedLocationsChanged();
    // The add menu rebuilds its recent section.
    void recentLocationsChanged();
    // The table brings the row into view.
    void scrollToRowRequested(int row);

private:
    bool moveSelection(int offset);

    ScanLocationDelegate* m_delegate = nullptr;
    ScanLocationListModel* m_model;
    QItemSelectionModel* m_selectionModel;
    QList<LocationItemPtr> m_recentLocations;
};

} // namespace pairsift
