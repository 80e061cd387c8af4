#include "model/FileItem.h"
#include "processing/extras/ListFP.h"
#include "processing/extras/ReverseCompare.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(ListFP, headTailEmptinessAndMap)
{
    const QList<int> numbers = {4, 5, 6};
    EXPECT_EQ(fp_head(numbers), 4);
    EXPECT_EQ(fp_tail(numbers), QList<int>({5, 6}));
    EXPECT_FALSE(fp_isEmpty(numbers));
    EXPECT_TRUE(fp_isEmpty(QList<int>()));
    EXPECT_EQ(fp_head(QList<FileItemPtr>()), nullptr);
    EXPECT_TRUE(fp_tail(QList<int>()).isEmpty());
    EXPECT_EQ(fp_map(numbers, [](int value) { return QString::number(value * 2); }),
              QStringList({QStringLiteral("8"), QStringLiteral("10"), QStringLiteral("12")}));
}

TEST(ReverseCompare, isTheDescendingOrder)
{
    EXPECT_EQ(reverseCompare<quint64>(5, 3), -1);
    EXPECT_EQ(reverseCompare<quint64>(3, 5), 1);
    EXPECT_EQ(reverseCompare<quint64>(4, 4), 0);
}

} // namespace
} // namespace pairsift
