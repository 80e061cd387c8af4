#include "support/carbon/CBAlias.h"

#include "platform/Format.h"
#include "support/carbon/AliasFile.h"
#include "support/carbon/AliasRecord.h"
#include "support/carbon/CBResourceFork.h"
#include "support/carbon/FinderInfo.h"
#include "support/foundation/AliasResolution.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>


namespace pairsift {

namespace {

const char aliasResourceName[] = "created by CBAlias";

std::optional<FileReference> referenceOf(const QUrl& url)
{
    FileReference reference;
    return pairsift::getFSRef(url, &reference) ? std::optional<FileReference>(reference) : std::nullopt;
}

// Where relative paths start: the base itself when it is a folder, else its parent; null for no item.
QString baseFolderOf(const QUrl& base)
{
    const std::optional<FileReference> reference = referenceOf(base);
    if (!reference)
        return {};
    return QFileInfo(reference->path).isDir() ? reference->path : QFileInfo(reference->path).path();
}

enum class AliasFork { notWritten, withoutIcon, withIcon };

// Writes the record, and the icon when there is one (an old icon is removed otherwise), to the fork of
// `file` and closes it; an icon that cannot be added is left out.
AliasFork writeAliasFork(const QString& file, const QByteArray& record, const QByteArray& icon)
{
    const std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForWritingAtPath(file);
    if (!fork)
        return AliasFork::notWritten;
    if (!fork->addData(record, aliasResourceType, aliasResourceId, aliasResourceName)) {
        fork->closeFile();
        return AliasFork::notWritten;
    }
    const bool hasIcon = !icon.isEmpty() && fork->addData(icon, CBResourceFork::iconFamilyType, CBResourceFork::customIconId, "");
    if (!hasIcon)
        fork->removeType(CBResourceFork::iconFamilyType, CBResourceFork::customIconId);
    if (!fork->closeFile())
        return AliasFork::notWritten;
    return hasIcon ? AliasFork::withIcon : AliasFork::withoutIcon;
}

} // namespace

std::optional<CBAlias> CBAlias::aliasWithURL(const QUrl& url, const QUrl& fromURL)
{
    return aliasWithData(createAliasRecordDataForURL(url, fromURL));
}

std::optional<CBAlias> CBAlias::aliasWithPath(const QString& path, const QString& fromPath)
{
    if (!itemExists(path) || (!fromPath.isEmpty() && !itemExists(fromPath)))
        return std::nullopt;
    return aliasWithURL(QUrl::fromLocalFile(path), fromPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(fromPath));
}

std::optional<CBAlias> CBAlias::aliasWithData(const QByteArray& data)
{
    if (data.isEmpty() || !AliasRecord::decode(data))
        return std::nullopt;
    return CBAlias(data);
}

std::optional<CBAlias> CBAlias::aliasWithFSRef(const FileReference& reference)
{
    const std::optional<AliasRecord> record = AliasRecord::make(reference, {});
    return record ? aliasWithData(record->encode()) : std::nullopt;
}

std::optional<CBAlias> CBAlias::aliasWithContentsOfFile(const QString& path)
{
    const std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForReadingAtPath(path);
    if (!fork)
        return std::nullopt;
    const std::optional<QByteArray> record = fork->dataForType(aliasResourceType, aliasResourceId);
    fork->closeFile();
    return record ? aliasWithData(*record) : std::nullopt;
}

std::optional<CBAlias> CBAlias::aliasWithContentsOfURL(const QUrl& url)
{
    return url.isLocalFile() ? aliasWithContentsOfFile(url.toLocalFile()) : std::nullopt;
}

std::optional<CBAlias> CBAlias::aliasWithCoder(QDataStream& stream)
{
    QByteArray record;
    stream >> record;
    return stream.status() == QDataStream::Ok ? aliasWithData(record) : std::nullopt;
}

void CBAlias::encodeWithCoder(QDataStream& stream) const
{
    stream << m_record;
}

QByteArray CBAlias::createAliasRecordDataForURL(const QUrl& url, const QUrl& fromURL)
{
    const std::optional<FileReference> target = referenceOf(url);
    const std::optional<AliasRecord> record = target ? AliasRecord::make(*target, baseFolderOf(fromURL)) : std::nullopt;
    return record ? record->encode() : QByteArray();
}

void CBAlias::setAllowUserInteraction(bool allow)
{
    m_mountFlags = allow ? m_mountFlags & ~noUserInteractionFlag : m_mountFlags | noUserInteractionFlag;
}

void CBAlias::setTryFileIDFirst(bool tryFirst)
{
    m_mountFlags = tryFirst ? m_mountFlags | tryFileIDFirstFlag : m_mountFlags & ~tryFileIDFirstFlag;
}

bool CBAlias::getFSRef(FileReference* reference) const
{
    std::optional<AliasRecord> record = reference ? AliasRecord::decode(m_record) : std::nullopt;
    bool rewritten = false;
    const std::optional<FileReference> found = record ? record->resolve(tryFileIDFirst(), {}, &rewritten) : std::nullopt;
    if (!found)
        return false;
    if (rewritten) {
        m_record = record->encode();
        m_changed = true;
    }
    *reference = *found;
    return true;
}

QUrl CBAlias::URL() const
{
    FileReference reference;
    return getFSRef(&reference) ? QUrl::fromLocalFile(reference.path) : QUrl();
}

QString CBAlias::path() const
{
    FileReference reference;
    return getFSRef(&reference) ? reference.path : QString();
}

QString CBAlias::displayName() const
{
    const QString resolved = path();
    const QString name = QFileInfo(resolved).fileName();
    return name.isEmpty() ? resolved : name;
}

QString CBAlias::lastKnownPath() const
{
    const std::optional<AliasRecord> record = AliasRecord::decode(m_record);
    return record ? record->target.path : QString();
}

QString CBAlias::lastKnownName() const
{
    const std::optional<AliasRecord> record = AliasRecord::decode(m_record);
    return record ? record->name : QString();
}

QString CBAlias::lastKnownVolumeName() const
{
    const std::optional<AliasRecord> record = AliasRecord::decode(m_record);
    return record && !record->volumeName.isEmpty() ? record->volumeName : QString();
}

CBAlias CBAlias::resolveIfIsAliasFile(bool* isResolved) const
{
    const auto answer = [isResolved](const CBAlias& alias, bool resolved) {
        if (isResolved)
            *isResolved = resolved;
        return alias;
    };
    const QString item = path();
    if (item.isNull())
        return answer(*this, false);
    const QString target = resolveAliasFile(item, tryFileIDFirst());
    if (target == item)
        return answer(*this, true);
    FileReference reference;
    const std::optional<CBAlias> alias =
        !target.isNull() && pairsift::getFSRef(target, &reference) ? aliasWithFSRef(reference) : std::nullopt;
    return alias ? answer(*alias, true) : answer(*this, false);
}

bool CBAlias::setURL(const QUrl& url, const QUrl& fromURL)
{
    const QByteArray record = createAliasRecordDataForURL(url, fromURL);
    if (record.isEmpty())
        return false;
    m_changed = record != m_record;
    m_record = record;
    return true;
}

bool CBAlias::setPath(const QString& path, const QString& fromPath)
{
    if (!itemExists(path))
        return false;
    return setURL(QUrl::fromLocalFile(path), itemExists(fromPath) ? QUrl::fromLocalFile(fromPath) : QUrl());
}

bool CBAlias::isEqualToAlias(const CBAlias& other) const
{
    if (this == &other)
        return true;
    FileReference mine;
    FileReference theirs;
    return getFSRef(&mine) && other.getFSRef(&theirs) && compareFSRefs(mine, theirs);
}

bool CBAlias::isAliasCollectionResolvable(const QList<CBAlias>& aliases)
{
    FileReference reference;
    return !aliases.isEmpty()
        && std::all_of(aliases.begin(), aliases.end(), [&](const CBAlias& alias) { return alias.getFSRef(&reference); });
}

bool CBAlias::isAliasCollection(const QList<CBAlias>& first, const QList<CBAlias>& second)
{
    if (first.size() != second.size())
        return false;
    QList<bool> paired(second.size(), false);
    for (const CBAlias& alias : first) {
        qsizetype match = 0;
        while (match < second.size() && (paired[match] || !alias.isEqualToAlias(second[match])))
            ++match;
        if (match == second.size())
            return false;
        paired[match] = true;
    }
    return true;
}

QList<CBAlias> CBAlias::arrayOfAliasesFromArrayOfData(const QList<QByteArray>& data)
{
    QList<CBAlias> aliases;
    for (const QByteArray& record : data) {
        if (std::optional<CBAlias> alias = aliasWithData(record))
            aliases.append(std::move(*alias));
    }
    return aliases;
}

QList<QByteArray> CBAlias::arrayOfDataFromArrayOfAliases(const QList<CBAlias>& aliases)
{
    QList<QByteArray> data;
    for (const CBAlias& alias : aliases) {
        if (!alias.data().isEmpty())
            data.append(alias.data());
    }
    return data;
}

QString CBAlias::debugDescription() const
{
    return formatString("aliasHandle %p, changed %d, mountFlags %lx, lastKnownPath %@", static_cast<const void*>(m_record.constData()),
                        m_changed, m_mountFlags, lastKnownPath());
}

bool CBAlias::writeToURL(const QUrl& url, bool includeCustomIcon) const
{
    const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
    const bool existed = itemExists(file);
    if (file.isEmpty() || (existed && !isAliasFile(file)))
        return false;
    const QString target = path();
    quint16 targetFlags = 0;
    quint32 targetType = 0;
    quint32 targetCreator = 0;
    finderInfoFlags(target, &targetFlags, &targetType, &targetCreator);
    const TypeAndCreator chosen = aliasFileTypeAndCreator(target, targetType, targetCreator);
    const bool wantsIcon = includeCustomIcon
        && (chosen.type == 0 || (targetFlags & hasCustomIconFlagBit) || chosen.type == applicationPackageAliasType
            || chosen.type == applicationAliasType);
    const QByteArray icon = wantsIcon ? CBResourceFork::iconFamilyDataForFile(target) : QByteArray();

    AliasFork written = writeAliasFork(file, m_record, icon);
    // The icon is optional: when the fork with it does not fit the file's attribute, go without it.
    if (written == AliasFork::notWritten && !icon.isEmpty())
        written = writeAliasFork(file, m_record, {});
    // The fork first: an alias flag must never mark a file whose record did not reach the disk.
    const bool isWritten = written != AliasFork::notWritten
        && setFinderInfoFlags(file, written == AliasFork::withIcon ? 0x8400 : 0x8000, 0x8400, chosen.type, chosen.creator);
    if (!isWritten && !existed)
        QFile::remove(file);
    return isWritten;
}

bool CBAlias::writeToFile(const QString& path, bool includeCustomIcon) const
{
    return writeToURL(QUrl::fromLocalFile(path), includeCustomIcon);
}

} // namespace pairsift
