#pragma once

#include <QString>
#include <QUrl>

namespace pairsift {

// What stands in for a file-system reference: the item's identity (device, inode and, where the file
// system records one, its birth time) and the path it had when the reference was made. A symbolic link
// is referred to as itself.
struct FileReference {
    quint64 device = 0;
    quint64 inode = 0;
    // Nanoseconds since the epoch; 0 where the file system records no birth time.
    qint64 birthTime = 0;
    QString path;
};

// Fills `reference` for the item at `path` (made absolute and clean); false when nothing is there.
bool getFSRef(const QString& path, FileReference* reference);
// The same for a file URL; false for any other URL.
bool getFSRef(const QUrl& url, FileReference* reference);

// The old fixed-size file record. It cannot name every item (short names, no long paths) and is
// not supported: getFSSpec() always fails and leaves it alone.
struct FSSpecRecord {};
bool getFSSpec(const QString& path, FSSpecRecord* record);
bool getFSSpec(const QUrl& url, FSSpecRecord* record);

// True when something (a symbolic link counts as itself) is at `path`.
bool itemExists(const QString& path);

// True when both refer to the same item: same device and inode, and the same birth time where both
// have one (an inode number can be used again after its file is gone).
bool compareFSRefs(const FileReference& first, const FileReference& second);

// The reference's path while it still leads to the referred item; null otherwise.
QString stringWithFSRef(const FileReference& reference);
// The file URL of stringWithFSRef(); an empty URL when there is none.
QUrl URLWithFSRef(const FileReference& reference);

} // namespace pairsift
