#include "results/IconAndKindCache.h"

#include "model/FileItem.h"
#include "support/foundation/FallbackIcons.h"

#include <QFile>
#include <QGuiApplication>

#include <sys/stat.h>

namespace pairsift {

namespace {

const QString FolderType = QStringLiteral("inode/directory");

bool exists(const QString& path)
{
    struct stat status;
    const QByteArray encoded = QFile::encodeName(path);
    return !encoded.isEmpty() && ::lstat(encoded.constData(), &status) == 0;
}

} // namespace

QIcon IconAndKindCache::iconForType(const QMimeType& type)
{
    // Theme icons exist only in a GUI application.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    const FallbackIcon fallback = type.name() == FolderType ? FallbackIcon::Folder : FallbackIcon::File;
    if (!type.isValid())
        return fallbackIcon(fallback);
    const auto found = m_icons.constFind(type.name());
    if (found != m_icons.cend())
        return *found;
    // The theme may lack both names, or there may be no theme at all.
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = themeIcon(type.genericIconName(), fallback);
    m_icons.insert(type.name(), icon);
    return icon;
}

QIcon IconAndKindCache::iconForPath(const QString& path, bool isFolder)
{
    return iconForType(isFolder ? m_types.mimeTypeForName(FolderType)
                                : m_types.mimeTypeForFile(path, QMimeDatabase::MatchExtension));
}

QIcon IconAndKindCache::iconForFile(const FileItem& file)
{
    return file.isRegularFile() ? iconForPath(file.name()) : iconForPath(file.containerPath(), true);
}

QString IconAndKindCache::listTypeName(const FileItem& file)
{
    if (!file.isRegularFile())
        return FolderType;
    // The type tables behind every QMimeDatabase are shared and locked.
    return QMimeDatabase().mimeTypeForFile(file.name(), QMimeDatabase::MatchExtension).name();
}

QIcon IconAndKindCache::iconForListType(const QString& typeName)
{
    const auto found = m_drawableIcons.constFind(typeName);
    if (found != m_drawableIcons.cend())
        return *found;
    const QIcon icon = drawableIcon(iconForType(m_types.mimeTypeForName(typeName)), typeName);
    m_drawableIcons.insert(typeName, icon);
    return icon;
}

// A theme without the type's icon may answer one that draws nothing.
QIcon IconAndKindCache::drawableIcon(const QIcon& icon, const QString& typeName)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()) || !icon.pixmap(16, 16).isNull())
        return icon;
    return fallbackIcon(typeName == FolderType ? FallbackIcon::Folder : FallbackIcon::File);
}

QString IconAndKindCache::kindForPath(const QString& path)
{
    if (!exists(path))
        return QStringLiteral("");
    const QMimeType type = m_types.mimeTypeForFile(path);
    if (!type.isValid())
        return QStringLiteral("");
    const auto found = m_kinds.constFind(type.name());
    if (found != m_kinds.cend())
        return *found;
    const QString kind = type.comment();
    m_kinds.insert(type.name(), kind);
    return kind;
}

QImage IconAndKindCache::iconImage(const FileItem& file, int side)
{
    const QIcon icon = iconForFile(file);
    return icon.isNull() ? QImage() : icon.pixmap(side, side).toImage();
}

} // namespace pairsift
