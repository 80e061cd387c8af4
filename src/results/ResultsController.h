#pragma once

#include "model/FileGroup.h"
#include "model/FileItem.h"
#include "model/Session.h"
#include "results/ResultsSelectionModel.h"
#include "settings/LocationItem.h"

#include <QIcon>
#include <QItemSelectionModel>
#include <QModelIndexList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace pairsift {

class IconAndKindCache;
class ResultsListModel;
class SelectionDetails;

// The results list of the main window without its widgets: the item model over the session, the
// selection (a QItemSelectionModel the outline view shares), the group order, the expanded-group memory,
// the marking status line and the selection details. Every reload (loading from the store, a change of
// "prefer_files", a header click) restores the expanded groups without duplicate keys and the selection
// by SHA-1 and path, then refreshes the details. Main thread only.
//
// Of the main window's operations for the list, these live here: setupDuplicatesTableView's model side,
// sortAndDisplayFiles, restoreExpandedGroups, updateMarkingStatus, isNonEmpty/triggerIsNonEmpty,
// selectedItem, selectItem, selectGroup, selectItemInGroup, expandAll, collapseAll, revealInFinder,
// iconForCell, outlineViewSelectionDidChange, the outline view's sort-descriptor and expand/collapse
// callbacks, and the list part of loadFilesFromDatabase and clearResults. The check-box edits and colours
// are the model's (ResultsListModel); the details and the keep choice are SelectionDetails'; the widgets,
// the key callbacks and the preview window are ResultsView's.
class ResultsController : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString selectionInfoText READ selectionInfoText NOTIFY markingStatusChanged)
    Q_PROPERTY(quint64 markedCount READ markedCount NOTIFY markingStatusChanged)
    Q_PROPERTY(bool isNonEmpty READ isNonEmpty NOTIFY isNonEmptyChanged)

public:
    // A row of the list: a group, or a file with its group. Both null for none.
    struct Item {
        FileGroupPtr group;
        FileItemPtr file;
    };
    using LocationsProvider = std::function<QList<LocationItemPtr>()>;
    using Revealer = std::function<void(const QString& path)>;

    // Watches "prefer_files" and sorts again on every change.
    explicit ResultsController(Session& session, QObject* parent = nullptr);
    ~ResultsController() override;

    Session& session() const { return m_session; }
    ResultsListModel* model() const { return m_model; }
    ResultsSelectionModel* selectionModel() const { return m_selectionModel; }
    SelectionDetails* details() const { return m_details; }
    IconAndKindCache& icons() const { return *m_icons; }

    // The scan locations in list order: the first key of the keep rule. None until set.
    void setLocationsProvider(LocationsProvider provider) { m_locations = std::move(provider); }
    // Shows a file in the file manager; the desktop's by default, a recorder in tests.
    void setRevealer(Revealer revealer) { m_reveal = std::move(revealer); }

    // --- Reloads ---

    // Clears the session, refills it from the store's live rows with a digest, drops single files, then
    // sorts and displays as below.
    void loadFilesFromDatabase();
    // The same with rows a loader read, ordered and grouped off the main thread (each digest's files in
    // keep-rule order, the groups in any order): the session takes them over inside the list's reset and
    // only the groups are sorted here.
    void displayLoadedFiles(Session::LoadedFiles loaded);
    // Sorts the files of every group by the keep rule and the groups by "sort_key"/"sort_ascending",
    // then reloads the list, the marking status, the expanded groups, the selection and the details.
    void sortAndDisplayFiles();
    // Empties the selection, the session and the list.
    void clearResults();
    // While held (a scan fills the session from its own queues), "prefer_files" changes and header clicks
    // store their setting but leave the session alone; the next load orders it.
    void setReloadsHeld(bool held) { m_reloadsHeld = held; }
    bool reloadsHeld() const { return m_reloadsHeld; }
    // A header click: orders the groups by the column's key (columns without one are ignored), stores
    // key and direction in the settings and reloads.
    void sortDescriptorsDidChange(int column, Qt::SortOrder order);

    // --- Status ---

    QString selectionInfoText() const { return m_selectionInfoText; }
    quint64 markedCount() const { return m_markedCount; }
    void updateMarkingStatus();
    bool isNonEmpty() const;
    void triggerIsNonEmpty();

    // --- Expanded groups ---

    // Asks the view to expand every remembered group that is listed, each once.
    void restoreExpandedGroups();
    // The outline view's expand and collapse notices. The details follow once the list is done, however
    // many groups it tells of (Expand All and a reload tell of each).
    void itemDidExpand(const QModelIndex& index);
    void itemDidCollapse(const QModelIndex& index);
    void expandAll();
    void collapseAll();
    bool isGroupExpanded(const FileGroupPtr& group) const;

    // --- Selection ---

    // The current row when it is selected and shown, else the topmost selected row that is shown: a file
    // row is shown while its group is expanded. From the selection's ranges, never row by row.
    Item selectedItem() const;
    QModelIndex indexForItem(const Item& item) const;
    // A group or a file, found again by SHA-1 and path (the item may come from before a reload).
    void selectItem(const Item& item);
    void selectGroup(const FileGroupPtr& group);
    // The listed group with the group's SHA-1 (the file at the position, unless NotFound or beyond the
    // group) becomes the one selected row. Nothing changes when that row is not shown: the group is not
    // listed, or the file's group is collapsed.
    void selectItemInGroup(const FileGroupPtr& group, qsizetype index);
    // The files of these rows in order, a group standing for its kept file, each file once.
    QList<FileItemPtr> filesForRows(const QModelIndexList& rows) const;
    // Recomputes the details from the selection.
    void outlineViewSelectionDidChange();

    // Shows the selected file in the file manager; false (the view beeps) for a group or no selection.
    bool revealInFinder();
    // The name cell's icon: the icon of cell data, else of the value taken as a path.
    QIcon iconForCell(const QVariant& data);

Q_SIGNALS:
    void markingStatusChanged();
    void isNonEmptyChanged();
    // The view expands these group rows (after a reload, at once).
    void expandRowsRequested(const QModelIndexList& rows);
    void expandAllRequested();
    void collapseAllRequested();
    void scrollToRequested(const QModelIndex& index);
    // Once after groups were expanded or collapsed, the details already following: selected rows may
    // have appeared or gone.
    void shownRowsChanged();
    // After every reload, for the status lines of the window.
    void resultsReloaded();

private:
    // Reloads around `change`, which alters the session's groups or their order.
    void reload(const std::function<void()>& change);
    QList<QByteArray> listedDigests() const;
    // Has the details (and whoever hears shownRowsChanged) follow once the list is done.
    void shownRowsDidChange();

    Session& m_session;
    std::unique_ptr<IconAndKindCache> m_icons;
    ResultsListModel* m_model;
    ResultsSelectionModel* m_selectionModel;
    SelectionDetails* m_details;
    LocationsProvider m_locations;
    Revealer m_reveal;
    QTimer* m_shownRowsChanged;
    QString m_selectionInfoText;
    quint64 m_markedCount = 0;
    quint64 m_preferFilesObserver = 0;
    bool m_reloadsHeld = false;
};

} // namespace pairsift
