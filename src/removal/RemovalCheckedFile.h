#pragma once

#include "model/Sha1Digest.h"
#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

#include <sys/stat.h>

namespace pairsift {

// Answers true when the user asked the run to stop.
using StopTest = std::function<bool()>;

// One file as removal checked it: its status (device, inode, size, mtime, ctime) when the check looked at
// it and, once opened, a descriptor that holds that very file, so that its inode cannot be reused by
// another file while the removal goes on.
class RemovalCheckedFile {
public:
    // Looks at `name` in `folder` (AT_FDCWD with a full path) without following a final link. False with
    // errno set when nothing can be seen there.
    bool look(int folder, const QByteArray& name);
    // Opens what look() saw for reading (non-blocking, no link followed). False with errno set when it
    // cannot, ESTALE when the name no longer holds that file unchanged.
    bool open(int folder, const QByteArray& name);
    const struct stat& status() const { return m_status; }

    // The SHA-1 of the content read through the descriptor, asking `isStopped` after every 256 KiB;
    // nothing when it cannot be read whole at its size or the read was stopped.
    std::optional<Sha1Digest> digest(const QString& path, const StopTest& isStopped) const;
    // `name` in `folder` still holds this file with the status look() saw.
    bool isAt(int folder, const QByteArray& name) const;
    // The caller has renamed the file to `name`, which changes its ctime: the new ctime is taken when `name`
    // holds this file (device, inode) and nothing else about it changed (mode, size, mtime).
    bool acceptRename(int folder, const QByteArray& name);

private:
    struct stat m_status {};
    FileDescriptor m_descriptor;
};

} // namespace pairsift
