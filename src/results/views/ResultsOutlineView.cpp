#include "results/views/ResultsOutlineView.h"

#include "results/ResultsSelectionModel.h"

namespace pairsift {

ResultsOutlineView::ResultsOutlineView(ResultsSelectionModel* selection, QWidget* parent)
    : KeyForwardingOutlineView(parent)
    , m_selection(selection)
{
}

void ResultsOutlineView::selectAll()
{
    if (selectionMode() != ExtendedSelection && selectionMode() != MultiSelection)
        return;
    std::set<int> expanded;
    const int groups = model()->rowCount();
    for (int row = 0; row < groups; ++row) {
        const QModelIndex group = model()->index(row, 0);
        if (isExpanded(group) && model()->rowCount(group) > 0)
            expanded.insert(expanded.end(), row);
    }
    m_selection->selectAll(std::move(expanded));
}

QItemSelectionModel::SelectionFlags ResultsOutlineView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    const QItemSelectionModel::SelectionFlags command = KeyForwardingOutlineView::selectionCommand(index, event);
    // A click turns Toggle into Select or Deselect by asking the selection about the one index, which
    // does not know of files selected with their group.
    if (command.testFlag(QItemSelectionModel::Toggle) && index.parent().isValid() && m_selection->isRowSelected(index))
        return (command & ~QItemSelectionModel::Toggle) | QItemSelectionModel::Deselect;
    return command;
}

void ResultsOutlineView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!index.parent().isValid() || !m_selection->isRowSelected(index))
        return KeyForwardingOutlineView::drawRow(painter, option, index);
    QStyleOptionViewItem selected = option;
    selected.state |= QStyle::State_Selected;
    KeyForwardingOutlineView::drawRow(painter, selected, index);
}

} // namespace pairsift
