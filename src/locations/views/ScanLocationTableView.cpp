#include "locations/views/ScanLocationTableView.h"

#include "locations/ScanLocationTableViewController.h"

#include <QHeaderView>

namespace pairsift {

ScanLocationTableView::ScanLocationTableView(ScanLocationTableViewController* controller, QWidget* parent)
    : QTableView(parent)
{
    setModel(controller->model());
    setSelectionModel(controller->selectionModel());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);

    connect(controller, &ScanLocationTableViewController::scrollToRowRequested, this,
            [this](int row) { scrollTo(model()->index(row, 0)); });
}

} // namespace pairsift
