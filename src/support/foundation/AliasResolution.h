#pragma once

#include <QString>

namespace pairsift {

// An "alias" here is a symbolic link: the removal writes one in place of a removed duplicate, and a
// scan must see the file it points to, not a second copy.

// The final target of a chain of links at `path` (at most 16 links), made canonical; null when
// `path` is not a link or its target cannot be reached.
QString pathResolved(const QString& path);
bool isAliasPath(const QString& path);
// pathResolved(path) when it gives a path, else `path` itself.
QString resolveAliasPath(const QString& path);

} // namespace pairsift
