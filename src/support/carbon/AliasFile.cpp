#include "support/carbon/AliasFile.h"

#include "platform/PackageTypes.h"
#include "support/carbon/AliasRecord.h"
#include "support/carbon/CBResourceFork.h"
#include "support/carbon/FinderInfo.h"
#include "support/carbon/MountTable.h"
#include "support/foundation/AliasResolution.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace pairsift {

namespace {

constexpr quint32 applicationType = 0x4150504C; // "APPL"
constexpr quint32 systemCreator = 0x4D414353; // "MACS"
constexpr quint32 packageAliasType = 0x66706B61; // "fpka"
constexpr quint32 volumeAliasType = 0x6864736B; // "hdsk"
constexpr quint32 folderAliasType = 0x66647270; // "fdrp"

} // namespace

quint32 itemInfoFlags(const QString& path)
{
    const QFileInfo info(path);
    if (info.isFile()) {
        quint32 type = 0;
        finderInfoFlags(path, nullptr, &type, nullptr);
        return plainFileItem | (type == applicationType ? quint32(applicationItem) : 0);
    }
    if (!info.isDir())
        return 0;
    quint32 flags = 0;
    if (PackageTypes::isPackage(path))
        flags |= packageItem | (info.suffix().compare("app", Qt::CaseInsensitive) == 0 ? quint32(applicationItem) : 0);
    const std::optional<MountedVolume> volume = volumeContaining(info.absoluteFilePath());
    if (volume && volume->mountPoint == info.absoluteFilePath())
        flags |= volumeItem;
    return flags;
}

TypeAndCreator aliasFileTypeAndCreator(const QString& path, quint32 targetType, quint32 targetCreator)
{
    const quint32 flags = itemInfoFlags(path);
    if ((flags & applicationItem) && (flags & packageItem))
        return {applicationPackageAliasType, systemCreator};
    if (flags & applicationItem)
        return {applicationAliasType, systemCreator};
    if (flags & plainFileItem)
        return {targetType, targetCreator};
    if (flags & packageItem)
        return {packageAliasType, systemCreator};
    if (flags & volumeItem)
        return {volumeAliasType, systemCreator};
    return {folderAliasType, systemCreator};
}

bool isAliasFile(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode)
        && isAliasFinderInfoFlag(path);
}

std::optional<QByteArray> aliasFileLink(const QByteArray& path, bool tryFileIDFirst)
{
    if (std::optional<QByteArray> target = symbolicLinkTarget(path))
        return target;
    const QString file = QFile::decodeName(path);
    if (!isAliasFile(file))
        return std::nullopt;
    const std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForReadingAtPath(file);
    const std::optional<QByteArray> bytes = fork ? fork->dataForType(aliasResourceType, aliasResourceId) : std::nullopt;
    if (fork)
        fork->closeFile();
    std::optional<AliasRecord> record = bytes ? AliasRecord::decode(*bytes) : std::nullopt;
    const std::optional<FileReference> target =
        record ? record->resolve(tryFileIDFirst, QFileInfo(file).absolutePath(), nullptr) : std::nullopt;
    return target ? QFile::encodeName(target->path) : QByteArray();
}

QString resolveAliasFile(const QString& path, bool tryFileIDFirst)
{
    if (!itemExists(path))
        return {};
    const AliasLink link = [tryFileIDFirst](const QByteArray& current) { return aliasFileLink(current, tryFileIDFirst); };
    if (!link(QFile::encodeName(path)))
        return path;
    return followAliasChain(path, link);
}

QString resolveAliasFile(const QString& path)
{
    return resolveAliasFile(path, false);
}

QUrl resolveAliasFile(const QUrl& url)
{
    const QString resolved = url.isLocalFile() ? resolveAliasFile(url.toLocalFile()) : QString();
    if (resolved.isNull())
        return {};
    return resolved == url.toLocalFile() ? url : QUrl::fromLocalFile(resolved);
}

} // namespace pairsift
