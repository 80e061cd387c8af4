#pragma once

#include <QTableView>

namespace pairsift {

class ScanLocationTableViewController;

// The table of scan locations: one row per location, whole rows selected (several at once), long paths
// shortened in the middle, nothing edited in place. Shows the controller's model and shares its
// selection, and scrolls when the controller asks.
class ScanLocationTableView : public QTableView {
    Q_OBJECT

public:
    explicit ScanLocationTableView(ScanLocationTableViewController* controller, QWidget* parent = nullptr);
};

} // namespace pairsift
