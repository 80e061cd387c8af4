#include "support/carbon/ExtendedAttribute.h"
#include "support/carbon/FinderInfo.h"

#include "AttributeFolder.h"

#include <QtEndian>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

QByteArray record(quint32 first, quint32 second, quint16 flags)
{
    QByteArray bytes(32, '\0');
    qToBigEndian(first, bytes.data());
    qToBigEndian(second, bytes.data() + 4);
    qToBigEndian(flags, bytes.data() + 8);
    return bytes;
}

TEST(FinderInfo, flagArithmeticKeepsUnmaskedBitsAndClearsHasBeenInited)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    struct Case {
        quint16 old, flags, mask, expected;
    };
    const Case cases[] = {
        {0x0500, 0x8000, 0x8400, 0x8000},
        {0x0000, 0x8400, 0x8400, 0x8400},
        {0x4100, 0x0000, 0x0000, 0x4000},
        {0x2800, 0xFFFF, 0x1000, 0x3800},
    };
    const QString file = folder.writeFile("file");
    for (const Case& c : cases) {
        ASSERT_TRUE(writeExtendedAttribute(file, finderInfoAttribute, record(0x54455854, 0x74747874, c.old)));
        ASSERT_TRUE(setFinderInfoFlags(file, c.flags, c.mask, 0x41424344, 0x45464748));
        quint16 flags = 0;
        quint32 type = 0;
        quint32 creator = 0;
        ASSERT_TRUE(finderInfoFlags(file, &flags, &type, &creator));
        EXPECT_EQ(flags, c.expected) << c.old;
        EXPECT_EQ(type, 0x41424344u);
        EXPECT_EQ(creator, 0x45464748u);
    }
}

TEST(FinderInfo, flagSettersAndQueries)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString file = folder.writeFile("file");
    quint16 flags = 1;
    ASSERT_TRUE(finderInfoFlags(file, &flags, nullptr, nullptr));
    EXPECT_EQ(flags, 0) << "no attribute reads as zeros";
    EXPECT_FALSE(finderInfoFlags(folder.path("missing"), &flags, nullptr, nullptr));
    EXPECT_FALSE(setIsInvisibleFinderInfoFlag(folder.path("missing"), true));

    const QByteArray before = record(0x54455854, 0x74747874, 0x0400);
    ASSERT_TRUE(writeExtendedAttribute(file, finderInfoAttribute, before));
    EXPECT_TRUE(hasCustomIconFinderInfoFlag(file));
    EXPECT_FALSE(isStationeryFinderInfoFlag(file));
    ASSERT_TRUE(setIsInvisibleFinderInfoFlag(file, true));
    EXPECT_TRUE(isInvisibleFinderInfoFlag(file));
    EXPECT_FALSE(isAliasFinderInfoFlag(file));
    ASSERT_TRUE(setIsInvisibleFinderInfoFlag(file, false));
    EXPECT_EQ(readExtendedAttribute(file, finderInfoAttribute), before);
    EXPECT_TRUE(hasCustomIcon(QUrl::fromLocalFile(file)));

    ASSERT_TRUE(setFinderLocation(file, {-3, 7}));
    EXPECT_EQ(finderLocation(file), (FinderPoint{-3, 7}));
    EXPECT_TRUE(hasCustomIconFinderInfoFlag(file)) << "the location leaves the flags alone";
}

TEST(FinderInfo, folderWindowBoundsAreNeverOverwritten)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString sub = folder.makeFolder("sub");
    const QByteArray bounds = record(0x00100020, 0x01000200, 0).left(8);
    ASSERT_TRUE(writeExtendedAttribute(sub, finderInfoAttribute, record(0x00100020, 0x01000200, 0)));
    ASSERT_TRUE(setFinderInfoFlags(sub, 0x4000, 0x4000, 0x66647270, 0x4D414353));
    quint32 type = 1;
    EXPECT_TRUE(finderInfoFlags(sub, nullptr, &type, nullptr));
    EXPECT_EQ(type, 0u);
    EXPECT_TRUE(isInvisibleFinderInfoFlag(sub));
    EXPECT_EQ(readExtendedAttribute(sub, finderInfoAttribute)->left(8), bounds);
}

} // namespace
} // namespace pairsift
