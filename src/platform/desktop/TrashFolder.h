#pragma once

#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <QByteArray>

namespace pairsift {

// The freedesktop.org trash directory that takes entries from one folder, with its "files" and "info"
// folders open: the home trash ($XDG_DATA_HOME/Trash) for a folder on the data folder's volume, else the
// volume's own, "$topdir/.Trash/$uid" when "$topdir/.Trash" is a real folder with the sticky bit, otherwise
// "$topdir/.Trash-$uid". Whatever is missing is made (mode 0700); a trash folder of another user, or one
// that is a link, is never used.
class TrashFolder {
public:
    // False, with the reason, when the folder's volume has no trash that may be used.
    bool openFor(int folder, const QByteArray& folderPath, Error* error);

    int files() const { return m_files.get(); }
    int info() const { return m_info.get(); }
    // What the info file records as the original place of `path`: the absolute path in the home trash,
    // the path below the volume's top folder in a volume's own trash.
    QByteArray recordedPath(const QByteArray& path) const;

private:
    bool openHomeTrash(const QByteArray& dataHome, Error* error);
    bool openVolumeTrash(const QByteArray& topFolder, Error* error);
    // Opens "files" and "info" inside the trash directory.
    bool openParts(const FileDescriptor& trash, Error* error);

    FileDescriptor m_files;
    FileDescriptor m_info;
    // Empty for the home trash.
    QByteArray m_topFolder;
};

} // namespace pairsift
