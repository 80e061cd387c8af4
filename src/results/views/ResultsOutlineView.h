#pragma once

#include "ui/KeyForwardingOutlineView.h"

namespace pairsift {

class ResultsSelectionModel;

// The results list's outline view: it also paints as selected the file rows of a group selected with its
// files, which the selection keeps as the group row alone, and selects all that way.
class ResultsOutlineView : public KeyForwardingOutlineView {
    Q_OBJECT

public:
    explicit ResultsOutlineView(ResultsSelectionModel* selection, QWidget* parent = nullptr);

    // The shown rows, as the tree view selects them, without a range per expanded group.
    void selectAll() override;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index, const QEvent* event) const override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    ResultsSelectionModel* m_selection;
};

} // namespace pairsift
