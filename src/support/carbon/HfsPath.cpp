#include "support/carbon/HfsPath.h"

#include "support/carbon/MountTable.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace pairsift {

namespace {

QString swapSeparators(QString name)
{
    for (QChar& c : name) {
        if (c == ':')
            c = '/';
        else if (c == '/')
            c = ':';
    }
    return name;
}

} // namespace

QString fileSystemPathHFSStyle(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const std::optional<MountedVolume> volume = volumeContaining(absolute);
    if (!volume)
        return {};
    QStringList parts{swapSeparators(volume->name)};
    for (const QString& component : absolute.mid(volume->mountPoint.size()).split('/', Qt::SkipEmptyParts))
        parts.append(swapSeparators(component));
    return parts.size() == 1 ? parts.first() + ':' : parts.join(':');
}

QString fileSystemPathHFSStyle(const QUrl& url)
{
    return url.isLocalFile() ? fileSystemPathHFSStyle(url.toLocalFile()) : QString();
}

QString pathFromFileSystemPathHFSStyle(const QString& hfsPath)
{
    QStringList parts = hfsPath.split(':');
    if (parts.size() < 2)
        return {};
    if (parts.last().isEmpty())
        parts.removeLast();
    const std::optional<MountedVolume> volume = volumeNamed(swapSeparators(parts.takeFirst()));
    if (!volume)
        return {};
    QString path = volume->mountPoint;
    for (const QString& part : parts) {
        // "." and ".." are names on HFS but steps on Linux: "vol:..:etc" would leave the volume.
        if (part.isEmpty() || part == "." || part == "..")
            return {};
        if (!path.endsWith('/'))
            path += '/';
        path += swapSeparators(part);
    }
    return path;
}

QUrl URLWithFileSystemPathHFSStyle(const QString& hfsPath)
{
    const QString path = pathFromFileSystemPathHFSStyle(hfsPath);
    if (path.isNull())
        return {};
    const bool isFolder = hfsPath.endsWith(':') && !path.endsWith('/');
    return QUrl::fromLocalFile(isFolder ? path + '/' : path);
}

} // namespace pairsift
