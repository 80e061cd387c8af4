#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace pairsift {

// An "alias" here is a symbolic link: the removal writes one in place of a removed duplicate, and a
// scan must see the file it points to, not a second copy.

// The final target of a chain of links at `path` (at most 16 links), made canonical; null when
// `path` is not a link or its target cannot be reached.
QString pathResolved(const QString& path);
bool isAliasPath(const QString& path);
// pathResolved(path) when it gives a path, else `path` itself.
QString resolveAliasPath(const QString& path);

// One link of a chain: std::nullopt when `path` is no alias, else the path it leads to (empty when
// the alias cannot be followed).
using AliasLink = std::function<std::optional<QByteArray>(const QByteArray& path)>;

// The link of a symbolic link (a relative target is taken from the link's folder).
std::optional<QByteArray> symbolicLinkTarget(const QByteArray& path);

// Follows `link` from `path` for at most 16 links and makes the end canonical; null when `path` is no
// alias, a link cannot be followed, the chain is longer, or its end does not exist.
QString followAliasChain(const QString& path, const AliasLink& link);

} // namespace pairsift
