#pragma once

#include "settings/LocationItem.h"

#include <QList>
#include <QString>

namespace pairsift {

// True when `path` lies below `folder`: it starts with the folder's path (case-sensitive) and the next
// character is "/", so "/a/bc" is not below "/a/b". Everything but "/" itself is below "/"; nothing is
// below an empty folder.
bool isPathBelowFolder(const QString& path, const QString& folder);

// The locations without those nested in another listed location, in list order. A package location is
// never nested. With `keepBundles` a package is never a parent and a location is only folded into a parent
// whose walk reaches it, that is with no package between the two (a walk never enters a package); without
// it every location below another one is folded. Locations with equal paths all stay. Asks the disk
// which folders are packages.
QList<LocationItemPtr> normalizedLocations(const QList<LocationItemPtr>& locations, bool keepBundles);

} // namespace pairsift
