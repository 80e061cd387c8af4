#include "platform/PackageTypes.h"

#include <QFileInfo>
#include <QSet>

#include <atomic>
#include <memory>

namespace pairsift {

namespace {

// The list as set and its lower-case lookup, always replaced together.
struct ExtensionList {
    QStringList extensions;
    QSet<QString> lookup;
};

std::shared_ptr<const ExtensionList> makeList(const QStringList& extensions)
{
    auto list = std::make_shared<ExtensionList>();
    list->extensions = extensions;
    for (const QString& extension : extensions)
        list->lookup.insert(extension.toLower());
    return list;
}

// The scan asks once per folder from its worker thread while a test may swap the list, so readers take
// a snapshot and test it outside any lock.
std::atomic<std::shared_ptr<const ExtensionList>>& currentList()
{
    static std::atomic<std::shared_ptr<const ExtensionList>> list{makeList(PackageTypes::defaultExtensions())};
    return list;
}

} // namespace

QStringList PackageTypes::defaultExtensions()
{
    return QStringList{
        // applications and loadable code
        QStringLiteral("app"), QStringLiteral("appex"), QStringLiteral("bundle"), QStringLiteral("framework"),
        QStringLiteral("plugin"), QStringLiteral("kext"), QStringLiteral("xpc"),
        // document packages, installers and disk images kept as folders
        QStringLiteral("rtfd"), QStringLiteral("pkg"), QStringLiteral("mpkg"), QStringLiteral("sparsebundle"),
    } + photoLibraryExtensions();
}

QStringList PackageTypes::photoLibraryExtensions()
{
    return {
        QStringLiteral("photolibrary"), QStringLiteral("migratedphotolibrary"), QStringLiteral("photoslibrary"),
        QStringLiteral("aplibrary"), QStringLiteral("migratedaplibrary"),
    };
}

bool PackageTypes::hasPhotoLibraryExtension(const QString& path)
{
    return hasPackageExtension(path) && photoLibraryExtensions().contains(pathExtension(path), Qt::CaseInsensitive);
}

QStringList PackageTypes::extensions()
{
    return currentList().load()->extensions;
}

QStringList PackageTypes::setExtensions(const QStringList& extensions)
{
    return currentList().exchange(makeList(extensions))->extensions;
}

bool PackageTypes::hasPackageExtension(const QString& path)
{
    const QString extension = pathExtension(path);
    return !extension.isEmpty() && currentList().load()->lookup.contains(extension.toLower());
}

bool PackageTypes::isPackage(const QString& path)
{
    return hasPackageExtension(path) && QFileInfo(path).isDir();
}

QString lastPathComponent(const QString& path)
{
    qsizetype end = path.size();
    while (end > 1 && path.at(end - 1) == QLatin1Char('/'))
        --end;
    const qsizetype start = path.lastIndexOf(QLatin1Char('/'), end - 1) + 1;
    return start >= end ? path.left(end) : path.mid(start, end - start);
}

QString pathExtension(const QString& path)
{
    const QString name = lastPathComponent(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

} // namespace pairsift
