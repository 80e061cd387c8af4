#pragma once

#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace pairsift {

// The folder of a file that removal works on, opened once from its location's root without following a
// link below the root, and found again the same way before each step, so that no step can be led by a link
// (made before the removal or during it) to a file that was never scanned.
class RemovalCheckedFolder {
public:
    // Opens `root` as a location (links above it are followed) and `path` below it without following a
    // link (see openFolderBeneath()); a `root` that `path` is not at or below is taken as "/", so that no
    // link on the way is followed. False with errno set when it cannot be opened.
    bool open(const QString& root, const QString& path);
    int get() const { return m_folder.get(); }

    // The root is still at its path, and the path below it still leads, without a link, to the folder
    // open() opened.
    bool isAtItsPath() const;

private:
    QByteArray m_rootPath;
    // Empty when the folder is the root.
    QByteArray m_below;
    FileDescriptor m_root;
    struct stat m_rootStatus {};
    FileDescriptor m_folder;
    struct stat m_status {};
};

} // namespace pairsift
