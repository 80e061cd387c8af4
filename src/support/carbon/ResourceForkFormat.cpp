#include "support/carbon/ResourceForkFormat.h"

#include <QHash>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cerrno>

namespace pairsift {

namespace {

constexpr quint32 headerSize = 16;
constexpr quint32 firstDataOffset = 256;
constexpr quint32 typeListOffsetInMap = 28;
constexpr quint32 typeEntrySize = 8;
constexpr quint32 referenceEntrySize = 12;
constexpr quint16 noName = 0xFFFF;
constexpr quint32 largestDataOffset = 0xFFFFFF;

// A window of the fork's bytes; every read is checked against it, in 64 bits so that no sum overflows.
class Area {
public:
    Area(const QByteArray& bytes, quint64 start, quint64 length) : m_bytes(bytes), m_start(start), m_length(length) {}

    bool isValid() const { return m_start + m_length <= quint64(m_bytes.size()); }
    quint64 length() const { return m_length; }
    bool contains(quint64 offset, quint64 length) const { return offset <= m_length && length <= m_length - offset; }
    std::optional<Area> sub(quint64 offset, quint64 length) const
    {
        return contains(offset, length) ? std::optional<Area>(Area(m_bytes, m_start + offset, length)) : std::nullopt;
    }
    std::optional<Area> from(quint64 offset) const { return offset <= m_length ? sub(offset, m_length - offset) : std::nullopt; }
    template <typename T>
    std::optional<T> get(quint64 offset) const
    {
        if (!contains(offset, sizeof(T)))
            return std::nullopt;
        return qFromBigEndian<T>(m_bytes.constData() + m_start + offset);
    }
    std::optional<quint32> get24(quint64 offset) const
    {
        const std::optional<quint32> word = get<quint32>(offset);
        return word ? std::optional<quint32>(*word & 0xFFFFFF) : std::nullopt;
    }
    QByteArray bytes(quint64 offset, quint64 length) const { return m_bytes.mid(m_start + offset, length); }

private:
    const QByteArray& m_bytes;
    quint64 m_start;
    quint64 m_length;
};

// A count stored as "count - 1": 0xFFFF means none.
quint32 storedCount(quint16 value)
{
    return (quint32(value) + 1) & 0xFFFF;
}

// A run of bytes that one part of the map claims: [start, end).
struct Span {
    quint64 start;
    quint64 end;
    bool operator<(const Span& other) const { return start < other.start; }
};

// True when no two non-empty spans share a byte: in a fork whose map is a tree, every reference list and
// every data block belongs to one owner. A map that lets many owners point at one block would expand a
// few kilobytes into gigabytes.
bool areDisjoint(QList<Span> spans)
{
    std::sort(spans.begin(), spans.end());
    quint64 end = 0;
    for (const Span& span : spans) {
        if (span.start == span.end)
            continue;
        if (span.start < end)
            return false;
        end = span.end;
    }
    return true;
}

// Where one reference's data block lies; the caller has checked that the reference list holds it.
std::optional<Span> dataBlock(const Area& references, quint64 entry, const Area& data)
{
    const quint32 offset = *references.get24(entry + 4);
    const std::optional<quint32> length = data.get<quint32>(offset);
    if (!length || !data.contains(quint64(offset) + 4, *length))
        return std::nullopt;
    return Span{offset, quint64(offset) + 4 + *length};
}

// Reads one reference; `nameBytes` counts the name bytes copied so far, which never exceed the name list.
std::optional<Resource> parseReference(const Area& references, quint64 entry, quint32 type, const Area& data, const Area& names,
                                       quint64* nameBytes)
{
    const qint16 id = *references.get<qint16>(entry);
    const quint16 nameOffset = *references.get<quint16>(entry + 2);
    const quint8 attributes = *references.get<quint8>(entry + 4);
    const quint32 dataOffset = *references.get24(entry + 4);
    Resource resource{type, id, {}, attributes, {}};
    if (nameOffset != noName) {
        const std::optional<quint8> length = names.get<quint8>(nameOffset);
        *nameBytes += length ? *length : 0;
        if (!length || !names.contains(quint64(nameOffset) + 1, *length) || !names.contains(0, *nameBytes))
            return std::nullopt;
        resource.name = names.bytes(quint64(nameOffset) + 1, *length);
    }
    resource.data = data.bytes(quint64(dataOffset) + 4, *data.get<quint32>(dataOffset));
    return resource;
}

// Keeps each type's resources together, the types in the order they first appear, as they are written.
void groupByType(QList<Resource>& resources)
{
    QHash<quint32, qsizetype> order;
    for (const Resource& resource : resources) {
        if (!order.contains(resource.type))
            order.insert(resource.type, order.size());
    }
    std::stable_sort(resources.begin(), resources.end(),
                     [&](const Resource& a, const Resource& b) { return order.value(a.type) < order.value(b.type); });
}

void append16(QByteArray& bytes, quint16 value)
{
    char buffer[2];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 2);
}

void append32(QByteArray& bytes, quint32 value)
{
    char buffer[4];
    qToBigEndian(value, buffer);
    bytes.append(buffer, 4);
}

std::optional<QByteArray> tooLarge(Error* error, const char* what)
{
    setError(error, "NSPOSIXErrorDomain", EFBIG, QString("The resource fork's %1 is too large for its layout").arg(what));
    return std::nullopt;
}

} // namespace

QList<quint32> resourceTypes(const ResourceForkContents& contents)
{
    QList<quint32> types;
    QSet<quint32> seen;
    for (const Resource& resource : contents.resources) {
        if (!seen.contains(resource.type)) {
            seen.insert(resource.type);
            types.append(resource.type);
        }
    }
    return types;
}

std::optional<ResourceForkContents> parseResourceFork(const QByteArray& bytes)
{
    const Area fork(bytes, 0, bytes.size());
    const std::optional<quint32> dataOffset = fork.get<quint32>(0);
    const std::optional<quint32> mapOffset = fork.get<quint32>(4);
    const std::optional<quint32> dataLength = fork.get<quint32>(8);
    const std::optional<quint32> mapLength = fork.get<quint32>(12);
    if (!dataOffset || !mapOffset || !dataLength || !mapLength)
        return std::nullopt;
    const std::optional<Area> data = fork.sub(*dataOffset, *dataLength);
    const std::optional<Area> map = fork.sub(*mapOffset, *mapLength);
    if (!data || !map)
        return std::nullopt;
    const std::optional<quint16> attributes = map->get<quint16>(22);
    const std::optional<quint16> typeListOffset = map->get<quint16>(24);
    const std::optional<quint16> nameListOffset = map->get<quint16>(26);
    if (!attributes || !typeListOffset || !nameListOffset)
        return std::nullopt;
    const std::optional<Area> typeList = map->from(*typeListOffset);
    const std::optional<Area> names = map->from(*nameListOffset);
    const std::optional<quint16> typeCount = typeList ? typeList->get<quint16>(0) : std::nullopt;
    if (!names || !typeCount)
        return std::nullopt;

    // The type entries first: each reference list must lie in the map, apart from every other one, and
    // all of them together hold at most one resource per 12 bytes of map.
    struct TypeEntry {
        quint32 type;
        quint32 count;
        quint64 referencesOffset;
    };
    QList<TypeEntry> entries;
    QList<Span> referenceLists;
    quint64 total = 0;
    for (quint32 t = 0; t < storedCount(*typeCount); ++t) {
        const quint64 entry = 2 + quint64(t) * typeEntrySize;
        const std::optional<quint32> type = typeList->get<quint32>(entry);
        const std::optional<quint16> count = typeList->get<quint16>(entry + 4);
        const std::optional<quint16> referencesOffset = typeList->get<quint16>(entry + 6);
        if (!type || !count || !referencesOffset)
            return std::nullopt;
        const quint64 listLength = quint64(storedCount(*count)) * referenceEntrySize;
        total += storedCount(*count);
        if (!typeList->contains(*referencesOffset, listLength) || total > map->length() / referenceEntrySize)
            return std::nullopt;
        entries.append({*type, storedCount(*count), *referencesOffset});
        referenceLists.append({*referencesOffset, *referencesOffset + listLength});
    }
    if (!areDisjoint(referenceLists))
        return std::nullopt;
    const auto referencesOf = [&](const TypeEntry& entry) {
        return *typeList->sub(entry.referencesOffset, quint64(entry.count) * referenceEntrySize);
    };

    // Then every data block, before a byte is copied: disjoint blocks inside the data area mean that the
    // bytes copied never exceed it.
    QList<Span> blocks;
    blocks.reserve(total);
    for (const TypeEntry& entry : entries) {
        const Area references = referencesOf(entry);
        for (quint32 r = 0; r < entry.count; ++r) {
            const std::optional<Span> block = dataBlock(references, quint64(r) * referenceEntrySize, *data);
            if (!block)
                return std::nullopt;
            blocks.append(*block);
        }
    }
    if (!areDisjoint(std::move(blocks)))
        return std::nullopt;

    ResourceForkContents contents{*attributes, {}};
    contents.resources.reserve(total);
    quint64 nameBytes = 0;
    for (const TypeEntry& entry : entries) {
        const Area references = referencesOf(entry);
        for (quint32 r = 0; r < entry.count; ++r) {
            std::optional<Resource> resource =
                parseReference(references, quint64(r) * referenceEntrySize, entry.type, *data, *names, &nameBytes);
            if (!resource)
                return std::nullopt;
            contents.resources.append(std::move(*resource));
        }
    }
    // A type may be listed twice.
    groupByType(contents.resources);
    return contents;
}

std::optional<QByteArray> serializeResourceFork(const ResourceForkContents& contents, Error* error)
{
    const QList<quint32> types = resourceTypes(contents);
    if (types.size() > 0xFFFF)
        return tooLarge(error, "type list");

    QByteArray data;
    QByteArray typeList;
    QByteArray references;
    QByteArray names;
    append16(typeList, quint16(types.size() - 1));
    const quint32 referencesStart = 2 + quint32(types.size()) * typeEntrySize;
    for (quint32 type : types) {
        quint32 count = 0;
        const quint32 referencesOffset = referencesStart + quint32(references.size());
        for (const Resource& resource : contents.resources) {
            if (resource.type != type)
                continue;
            if (data.size() > largestDataOffset || names.size() >= noName || resource.name.size() > 255)
                return tooLarge(error, "data or name list");
            append16(references, quint16(resource.id));
            append16(references, resource.name.isEmpty() ? noName : quint16(names.size()));
            append32(references, (quint32(resource.attributes) << 24) | quint32(data.size()));
            append32(references, 0);
            if (!resource.name.isEmpty())
                names.append(char(resource.name.size())).append(resource.name);
            append32(data, quint32(resource.data.size()));
            data.append(resource.data);
            ++count;
        }
        if (referencesOffset > 0xFFFF)
            return tooLarge(error, "type list");
        append32(typeList, type);
        append16(typeList, quint16(count - 1));
        append16(typeList, quint16(referencesOffset));
    }
    const quint64 nameListOffset = typeListOffsetInMap + quint64(typeList.size()) + quint64(references.size());
    const quint64 mapLength = nameListOffset + quint64(names.size());
    if (nameListOffset > 0xFFFF || firstDataOffset + quint64(data.size()) + mapLength > 0xFFFFFFFF)
        return tooLarge(error, "map");

    QByteArray header;
    append32(header, firstDataOffset);
    append32(header, firstDataOffset + quint32(data.size()));
    append32(header, quint32(data.size()));
    append32(header, quint32(mapLength));

    QByteArray fork = header;
    fork.append(QByteArray(firstDataOffset - headerSize, '\0'));
    fork.append(data);
    fork.append(header);
    append32(fork, 0);
    append16(fork, 0);
    append16(fork, contents.attributes);
    append16(fork, quint16(typeListOffsetInMap));
    append16(fork, quint16(nameListOffset));
    fork.append(typeList).append(references).append(names);
    return fork;
}

} // namespace pairsift
