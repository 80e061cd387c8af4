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

} // namespace pairsift
