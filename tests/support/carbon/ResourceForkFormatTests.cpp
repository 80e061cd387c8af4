#include "support/carbon/ResourceForkFormat.h"

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
