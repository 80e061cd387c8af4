#include "support/carbon/MountTable.h"

#include <QFile>

namespace pairsift {

namespace {

// The table writes space, tab, newline and backslash in names as "\ooo".
QString unescapeField(const QByteArray& field)
{
    QByteArray decoded;
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QByteArray digits = field.mid(i + 1, 3);
        bool isOctal = false;
        const int code = field[i] == '\\' && digits.size() == 3 ? digits.toInt(&isOctal, 8) : 0;
        if (isOctal) {
            decoded += char(code);
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return QFile::decodeName(decoded);
}

QString lastComponent(const QString& path)
{
    return path.section('/', -1, -1, QString::SectionSkipEmpty);
}

bool contains(const QString& mountPoint, const QString& path)
{
    return mountPoint == "/" || path == mountPoint || path.startsWith(mountPoint + '/');
}

} // namespace

QList<MountedVolume> mountedVolumes()
{
    QFile table("/proc/self/mounts");
    if (!table.open(QIODevice::ReadOnly))
        return {};
    QList<MountedVolume> volumes;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 2)
            continue;
        const QString mountPoint = unescapeField(fields[1]);
        const QString name = lastComponent(mountPoint == "/" ? unescapeField(fields[0]) : mountPoint);
        volumes.append({mountPoint, name});
    }
    return volumes;
}

std::optional<MountedVolume> volumeContaining(const QString& path)
{
    std::optional<MountedVolume> found;
    for (const MountedVolume& volume : mountedVolumes()) {
        if (contains(volume.mountPoint, path) && (!found || volume.mountPoint.size() >= found->mountPoint.size()))
            found = volume;
    }
    return found;
}

std::optional<MountedVolume> volumeNamed(const QString& name)
{
    std::optional<MountedVolume> found;
    for (const MountedVolume& volume : mountedVolumes()) {
        if (volume.name == name)
            found = volume;
    }
    return found;
}

} // namespace pairsift
