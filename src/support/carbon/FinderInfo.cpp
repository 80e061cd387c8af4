#include "support/carbon/FinderInfo.h"

#include "support/carbon/ExtendedAttribute.h"

#include <QFile>
#include <QtEndian>

#include <sys/stat.h>

namespace pairsift {

namespace {

constexpr qsizetype recordSize = 32;
constexpr qsizetype typeOffset = 0;
constexpr qsizetype creatorOffset = 4;
constexpr qsizetype flagsOffset = 8;
constexpr qsizetype locationOffset = 10;

struct FinderInfoRecord {
    QByteArray bytes;
    bool isFolder = false;

    template <typename T>
    T get(qsizetype offset) const { return qFromBigEndian<T>(bytes.constData() + offset); }
    template <typename T>
    void put(qsizetype offset, T value) { qToBigEndian<T>(value, bytes.data() + offset); }
};

// Null when the item is missing or carries a record of the wrong size (not one we can interpret).
std::optional<FinderInfoRecord> readRecord(const QString& path)
{
    struct stat status {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    std::optional<QByteArray> bytes = readExtendedAttribute(path, finderInfoAttribute);
    if (!bytes)
        return std::nullopt;
    if (bytes->isEmpty())
        bytes->fill('\0', recordSize);
    if (bytes->size() != recordSize)
        return std::nullopt;
    return FinderInfoRecord{*bytes, S_ISDIR(status.st_mode)};
}

bool writeRecord(const QString& path, const FinderInfoRecord& record)
{
    return writeExtendedAttribute(path, finderInfoAttribute, record.bytes);
}

} // namespace

bool finderInfoFlags(const QString& path, quint16* flags, quint32* type, quint32* creator)
{
    const std::optional<FinderInfoRecord> record = readRecord(path);
    if (!record)
        return false;
    if (flags)
        *flags = record->get<quint16>(flagsOffset);
    if (type)
        *type = record->isFolder ? 0 : record->get<quint32>(typeOffset);
    if (creator)
        *creator = record->isFolder ? 0 : record->get<quint32>(creatorOffset);
    return true;
}

FinderPoint finderLocation(const QString& path)
{
    const std::optional<FinderInfoRecord> record = readRecord(path);
    if (!record)
        return {};
    return {record->get<qint16>(locationOffset), record->get<qint16>(locationOffset + 2)};
}

bool setFinderInfoFlags(const QString& path, quint16 flags, quint16 mask, quint32 type, quint32 creator)
{
    std::optional<FinderInfoRecord> record = readRecord(path);
    if (!record)
        return false;
    const quint16 old = record->get<quint16>(flagsOffset);
    record->put<quint16>(flagsOffset, ((old & ~mask) | (flags & mask)) & ~hasBeenInitedFlagBit);
    if (!record->isFolder) {
        record->put<quint32>(typeOffset, type);
        record->put<quint32>(creatorOffset, creator);
    }
    return writeRecord(path, *record);
}

bool setFinderLocation(const QString& path, FinderPoint location)
{
    std::optional<FinderInfoRecord> record = readRecord(path);
    if (!record)
        return false;
    record->put<qint16>(locationOffset, location.v);
    record->put<qint16>(locationOffset + 2, location.h);
    return writeRecord(path, *record);
}

bool finderInfoFlag(const QString& path, FinderInfoFlag flag)
{
    quint16 flags = 0;
    return finderInfoFlags(path, &flags, nullptr, nullptr) && (flags & flag);
}

bool setFinderInfoFlag(const QString& path, FinderInfoFlag flag, bool on)
{
    quint32 type = 0;
    quint32 creator = 0;
    return finderInfoFlags(path, nullptr, &type, &creator)
        && setFinderInfoFlags(path, on ? flag : 0, flag, type, creator);
}

bool finderInfoFlags(const QUrl& url, quint16* flags, quint32* type, quint32* creator)
{
    return url.isLocalFile() && finderInfoFlags(url.toLocalFile(), flags, type, creator);
}

FinderPoint finderLocation(const QUrl& url)
{
    return url.isLocalFile() ? finderLocation(url.toLocalFile()) : FinderPoint();
}

bool setFinderInfoFlags(const QUrl& url, quint16 flags, quint16 mask, quint32 type, quint32 creator)
{
    return url.isLocalFile() && setFinderInfoFlags(url.toLocalFile(), flags, mask, type, creator);
}

bool setFinderLocation(const QUrl& url, FinderPoint location)
{
    return url.isLocalFile() && setFinderLocation(url.toLocalFile(), location);
}

bool hasCustomIcon(const QUrl& url)
{
    return url.isLocalFile() && hasCustomIconFinderInfoFlag(url.toLocalFile());
}

} // namespace pairsift
