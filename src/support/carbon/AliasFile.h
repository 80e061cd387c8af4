#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace pairsift {

// Alias files: regular files whose Finder flags have the alias bit and whose resource fork holds the
// record as resource "alis" 0. Chains may mix them with symbolic links; both are followed by the chain
// walk of the folder-alias resolution, at most 16 links.

inline constexpr quint32 aliasResourceType = 0x616C6973; // "alis"
inline constexpr qint16 aliasResourceId = 0;
inline constexpr quint32 applicationPackageAliasType = 0x66617061; // "fapa"
inline constexpr quint32 applicationAliasType = 0x61647270; // "adrp"

// The item kind that decides an alias file's type and creator. Linux has no such flags: a package is a
// folder with a package extension, an application a package named ".app" or a file of type "APPL",
// a volume a mount point.
enum ItemInfoFlag : quint32 {
    plainFileItem = 0x1,
    packageItem = 0x2,
    applicationItem = 0x4,
    volumeItem = 0x1000,
};
// 0 when nothing is at the path.
quint32 itemInfoFlags(const QString& path);

struct TypeAndCreator {
    quint32 type = 0;
    quint32 creator = 0;
    bool operator==(const TypeAndCreator&) const = default;
};
// The type and creator of an alias file to the target at `path`; a plain file passes on its own.
TypeAndCreator aliasFileTypeAndCreator(const QString& path, quint32 targetType, quint32 targetCreator);

bool isAliasFile(const QString& path);

// One link of a chain: std::nullopt when `path` is neither a symbolic link nor an alias file, else where
// it leads (empty when its record cannot be read or resolved).
std::optional<QByteArray> aliasFileLink(const QByteArray& path, bool tryFileIDFirst);

// Null when nothing is at `path` or a chain cannot be followed; the final target's path when `path` is
// an alias file or a symbolic link; else `path` itself.
QString resolveAliasFile(const QString& path);
QString resolveAliasFile(const QString& path, bool tryFileIDFirst);
QUrl resolveAliasFile(const QUrl& url);

} // namespace pairsift
