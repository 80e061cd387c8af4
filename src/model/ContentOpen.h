#pragma once

#include "model/FileId.h"

#include <QString>

#include <utility>
#include <vector>

namespace pairsift {

class FileItem;

// The folders of the scanned locations, each open once for a comparison run, so that every file is
// opened relative to its location's folder instead of by its full path. Filled before the run's threads
// start, then only read.
class LocationFolders {
public:
    LocationFolders() = default;
    ~LocationFolders();
    LocationFolders(const LocationFolders&) = delete;
    LocationFolders& operator=(const LocationFolders&) = delete;

    // Opens the file's location unless it is open already (or failed to open: the reason is kept).
    void add(const FileItem& file);

    struct Folder {
        int descriptor = -1;
        int error = 0;
    };
    // The location's folder; null when it was never added.
    const Folder* find(const QString& location) const;

private:
    // Keyed by the location text's address: an item's location is one shared text per distinct value.
    std::vector<std::pair<const QString*, Folder>> m_folders;
};

// A file opened for its content, or why not.
struct OpenedContent {
    int descriptor = -1;
    FileId id;
    quint64 size = 0;
    // Empty when the file is open.
    QString failure;
};

// Opens a file's content read-only. A file counted in a location is opened relative to the location's
// folder (from `folders` when it has it, else opened here) and never leaves it: no symbolic link and no
// ".." is followed anywhere below the location, and paths longer than the system takes in one call are
// opened folder by folder. A file without a location is opened by its full path without following a
// final link. Only a regular file stays open: anything else is opened non-blocking, seen and closed, so
// a device or a pipe without a writer never holds the caller.
OpenedContent openContent(const FileItem& file, const LocationFolders* folders);

// Opens a location's folder (O_PATH) as the walk does: links above it are followed, the folder itself must
// not be one. -1 with errno set when it cannot.
int openLocationFolder(const QString& location);
// Opens the folder `relative` below the open `folder` (O_PATH) as a content open goes there: no symbolic
// link and no ".." is followed on the way. -1 with errno set when it cannot: ELOOP or ENOTDIR for a link
// or a file on the way, ENOENT for a missing folder.
int openFolderBeneath(int folder, const QByteArray& relative);

// Tests: opens as a kernel without openat2 does (every folder one by one, no link followed).
void setOpenat2Disabled(bool isDisabled);

} // namespace pairsift
