#pragma once

#include "model/NotFound.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace pairsift {

class LocationItem;
using LocationItemPtr = std::shared_ptr<LocationItem>;

// The copy-aware order of two paths, the keep rule's last key: a path where the word copy follows a
// space (with an optional number; a folder name counts) sorts before one without; between two such paths
// the larger number sorts first and equal numbers tie; between two without, the case-insensitive order.
// -1, 0 or 1.
int pairsiftFileNameCompare(const QString& first, const QString& second);
// Whether the path holds the word copy after a space, which pairsiftFileNameCompare() looks for.
bool containsCopyWord(const QString& path);

// Container types in the order plain folders and anything unknown, then "iPhoto", then "Aperture";
// values of one class tie. -1, 0 or 1.
int pairsiftContainerCompare(const QString& first, const QString& second);

// The index of the first location path that `path` starts with (a plain text prefix, no separator
// check, so /a/b also claims /a/bc); NotFound when none does.
qsizetype indexOfContainingDirectoryInLocationArray(const QString& path, const QStringList& locationPaths);
qsizetype indexOfContainingDirectoryInLocationArray(const QString& path, const QList<LocationItemPtr>& locations);

// The paths of the locations, in order.
QStringList locationPaths(const QList<LocationItemPtr>& locations);

} // namespace pairsift
