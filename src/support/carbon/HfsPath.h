#pragma once

#include <QString>
#include <QUrl>

namespace pairsift {

// Colon-separated HFS-style paths: the volume name (see MountTable.h), then the components below the
// volume's mount point, joined by ":". A ":" inside a name is written as "/" and a "/" as ":", both
// ways. The root folder of a volume is "name:"; a trailing ":" marks a folder.

// The HFS-style path of the absolute (made absolute and clean) POSIX `path`; null when no mounted
// volume holds it.
QString fileSystemPathHFSStyle(const QString& path);
QString fileSystemPathHFSStyle(const QUrl& url);

// The POSIX path (no trailing "/" but for the root) of an HFS-style path; null for an unknown volume,
// a path without ":", an empty component other than the trailing one, and a "." or ".." component.
QString pathFromFileSystemPathHFSStyle(const QString& hfsPath);
// The file URL of the same, a folder URL (ending in "/") when the HFS-style path ends in ":".
QUrl URLWithFileSystemPathHFSStyle(const QString& hfsPath);

} // namespace pairsift
