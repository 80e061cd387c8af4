#pragma once

#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <QByteArray>

namespace pairsift {

// The freedesktop.org trash directory that takes entries from one open folder, with its "files" and
// "info" folders open: the home trash ($XDG_DATA_HOME/Trash) for a folder on the data folder's volume,
// else the trash of the mount that holds the folder, "$topdir/.Trash/$uid" when "$topdir/.Trash" is a real
// folder with the sticky bit, otherwise "$topdir/.Trash-$uid", where $topdir is that mount's mount point
// (found from the open folder, never from the text of a path that links may lead elsewhere). Whatever is
// missing is made (mode 0700); a trash folder of another user, or one that is a link, is never used.
class TrashFolder {
public:
    // False, with the reason, when the folder's volume has no trash that may be used.
    bool openFor(int folder, Error* error);
    // The trash of the folder's own mount, also when it is on the data folder's volume: a bind mount of
    // that volume cannot rename into the home trash.
    bool openMountTrashFor(int folder, Error* error);
    bool isHomeTrash() const { return m_topFolder.isEmpty(); }

    int files() const { return m_files.get(); }
    int info() const { return m_info.get(); }
    // What the info file records as the original place of `path`, whose entry is in the open `folder`: the
    // absolute path in the home trash, the path below the mount point in a mount's own trash.
    QByteArray recordedPath(int folder, const QByteArray& path) const;

private:
    bool openHomeTrash(const QByteArray& dataHome, Error* error);
    // Opens "files" and "info" inside the trash directory.
    bool openParts(const FileDescriptor& trash, Error* error);

    FileDescriptor m_files;
    FileDescriptor m_info;
    // The mount point of a mount's own trash; empty for the home trash.
    QByteArray m_topFolder;
};

} // namespace pairsift
