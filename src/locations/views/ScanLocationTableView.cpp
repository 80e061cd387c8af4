#include "locations/views/ScanLocationTableView.h"

#include "locations/ScanLocationListModel.h"
#include "locations/ScanLocationTableViewController.h"
#include "support/foundation/ImageAndTextCellData.h"
#include "ui/ImageAndTextCell.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QMimeData>

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
    setIconSize(QSize(16, 16));
    auto* cell = new ImageAndTextCell(this);
    cell->setElidesPaths(true);
    cell->setDelegate(this);
    setItemDelegate(cell);
    setShowGrid(false);
    setWordWrap(false);
    verticalHeader()->hide();
    horizontalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);

    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragDropOverwriteMode(false);

    connect(controller, &ScanLocationTableViewController::scrollToRowRequested, this,
            [this](int row) { scrollTo(model()->index(row, 0)); });
}

std::optional<QVariant> ScanLocationTableView::dataElementForCell(const ImageAndTextCell&, const QModelIndex& index)
{
    return index.data(ScanLocationListModel::CellDataRole);
}

std::optional<QIcon> ScanLocationTableView::iconForCell(const ImageAndTextCell&, const QVariant& data)
{
    if (data.metaType() == QMetaType::fromType<ImageAndTextCellData>())
        return data.value<ImageAndTextCellData>().image;
    return m_icons.iconForPath(data.toString(), true);
}

void ScanLocationTableView::startDrag(Qt::DropActions)
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    QMimeData* data = rows.isEmpty() ? nullptr : model()->mimeData(rows);
    if (!data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

void ScanLocationTableView::dragEnterEvent(QDragEnterEvent* event)
{
    QTableView::dragEnterEvent(event);
    if (event->isAccepted())
        setDropActionFor(event);
}

void ScanLocationTableView::dragMoveEvent(QDragMoveEvent* event)
{
    QTableView::dragMoveEvent(event);
    if (event->isAccepted())
        setDropActionFor(event);
}

void ScanLocationTableView::setDropActionFor(QDropEvent* event)
{
    event->setDropAction(event->mimeData()->hasUrls() ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

} // namespace pairsift
