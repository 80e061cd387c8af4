#pragma once

#include "support/carbon/FileReference.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pairsift {

// The bytes of an alias: a record of our own, big-endian and versioned. Layout of version 1:
//   "CBAR", u16 version, u16 flags (bit 0: a folder), u64 device, u64 inode, i64 birth time (ns, 0 if
//   unknown), u64 inode of the parent folder, then four strings (u32 length, UTF-8 bytes): the path,
//   the item's name, the volume's name (MountTable.h) and the path relative to the base folder (empty
//   when the alias was made without a base).
struct AliasRecord {
    bool isFolder = false;
    FileReference target;
    quint64 parentInode = 0;
    QString name;
    QString volumeName;
    QString relativePath;

    // The record of the item `target` refers to; `baseFolder` (may be null) gives the relative path.
    static std::optional<AliasRecord> make(const FileReference& target, const QString& baseFolder);
    QByteArray encode() const;
    // Untrusted bytes: anything malformed, of another version, or with bytes left over gives nullopt.
    static std::optional<AliasRecord> decode(const QByteArray& bytes);

    // Finds the item: (1) at the stored path, then at the path relative to `baseFolder`, when its identity
    // matches; then, by default, (2) any item at those paths and (3) the item with the recorded inode in
    // the recorded parent folder (that folder still being the same one); `tryFileIDFirst` swaps 2 and 3.
    // When the item found differs from the record, the record is rewritten and `changed` set.
    std::optional<FileReference> resolve(bool tryFileIDFirst, const QString& baseFolder, bool* changed);
};

} // namespace pairsift
