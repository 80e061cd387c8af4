#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace pairsift {

// A mounted volume as HFS-style paths and alias records name it. Linux volumes have no name of their
// own that every file system keeps, so the name is the last component of the mount point, and for the
// root folder the last component of its source ("/dev/vda" gives "vda").
struct MountedVolume {
    QString mountPoint;
    QString name;
};

// The mount table (/proc/self/mounts) in its order; later entries stack over earlier ones.
QList<MountedVolume> mountedVolumes();
// The volume holding the absolute `path`: the longest mount point that contains it, the later on ties.
std::optional<MountedVolume> volumeContaining(const QString& path);
// The last mounted volume with this name.
std::optional<MountedVolume> volumeNamed(const QString& name);

} // namespace pairsift
