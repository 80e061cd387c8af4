#include "locations/RowMove.h"

#include <algorithm>

namespace pairsift {

std::optional<RowMove> moveRowsByOne(int rowCount, const QList<int>& selectedRows, int offset)
{
    if ((offset != -1 && offset != 1) || rowCount < 2 || selectedRows.isEmpty())
        return std::nullopt;
    QList<int> selected = selectedRows;
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    // Sorted, so the ends stand for every selected row.
    const auto isInside = [rowCount](int row) { return row >= 0 && row < rowCount; };
    if (!isInside(selected.first()) || !isInside(selected.last()) || !isInside(selected.first() + offset)
        || !isInside(selected.last() + offset))
        return std::nullopt;

    RowMove move;
    move.order = QList<int>(rowCount, -1);
    QList<bool> isSelected(rowCount, false);
    for (int row : std::as_const(selected)) {
        isSelected[row] = true;
        move.order[row + offset] = row;
        move.selectedRows.append(row + offset);
    }
    int nextFree = 0;
    for (int row = 0; row < rowCount; ++row) {
        if (isSelected.at(row))
            continue;
        while (move.order.at(nextFree) != -1)
            ++nextFree;
        move.order[nextFree] = row;
    }
    return move;
}

std::optional<RowMove> moveRowsBefore(int rowCount, const QList<int>& rows, int dropRow)
{
    QList<bool> isMoved(rowCount, false);
    for (int row : rows) {
        if (row >= 0 && row < rowCount)
            isMoved[row] = true;
    }
    const bool isDropInside = dropRow >= 0 && dropRow < rowCount;
    if (!isMoved.contains(true) || (isDropInside && isMoved.at(dropRow)))
        return std::nullopt;

    RowMove move;
    const auto appendMovedRows = [&] {
        for (int row = 0; row < rowCount; ++row) {
            if (isMoved.at(row)) {
                move.selectedRows.append(static_cast<int>(move.order.size()));
                move.order.append(row);
            }
        }
    };
    for (int row = 0; row < rowCount; ++row) {
        if (row == dropRow)
            appendMovedRows();
        if (!isMoved.at(row))
            move.order.append(row);
    }
    if (!isDropInside)
        appendMovedRows();
    return move;
}

} // namespace pairsift
