#include "results/views/ResultsOutlineView.h"

#include "results/ResultsSelectionModel.h"

namespace pairsift {

ResultsOutlineView::ResultsOutlineView(ResultsSelectionModel* selection, QWidget* parent)
    : KeyForwardingOutlineView(parent)
    , m_selection(selection)
{
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
