#pragma once

#include <QMenu>

namespace pairsift {

class ScanLocationAddController;
class ScanLocationTableViewController;

// The add button's menu: four fixed items (a folder through the chooser, a separator, the current iPhoto
// and Aperture libraries, shown only where the application is installed), then, when there are recent
// locations, a separator, one item per recent location (oldest first, disabled when listed), a separator
// and "Clear Recent Locations".
class AddLocationMenu : public QMenu {
    Q_OBJECT

public:
    static constexpr int fixedItemCount = 4;

    // Both controllers must outlive the menu.
    AddLocationMenu(ScanLocationTableViewController& locations, ScanLocationAddController& controller,
        QWidget* parent = nullptr);

    QAction* addFolderAction() const { return m_addFolderAction; }

    // Rebuilds the recent-locations section.
    void updateAddMenu();

private:
    void updatePhotoLibraryItems();
    void validateItems();

    ScanLocationTableViewController& m_locations;
    ScanLocationAddController& m_controller;
    QAction* m_addFolderAction;
    QAction* m_iPhotoAction;
    QAction* m_apertureAction;
};

} // namespace pairsift
