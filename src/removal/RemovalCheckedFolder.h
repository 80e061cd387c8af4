#pragma once

#include "platform/FileDescriptor.h"

#include <QString>

#include <sys/stat.h>

namespace pairsift {

// The folder of a file that removal works on, opened once from its location's root without following a
// link below the root, and found again the same way before each step, so that no step can be led by a link
// (made before the removal or during it) to a file that was never scanned.
class RemovalCheckedFolder {
public:
    // Opens `path` from `root` (see openFolderBelow()); a `root` that `path` is not at or below is taken as
    // "/", so that no link on the way is followed. False with errno set when it cannot be opened.
    bool open(const QString& root, const QString& path);
    int get() const { return m_folder.get(); }
    bool isOpen() const { return m_folder.isOpen(); }

    // The path still leads, the same way, to the folder open() opened.
    bool isAtItsPath() const;

private:
    QString m_root;
    QString m_path;
    FileDescriptor m_folder;
    struct stat m_status {};
};

} // namespace pairsift
