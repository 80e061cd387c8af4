#include "StoreTestSupport.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

class StoreExpandedGroups : public StoreFixtureBase, public testing::Test {
protected:
    const QByteArray a = digest('a');
    const QByteArray b = digest('b');
    const QByteArray c = digest('c');
};

TEST_F(StoreExpandedGroups, savingReplacesTheContentsAndLoadingKeepsOrderAndRepeats)
{
    const QList<QList<QByteArray>> saves = {{a, b}, {b, a}, {a, a}, {c}, {}};
    for (const QList<QByteArray>& saved : saves) {
        SCOPED_TRACE(saved.size());
        EXPECT_TRUE(store().saveExpandedGroups(saved));
        EXPECT_EQ(store().loadExpandedGroups(), saved);
    }
}

TEST_F(StoreExpandedGroups, aFailureWhileSavingLeavesTheTableAsItWas)
{
    ASSERT_TRUE(store().saveExpandedGroups({c}));
    raw().execute(QStringLiteral("CREATE TRIGGER FailSecond BEFORE INSERT ON ExpandedGroups WHEN NEW.SHA1 = x'%1' "
                                 "BEGIN SELECT RAISE(ABORT, 'no'); END;")
                      .arg(QString::fromLatin1(b.toHex())));

    EXPECT_FALSE(store().saveExpandedGroups({a, b, c}));
    EXPECT_EQ(store().loadExpandedGroups(), QList<QByteArray>({c}));
}

TEST_F(StoreExpandedGroups, savingInsideAnOpenTransactionFailsWithoutEndingIt)
{
    ASSERT_TRUE(store().saveExpandedGroups({c}));
    ASSERT_TRUE(store().beginTransaction());
    ASSERT_TRUE(store().addExpandedGroup(a));

    EXPECT_FALSE(store().saveExpandedGroups({b}));
    EXPECT_TRUE(store().commit());
    EXPECT_EQ(store().loadExpandedGroups(), QList<QByteArray>({c, a}));
}

TEST_F(StoreExpandedGroups, addingRemovingAndChecking)
{
    EXPECT_TRUE(store().addExpandedGroup(a));
    EXPECT_TRUE(store().addExpandedGroup(a)); // no uniqueness constraint: stored twice
    EXPECT_TRUE(store().addExpandedGroup(b));
    EXPECT_EQ(store().loadExpandedGroups(), QList<QByteArray>({a, a, b}));

    Error error{"untouched", 1, {}, {}};
    EXPECT_TRUE(store().isGroupExpanded(a, &error));
    EXPECT_FALSE(store().isGroupExpanded(c, &error));
    EXPECT_EQ(error.domain, "untouched"); // an unknown digest is not a failure

    EXPECT_TRUE(store().removeExpandedGroup(a));
    EXPECT_TRUE(store().removeExpandedGroup(c));
    EXPECT_FALSE(store().isGroupExpanded(a));
    EXPECT_EQ(store().loadExpandedGroups(), QList<QByteArray>({b}));

    EXPECT_TRUE(store().clearExpandedGroups());
    EXPECT_TRUE(store().loadExpandedGroups().isEmpty());
}

TEST_F(StoreExpandedGroups, loadingSkipsMissingAndEmptyDigests)
{
    raw().execute(QStringLiteral("INSERT INTO ExpandedGroups (SHA1) VALUES (NULL), (x''), (x'0102');"));
    EXPECT_EQ(store().loadExpandedGroups(), QList<QByteArray>({QByteArray("\x01\x02")}));
}

} // namespace
} // namespace pairsift::test
