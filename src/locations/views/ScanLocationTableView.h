#pragma once

#include "results/IconAndKindCache.h"
#include "ui/ImageAndTextCellDelegate.h"

#include <QTableView>

namespace pairsift {

class ScanLocationTableViewController;

// The table of scan locations: one row per location, whole rows selected (several at once), nothing
// edited in place. Its one column is an icon-and-text cell: the location's path, shortened in the
// middle, after the folder's 16-point icon, or the error icon for a location the last scan could not
// read. Shows the controller's model and shares its
// selection, and scrolls when the controller asks. Folders dropped from outside are added (copy); rows
// dragged within it are moved; the model does both, so the drag never removes rows afterwards.
class ScanLocationTableView : public QTableView, public ImageAndTextCellDelegate {
    Q_OBJECT

public:
    explicit ScanLocationTableView(ScanLocationTableViewController* controller, QWidget* parent = nullptr);

    std::optional<QVariant> dataElementForCell(const ImageAndTextCell& cell, const QModelIndex& index) override;
    // The data's own image, else the folder icon of the path.
    std::optional<QIcon> iconForCell(const ImageAndTextCell& cell, const QVariant& data) override;

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;

private:
    // Copy for file names, move for the table's own rows.
    static void setDropActionFor(QDropEvent* event);

    IconAndKindCache m_icons;
};

} // namespace pairsift
