#pragma once

#include "photolibs/ContainerType.h"

#include <QUrl>

namespace pairsift {

// What kind of container the file URL names, inspected afresh on every call (nothing is cached):
// "iPhoto" or "Aperture" for a photo-library package, told apart by its Info.plist; "directory" for
// any other folder that is not a package; null for a regular file, any other package, or a path that
// cannot be inspected (the last also writes "Error inspecting '%@': %@" to the console log).
ContainerType containerType(const QUrl& url);

// True exactly when containerType() gives a value: the folder can be scanned as a location.
bool pairsiftingSupported(const QUrl& url);

} // namespace pairsift
