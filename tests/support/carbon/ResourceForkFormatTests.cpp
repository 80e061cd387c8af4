#include "support/carbon/ResourceForkFormat.h"

#include <QDataStream>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

ResourceForkContents sample()
{
    return {0x0020,
            {{0x616C6973, 0, "created by CBAlias", 0, "record"},
             {0x69636E73, -16455, "", 0x08, QByteArray("icns\0\0\0\x08", 8)},
             {0x616C6973, 200, "second", 0x10, ""},
             {0x54455854, 128, "", 0, QByteArray(300, 'z')}}};
}

quint32 word(const QByteArray& bytes, qsizetype offset)
{
    return qFromBigEndian<quint32>(bytes.constData() + offset);
}

TEST(ResourceForkFormat, writesTheClassicLayoutAndReadsItBack)
{
    const std::optional<QByteArray> bytes = serializeResourceFork(sample());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(word(*bytes, 0), 256u) << "data offset";
    EXPECT_EQ(word(*bytes, 4), 256 + word(*bytes, 8)) << "the map follows the data";
    EXPECT_EQ(word(*bytes, 4) + word(*bytes, 12), quint32(bytes->size()));
    EXPECT_EQ(bytes->mid(word(*bytes, 4), 16), bytes->left(16)) << "the map starts with a copy of the header";
    EXPECT_EQ(word(*bytes, 256), 6u) << "first resource's length";
    EXPECT_EQ(bytes->mid(260, 6), "record");

    const std::optional<ResourceForkContents> parsed = parseResourceFork(*bytes);
    ASSERT_TRUE(parsed);
    // Resources come back grouped by type, in the order the types first appeared.
    ResourceForkContents grouped = sample();
    grouped.resources.move(2, 1);
    EXPECT_EQ(*parsed, grouped);
    EXPECT_EQ(serializeResourceFork(*parsed), bytes) << "byte-exact";

    const std::optional<QByteArray> empty = serializeResourceFork({});
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->size(), 256 + 30);
    EXPECT_EQ(parseResourceFork(*empty), ResourceForkContents());
}

TEST(ResourceForkFormat, refusesOffsetsOutsideTheFork)
{
    const QByteArray valid = *serializeResourceFork(sample());
    const quint32 map = word(valid, 4);
    struct Case {
        const char* what;
        qsizetype offset;
        quint32 value;
        int width;
    };
    const Case cases[] = {
        {"data length", 8, 0xFFFFFFF0, 4},
        {"map offset", 4, 0x7FFFFFFF, 4},
        {"type list offset", map + 24, 0xFFF0, 2},
        {"name list offset", map + 26, 0xFFF0, 2},
        {"type count", map + 28, 0x7FFF, 2},
        {"reference count", map + 28 + 2 + 4, 0x7FFF, 2},
        {"reference list offset", map + 28 + 2 + 6, 0xFFF0, 2},
    };
    for (const Case& c : cases) {
        QByteArray bytes = valid;
        if (c.width == 4)
            qToBigEndian<quint32>(c.value, bytes.data() + c.offset);
        else
            qToBigEndian<quint16>(quint16(c.value), bytes.data() + c.offset);
        EXPECT_FALSE(parseResourceFork(bytes)) << c.what;
    }
    for (qsizetype size : {0, 15, 256, int(map) + 29})
        EXPECT_FALSE(parseResourceFork(valid.left(size))) << "cut at " << size;
}

// A fork with a hand-made map: type entries (type, stored count = count - 1, reference list offset from
// the type list), then the references (ID, data offset; no names) right after the type entries, and the
// data area as given.
struct CraftedType {
    quint32 type;
    quint16 storedCount;
    quint16 referencesOffset;
};
struct CraftedReference {
    qint16 id;
    quint32 dataOffset;
};
QByteArray craftFork(const QList<CraftedType>& types, const QList<CraftedReference>& references, const QByteArray& data)
{
    const quint32 mapLength = 30 + 8 * types.size() + 12 * references.size();
    QByteArray header;
    QDataStream(&header, QIODevice::WriteOnly) << quint32(256) << quint32(256 + data.size()) << quint32(data.size()) << mapLength;
    QByteArray map;
    QDataStream out(&map, QIODevice::WriteOnly);
    out.writeRawData(header.constData(), 16);
    out << quint32(0) << quint16(0) << quint16(0) << quint16(28) << quint16(mapLength) << quint16(types.size() - 1);
    for (const CraftedType& type : types)
        out << type.type << type.storedCount << type.referencesOffset;
    for (const CraftedReference& reference : references)
        out << reference.id << quint16(0xFFFF) << reference.dataOffset << quint32(0);
    return header + QByteArray(240, '\0') + data + map;
}

TEST(ResourceForkFormat, refusesMapsThatAreNoTree)
{
    const quint32 text = 0x54455854;
    // Four empty blocks; the first also reads as one 4-byte block covering the second.
    const QByteArray blocks = QByteArray("\0\0\0\x04", 4) + QByteArray(12, '\0');
    const auto firstList = [](int typeCount) { return quint16(2 + 8 * typeCount); };
    // 40,000 type entries reach past what a 16-bit list offset can address, so their one shared list is
    // the start of the type list itself: the count, then the first type code, read as one reference
    // (ID, no name, data offset 0).
    QList<CraftedType> manySharing{{0xFFFF0000, 0, 0}};
    for (quint32 t = 1; t < 40000; ++t)
        manySharing.append({text + t, 0, 0});
    QList<CraftedReference> tenToOneBlock;
    for (qint16 id = 0; id < 10; ++id)
        tenToOneBlock.append({id, 4});
    struct Case {
        const char* what;
        QByteArray fork;
    };
    const Case cases[] = {
        {"two types sharing one reference list", craftFork({{text, 0, firstList(2)}, {text + 1, 0, firstList(2)}}, {{0, 4}}, blocks)},
        {"40,000 types sharing one reference list", craftFork(manySharing, {}, blocks)},
        {"references sharing a data block", craftFork({{text, 9, firstList(1)}}, tenToOneBlock, blocks)},
        {"overlapping data blocks", craftFork({{text, 1, firstList(1)}}, {{0, 0}, {1, 4}}, blocks)},
        {"overlapping reference lists",
         craftFork({{text, 1, firstList(2)}, {text + 1, 1, quint16(firstList(2) + 12)}}, {{0, 8}, {1, 12}, {2, 0}}, blocks)},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(parseResourceFork(c.fork)) << c.what;

    // The same pieces as a tree are a fork; a type listed twice keeps its resources together.
    const std::optional<ResourceForkContents> tree =
        parseResourceFork(craftFork({{text, 0, firstList(3)}, {text + 1, 0, quint16(firstList(3) + 12)},
                                     {text, 0, quint16(firstList(3) + 24)}},
                                    {{0, 4}, {1, 8}, {2, 12}}, blocks));
    ASSERT_TRUE(tree);
    QList<std::pair<quint32, qint16>> order;
    for (const Resource& resource : tree->resources)
        order.append({resource.type, resource.id});
    EXPECT_EQ(order, (QList<std::pair<quint32, qint16>>{{text, 0}, {text, 2}, {text + 1, 1}}));
}

TEST(ResourceForkFormat, survivesRandomDamage)
{
    const QByteArray valid = *serializeResourceFork(sample());
    QRandomGenerator random(20240518);
    int parsed = 0;
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = valid;
        const int changes = 1 + random.bounded(8);
        for (int i = 0; i < changes; ++i) {
            // Damage the map and header far more often than the data, where the offsets live.
            const bool inMap = random.bounded(4) != 0;
            const qsizetype at = inMap ? word(valid, 4) + random.bounded(int(word(valid, 12))) : random.bounded(int(valid.size()));
            bytes[at] = char(random.bounded(256));
        }
        if (random.bounded(10) == 0)
            bytes.truncate(random.bounded(int(bytes.size())));
        const std::optional<ResourceForkContents> contents = parseResourceFork(bytes);
        if (!contents)
            continue;
        ++parsed;
        // Whatever is accepted is a consistent fork: written again it reads back the same.
        const std::optional<QByteArray> again = serializeResourceFork(*contents);
        ASSERT_TRUE(again);
        EXPECT_EQ(parseResourceFork(*again), contents);
    }
    EXPECT_GT(parsed, 0) << "some damage leaves a readable fork";
}

} // namespace
} // namespace pairsift
