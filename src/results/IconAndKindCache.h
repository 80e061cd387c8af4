#pragma once

#include <QHash>
#include <QIcon>
#include <QImage>
#include <QMimeDatabase>
#include <QString>

namespace pairsift {

class FileItem;

// Theme icons and type descriptions, looked up once per MIME type. The list asks for a row's icon on
// every paint, so its type comes from the name alone (no disk access). Main thread only: the theme's
// icon cache has no lock; only listTypeName() may be called from any thread.
class IconAndKindCache {
public:
    // The type whose icon the file's row shows (its name's, or a folder's for a library file), from names
    // alone. Any thread, so a worker can find the types of a long list before it is shown.
    static QString listTypeName(const FileItem& file);
    // The icon of a type listTypeName() gave; a drawn one when the theme has none that draws.
    QIcon iconForListType(const QString& typeName);
    // The icon of the type the path's name suggests; a folder's for `isFolder`.
    QIcon iconForPath(const QString& path, bool isFolder = false);
    // A file's list icon: its own for a plain-folder file, else its library's (a folder).
    QIcon iconForFile(const FileItem& file);
    // The localized type description of the item at the path ("" when nothing is there); the type may
    // be read from the content, once per call.
    QString kindForPath(const QString& path);
    // The file's icon drawn as a square picture of the given side; null when the theme has none.
    QImage iconImage(const FileItem& file, int side);

private:
    QIcon iconForType(const QMimeType& type);
    QIcon drawableIcon(const QIcon& icon, const QString& typeName);

    QMimeDatabase m_types;
    QHash<QString, QIcon> m_icons;
    QHash<QString, QIcon> m_drawableIcons;
    QHash<QString, QString> m_kinds;
};

} // namespace pairsift
