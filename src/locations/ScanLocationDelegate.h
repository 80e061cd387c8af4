#pragma once

#include "settings/LocationItem.h"

#include <QList>

namespace pairsift {

class ScanLocationTableViewController;

// Told of every change of the scan locations list (the main window prunes the store and reloads).
class ScanLocationDelegate {
public:
    virtual ~ScanLocationDelegate() = default;

    virtual void scanLocationControllerUpdatedLocations(ScanLocationTableViewController* controller,
        const QList<LocationItemPtr>& locations) = 0;
};

} // namespace pairsift
