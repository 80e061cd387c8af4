#pragma once

#include <QTableView>

namespace pairsift {

class ScanLocationTableViewController;

// The table of scan locations: one row per location, whole rows selected (several at once), long paths
// shortened in the middle, nothing edited in place. Shows the controller's model and shares its
// selection, and scrolls when the controller asks. Folders dropped from outside are added (copy); rows
// dragged within it are moved; the model does both, so the drag never removes rows afterwards.
class ScanLocationTableView : public QTableView {
    Q_OBJECT

public:
    explicit ScanLocationTableView(ScanLocationTableViewController* controller, QWidget* parent = nullptr);

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;

private:
    // Copy for file names, move for the table's own rows.
    static void setDropActionFor(QDropEvent* event);
};

} // namespace pairsift
