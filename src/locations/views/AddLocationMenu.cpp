#include "locations/views/AddLocationMenu.h"

#include "locations/ScanLocationAddController.h"
#include "locations/ScanLocationTableViewController.h"

namespace pairsift {

AddLocationMenu::AddLocationMenu(ScanLocationTableViewController& locations, ScanLocationAddController& controller,
    QWidget* parent)
    : QMenu(parent)
    , m_locations(locations)
    , m_controller(controller)
    , m_addFolderAction(addAction(tr("Folder…")))
{
    addSeparator();
    m_iPhotoAction = addAction(QString());
    m_apertureAction = addAction(QString());
    connect(m_addFolderAction, &QAction::triggered, &m_controller, &ScanLocationAddController::addFolder);
    connect(m_iPhotoAction, &QAction::triggered, &m_controller, &ScanLocationAddController::addCurrentIPhotoLibrary);
    connect(m_apertureAction, &QAction::triggered, &m_controller, &ScanLocationAddController::addCurrentApertureLibrary);

    connect(&m_controller, &ScanLocationAddController::photoLibraryTitlesChanged, this, &AddLocationMenu::updatePhotoLibraryItems);
    connect(&m_locations, &ScanLocationTableViewController::recentLocationsChanged, this, &AddLocationMenu::updateAddMenu);
    connect(this, &QMenu::aboutToShow, this, &AddLocationMenu::validateItems);
    updatePhotoLibraryItems();
    updateAddMenu();
}

void AddLocationMenu::updateAddMenu()
{
    QList<QAction*> items = actions();
    while (items.size() > fixedItemCount) {
        QAction* item = items.takeLast();
        removeAction(item);
        item->deleteLater();
    }
    const QList<LocationItemPtr>& recent = m_locations.recentLocations();
    if (recent.isEmpty())
        return;
    addSeparator();
    for (const LocationItemPtr& location : recent) {
        const QString path = location->path();
        // A "&" in a path would otherwise mark a shortcut letter and vanish from the title.
        QAction* item = addAction(QString(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
        item->setData(path);
        connect(item, &QAction::triggered, &m_controller, [this, path] { m_controller.addRecentLocation(path); });
    }
    addSeparator();
    connect(addAction(tr("Clear Recent Locations")), &QAction::triggered, &m_controller,
            &ScanLocationAddController::clearRecentLocations);
    validateItems();
}

void AddLocationMenu::updatePhotoLibraryItems()
{
    m_iPhotoAction->setText(m_controller.addIPhotoLibraryMenuItemTitle());
    m_iPhotoAction->setVisible(m_controller.isIPhotoInstalled());
    m_iPhotoAction->setEnabled(!m_controller.isIPhotoLibraryListed());
    m_apertureAction->setText(m_controller.addApertureLibraryMenuItemTitle());
    m_apertureAction->setVisible(m_controller.isApertureInstalled());
    m_apertureAction->setEnabled(!m_controller.isApertureLibraryListed());
}

// A recent location that is listed already cannot be added again.
void AddLocationMenu::validateItems()
{
    const QList<QAction*> items = actions();
    for (qsizetype index = fixedItemCount; index < items.size(); ++index) {
        QAction* item = items.at(index);
        if (!item->data().toString().isEmpty())
            item->setEnabled(m_controller.validateMenuItem(item->data().toString()));
    }
    updatePhotoLibraryItems();
}

} // namespace pairsift
