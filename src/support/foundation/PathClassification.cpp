#include "support/foundation/PathClassification.h"

#include "platform/PackageTypes.h"
#include "support/foundation/ApplicationFolders.h"

#include <QMimeDatabase>

#include <algorithm>
#include <atomic>
#include <memory>

namespace pairsift {

namespace {

QString expandTilde(const QString& homeFolder, const QString& path)
{
    if (homeFolder.isEmpty())
        return path;
    QString home = homeFolder;
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    return home == QLatin1String("/") ? path.mid(1) : home + path.mid(1);
}

// isSystemPath() runs for every file a scan offers, possibly while a test swaps the table: readers
// take a snapshot and compare on it.
std::atomic<std::shared_ptr<const SystemPathTable>>& currentTable()
{
    static std::atomic<std::shared_ptr<const SystemPathTable>> table{
        std::make_shared<const SystemPathTable>(SystemPathTable::standard(homePath()))};
    return table;
}

} // namespace

SystemPathTable SystemPathTable::standard(const QString& homeFolder)
{
    // "/home" is deliberately absent: every user's folders live there.
    SystemPathTable table;
    for (const char* prefix : {".", "/Applications", "/Developer", "/Library", "/mds", "/System", "/Network", "/bin",
                               "/cores", "/dev", "/etc", "/mach_kernel", "/net", "/opt", "/private", "/sbin", "/tmp",
                               "/usr", "/var", "/proc", "/sys", "/run", "/boot", "/lib", "/lib32", "/lib64"})
        table.prefixes.append(QString::fromLatin1(prefix));
    for (const char* homePrefix : {"~/Applications", "~/Library", "~/.local/share/Trash"})
        table.prefixes.append(expandTilde(homeFolder, QString::fromLatin1(homePrefix)));
    table.suffixes = {QStringLiteral(".backupdb"), QStringLiteral(".framework")};
    // Where removable drives are mounted.
    table.exceptions = {QStringLiteral("/media"), QStringLiteral("/run/media")};
    return table;
}

bool SystemPathTable::contains(const QString& path) const
{
    const auto isBelow = [&path](const QString& prefix) { return isPathAtOrBelow(path, prefix); };
    const auto isSuffix = [&path](const QString& suffix) { return path.endsWith(suffix); };
    if (std::any_of(exceptions.cbegin(), exceptions.cend(), isBelow))
        return false;
    return std::any_of(prefixes.cbegin(), prefixes.cend(), isBelow)
        || std::any_of(suffixes.cbegin(), suffixes.cend(), isSuffix);
}

SystemPathTable systemPathTable()
{
    return *currentTable().load();
}

SystemPathTable setSystemPathTable(SystemPathTable table)
{
    return *currentTable().exchange(std::make_shared<const SystemPathTable>(std::move(table)));
}

bool isPathAtOrBelow(const QString& path, const QString& folder)
{
    if (folder.isEmpty() || !path.startsWith(folder))
        return false;
    return path.size() == folder.size() || folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/');
}

QString pathBelow(const QString& path, const QString& folder)
{
    const qsizetype skipped = folder.size() + (folder.endsWith(QLatin1Char('/')) ? 0 : 1);
    return path.size() > skipped ? path.sliced(skipped) : QString();
}

bool isSystemPath(const QString& path)
{
    return currentTable().load()->contains(path);
}

bool isImagePath(const QString& path)
{
    const QString extension = pathExtension(path);
    if (extension.isEmpty())
        return false;
    // Only the extension counts, so the lookup never opens the file.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("name.") + extension,
                                                           QMimeDatabase::MatchExtension);
    const auto isImageType = [](const QString& name) { return name.startsWith(QLatin1String("image/")); };
    const QStringList ancestors = type.allAncestors();
    return isImageType(type.name()) || std::any_of(ancestors.cbegin(), ancestors.cend(), isImageType);
}

bool isBundle(const QString& path)
{
    return PackageTypes::isPackage(path);
}

} // namespace pairsift
