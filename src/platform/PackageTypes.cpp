#include "platform/PackageTypes.h"

#include <QFileInfo>
#include <QSet>

#include <memory>
#include <mutex>
#include <utility>

namespace pairsift {

namespace {

using ExtensionSet = QSet<QString>;

std::shared_ptr<const ExtensionSet> makeSet(const QStringList& extensions)
{
    auto set = std::make_shared<ExtensionSet>();
    for (const QString& extension : extensions)
        set->insert(extension.toLower());
    return set;
}

// The scan asks once per folder from its worker thread while a test may swap the list, so readers take
// a snapshot under the lock and test outside it.
struct ExtensionRegistry {
    std::mutex mutex;
    QStringList extensions = PackageTypes::defaultExtensions();
    std::shared_ptr<const ExtensionSet> lookup = makeSet(extensions);
};

ExtensionRegistry& registry()
{
    static ExtensionRegistry instance;
    return instance;
}

std::shared_ptr<const ExtensionSet> currentLookup()
{
    ExtensionRegistry& shared = registry();
    std::lock_guard lock(shared.mutex);
    return shared.lookup;
}

} // namespace

QStringList PackageTypes::defaultExtensions()
{
    return {
        // applications and loadable code
        QStringLiteral("app"), QStringLiteral("appex"), QStringLiteral("bundle"), QStringLiteral("framework"),
        QStringLiteral("plugin"), QStringLiteral("kext"), QStringLiteral("xpc"),
        // photo libraries
        QStringLiteral("photolibrary"), QStringLiteral("migratedphotolibrary"), QStringLiteral("photoslibrary"),
        QStringLiteral("aplibrary"), QStringLiteral("migratedaplibrary"),
        // document packages, installers and disk images kept as folders
        QStringLiteral("rtfd"), QStringLiteral("pkg"), QStringLiteral("mpkg"), QStringLiteral("sparsebundle"),
    };
}

QStringList PackageTypes::extensions()
{
    ExtensionRegistry& shared = registry();
    std::lock_guard lock(shared.mutex);
    return shared.extensions;
}

QStringList PackageTypes::setExtensions(const QStringList& extensions)
{
    auto lookup = makeSet(extensions);
    ExtensionRegistry& shared = registry();
    std::lock_guard lock(shared.mutex);
    QStringList previous = std::exchange(shared.extensions, extensions);
    shared.lookup = std::move(lookup);
    return previous;
}

bool PackageTypes::hasPackageExtension(const QString& path)
{
    const QString extension = pathExtension(path);
    return !extension.isEmpty() && currentLookup()->contains(extension.toLower());
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
