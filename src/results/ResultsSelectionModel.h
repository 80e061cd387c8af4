#pragma once

#include <QItemSelectionModel>
#include <QModelIndexList>

#include <functional>
#include <set>

namespace pairsift {

// The results list's selection. A group row selected together with every one of its file rows (Select All,
// a Shift+click over expanded groups) is kept as the group row alone, and the group is remembered as
// selected with its files: one range per expanded group would make every later selection step, repaint
// and teardown cost rows × ranges, where this keeps Select All at one range. The file rows of such a group
// answer as selected through isRowSelected(), and the view paints them so. A change that may take part of
// such a group away (Deselect, Toggle) first gives its files back a range of their own. Main thread only.
class ResultsSelectionModel : public QItemSelectionModel {
    Q_OBJECT

public:
    explicit ResultsSelectionModel(QAbstractItemModel* model, QObject* parent = nullptr);

    using QItemSelectionModel::select;
    void select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command) override;
    void clear() override;
    // Every row: the group rows as one range, the files of the groups given (those shown) with them.
    void selectAll(std::set<int> groupsWithFiles);
    void reset() override;

    // The row is selected, by itself or as a file of a group selected with its files.
    bool isRowSelected(const QModelIndex& index) const;
    // The first-column index of every selected row that is shown, groups in order, each followed by its
    // selected files when `isExpanded` says the group is: a collapsed group's files stay selected unseen.
    QModelIndexList selectedRowsInOrder(const std::function<bool(const QModelIndex& group)>& isExpanded) const;
    // The topmost selected row that is shown (a file row only when `isExpanded` says its group is);
    // invalid when none.
    QModelIndex topmostSelectedRow(const std::function<bool(const QModelIndex& group)>& isExpanded) const;

private:
    bool isSelectedWithFiles(int groupRow) const;
    // The group's files become a range of their own again.
    void unfold(int groupRow);
    void unfoldTouched(const QItemSelection& selection);

    // Groups selected with their files, by row: committed, and from the selection still being made
    // (QItemSelectionModel::Current), which the next such step replaces.
    std::set<int> m_groupsWithFiles;
    std::set<int> m_currentGroupsWithFiles;
};

} // namespace pairsift
