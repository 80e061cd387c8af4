#pragma once

#include <QList>

#include <optional>

namespace pairsift {

// A reordering of a list that moves some rows by one place.
struct RowMove {
    // `order[newRow]` is the row the entry came from.
    QList<int> order;
    // The moved rows' new places, ascending.
    QList<int> selectedRows;
};

// Moves every selected row to its row plus `offset` (-1 up, +1 down); the other rows keep their order
// among themselves and fill the remaining places, so a block of selected rows trades places with the row
// next to it. Nothing (no move) when `offset` is not -1 or +1, the list has fewer than two rows, nothing
// is selected, a selected row is outside the list, or a selected row would leave it.
std::optional<RowMove> moveRowsByOne(int rowCount, const QList<int>& selectedRows, int offset);

// Moves the given rows, in list order, to just before the row that was at `dropRow` (to the end when
// `dropRow` is at or past the last row). Nothing when no given row is inside the list or when the drop
// row is itself one of the moved rows (a drop on a dragged row changes nothing).
std::optional<RowMove> moveRowsBefore(int rowCount, const QList<int>& rows, int dropRow);

} // namespace pairsift
