#include "results/ResultsSelectionModel.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

namespace pairsift {

ResultsSelectionModel::ResultsSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent)
{
    // Rows are only ever replaced by a reset, which ends every selection.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_groupsWithFiles.clear();
        m_currentGroupsWithFiles.clear();
    });
    // clearSelection() passes select() by.
    connect(this, &QItemSelectionModel::selectionChanged, this, [this] {
        if (!hasSelection()) {
            m_groupsWithFiles.clear();
            m_currentGroupsWithFiles.clear();
        }
    });
}

bool ResultsSelectionModel::isSelectedWithFiles(int groupRow) const
{
    return m_groupsWithFiles.count(groupRow) > 0 || m_currentGroupsWithFiles.count(groupRow) > 0;
}

void ResultsSelectionModel::unfold(int groupRow)
{
    if (!isSelectedWithFiles(groupRow))
        return;
    m_groupsWithFiles.erase(groupRow);
    m_currentGroupsWithFiles.erase(groupRow);
    const QModelIndex group = model()->index(groupRow, 0);
    const int files = model()->rowCount(group);
    if (files > 0) {
        QItemSelectionModel::select(
            QItemSelection(model()->index(0, 0, group), model()->index(files - 1, model()->columnCount(group) - 1, group)),
            Select);
    }
}

void ResultsSelectionModel::unfoldTouched(const QItemSelection& selection)
{
    std::vector<int> touched;
    for (const QItemSelectionRange& range : selection) {
        if (range.parent().isValid()) {
            touched.push_back(range.parent().row());
            continue;
        }
        for (const std::set<int>* groups : {&m_groupsWithFiles, &m_currentGroupsWithFiles}) {
            for (auto group = groups->lower_bound(range.top()); group != groups->end() && *group <= range.bottom(); ++group)
                touched.push_back(*group);
        }
    }
    for (int group : touched)
        unfold(group);
}

void ResultsSelectionModel::select(const QItemSelection& selection, QItemSelectionModel::SelectionFlags command)
{
    if (command & Clear) {
        m_groupsWithFiles.clear();
        m_currentGroupsWithFiles.clear();
    } else if (!(command & Current)) {
        // The base commits the selection being made.
        m_groupsWithFiles.merge(m_currentGroupsWithFiles);
        m_currentGroupsWithFiles.clear();
    } else {
        // The selection being made is replaced, its group rows with it.
        m_currentGroupsWithFiles.clear();
    }
    if (command & (Deselect | Toggle) || !(command & Select)) {
        unfoldTouched(selection);
        QItemSelectionModel::select(selection, command);
        return;
    }
    // The group rows this step selects, to find the file ranges that only repeat them.
    std::vector<std::pair<int, int>> groupRows;
    for (const QItemSelectionRange& range : selection) {
        if (range.isValid() && !range.parent().isValid())
            groupRows.emplace_back(range.top(), range.bottom());
    }
    std::sort(groupRows.begin(), groupRows.end());
    std::vector<std::pair<int, int>> merged;
    for (const auto& rows : groupRows) {
        if (!merged.empty() && rows.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, rows.second);
        else
            merged.push_back(rows);
    }
    const auto selectsGroupRow = [&merged](int row) {
        const auto after = std::upper_bound(merged.begin(), merged.end(), std::pair(row, std::numeric_limits<int>::max()));
        return after != merged.begin() && std::prev(after)->second >= row;
    };
    std::set<int>& folded = command & Current ? m_currentGroupsWithFiles : m_groupsWithFiles;
    QItemSelection kept;
    kept.reserve(selection.size());
    for (const QItemSelectionRange& range : selection) {
        const QModelIndex parent = range.parent();
        if (parent.isValid() && !parent.parent().isValid() && range.top() == 0
            && range.bottom() == model()->rowCount(parent) - 1 && selectsGroupRow(parent.row())) {
            folded.insert(parent.row());
            continue;
        }
        kept.append(range);
    }
    QItemSelectionModel::select(kept, command);
}

void ResultsSelectionModel::selectAll(std::set<int> groupsWithFiles)
{
    const int rows = model()->rowCount();
    if (rows == 0)
        return;
    // Set before the change is announced, so that whoever hears it sees the files selected.
    m_currentGroupsWithFiles.clear();
    m_groupsWithFiles = std::move(groupsWithFiles);
    QItemSelectionModel::select(QItemSelection(model()->index(0, 0), model()->index(rows - 1, model()->columnCount() - 1)),
                                ClearAndSelect);
}

void ResultsSelectionModel::clear()
{
    m_groupsWithFiles.clear();
    m_currentGroupsWithFiles.clear();
    QItemSelectionModel::clear();
}

void ResultsSelectionModel::reset()
{
    m_groupsWithFiles.clear();
    m_currentGroupsWithFiles.clear();
    QItemSelectionModel::reset();
}

bool ResultsSelectionModel::isRowSelected(const QModelIndex& index) const
{
    if (!index.isValid())
        return false;
    const QModelIndex parent = index.parent();
    return isSelected(index.siblingAtColumn(0)) || (parent.isValid() && isSelectedWithFiles(parent.row()));
}

QModelIndexList ResultsSelectionModel::selectedRowsInOrder(const std::function<bool(const QModelIndex& group)>& isExpanded) const
{
    // (group row, file row or -1 for the group) of each selected row, from the ranges themselves: asking
    // row by row would cost rows × ranges. A collapsed group is asked about once per range or fold.
    std::vector<std::pair<int, int>> rows;
    for (const QItemSelectionRange& range : selection()) {
        const QModelIndex parent = range.parent();
        if (parent.isValid() && !isExpanded(parent))
            continue;
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.emplace_back(parent.isValid() ? std::pair(parent.row(), row) : std::pair(row, -1));
    }
    for (const std::set<int>* groups : {&m_groupsWithFiles, &m_currentGroupsWithFiles}) {
        for (int group : *groups) {
            const QModelIndex groupIndex = model()->index(group, 0);
            if (!isExpanded(groupIndex))
                continue;
            const int files = model()->rowCount(groupIndex);
            for (int file = 0; file < files; ++file)
                rows.emplace_back(group, file);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    QModelIndexList indexes;
    indexes.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& [group, file] : rows) {
        const QModelIndex groupIndex = model()->index(group, 0);
        indexes.append(file < 0 ? groupIndex : model()->index(file, 0, groupIndex));
    }
    return indexes;
}

QModelIndex ResultsSelectionModel::topmostSelectedRow(const std::function<bool(const QModelIndex& group)>& isExpanded) const
{
    // A group selected with its files is itself selected, and comes before them.
    std::pair<int, int> topmost(std::numeric_limits<int>::max(), 0);
    QModelIndex found;
    for (const QItemSelectionRange& range : selection()) {
        const QModelIndex parent = range.parent();
        const std::pair<int, int> position = parent.isValid() ? std::pair(parent.row(), range.top()) : std::pair(range.top(), -1);
        if (position < topmost && (!parent.isValid() || isExpanded(parent))) {
            topmost = position;
            found = QModelIndex(range.topLeft()).siblingAtColumn(0);
        }
    }
    return found;
}

} // namespace pairsift
