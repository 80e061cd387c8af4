// What the store answers when it cannot do what a run expects: digests and staging that find no row, a
// second holder of its lock, and moving a damaged store aside. (A read that stops half-way is tested
// through the results loader.)
#include "StoreTestSupport.h"

#include "store/DamagedStore.h"
#include "store/StoreLock.h"
#include "testkit/ConsoleCapture.h"

#include <QFile>

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

class StoreFailures : public StoreFixtureBase, public testing::Test {};

TEST_F(StoreFailures, digestsAndStagingThatFindNoRowFail)
{
    ASSERT_TRUE(store().addFile(QStringLiteral("/a"), 1, {}, {}, {}));
    ConsoleCapture console;
    const std::vector<PairsiftDatabase::EncodedDigest> digests{{"/a", digest('1')}, {"/gone", digest('2')}};
    EXPECT_FALSE(store().updateFiles(digests.size(), [&digests](std::size_t index) { return digests[index]; }));
    EXPECT_EQ(raw().integer(QStringLiteral("SELECT count(*) FROM Files WHERE SHA1 IS NOT NULL;")), 0) << "all or none";
    EXPECT_EQ(store().lastFailure(), QStringLiteral("Error updating file hash for '/gone': the file has no row in the store"));

    Error error;
    EXPECT_FALSE(store().stageFile(QStringLiteral("/gone"), QStringLiteral("/a"), &error));
    EXPECT_EQ(error.description, QStringLiteral("Error trashing file"));
    EXPECT_TRUE(store().stageFile(QStringLiteral("/a"), QString(), &error));
    EXPECT_EQ(raw().integer(QStringLiteral("SELECT IsDeleted FROM Files WHERE Name = '/a';")), 1);
}

TEST(StoreLock, oneHolderAtATimeAndAFolderThatIsNotThereSaysWhy)
{
    TemporaryTree tree;
    const QString path = tree.path(QStringLiteral("PairsiftData.db3"));
    {
        const StoreLock first(path);
        EXPECT_EQ(first.state(), StoreLock::State::Locked);
        const StoreLock second(path);
        EXPECT_EQ(second.state(), StoreLock::State::HeldElsewhere);
    }
    EXPECT_TRUE(StoreLock(path).isLocked()) << "released with its holder";
    const StoreLock missing(tree.path(QStringLiteral("missing/PairsiftData.db3")));
    EXPECT_EQ(missing.state(), StoreLock::State::Unavailable);
    EXPECT_FALSE(missing.failureReason().isEmpty());
}

TEST(DamagedStore, isMovedAsideWithItsJournalAndNeverReplaced)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("PairsiftData.db3"), "damaged");
    tree.writeFile(QStringLiteral("PairsiftData.db3-journal"), "journal");
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1700000000);
    QString reason;
    const QString first = setDamagedStoreAside(path, now, &reason);
    EXPECT_TRUE(first.startsWith(path + QStringLiteral(".damaged-")));
    tree.writeFile(QStringLiteral("PairsiftData.db3"), "damaged again");
    const QString second = setDamagedStoreAside(path, now, &reason);
    EXPECT_NE(second, first) << "the same second does not overwrite the first";

    QFile journal(first + QStringLiteral("-journal"));
    ASSERT_TRUE(journal.open(QIODevice::ReadOnly));
    EXPECT_EQ(journal.readAll(), "journal");
    QFile again(second);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_EQ(again.readAll(), "damaged again");
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(setDamagedStoreAside(path, now, &reason), QString(QLatin1String(""))) << "nothing to move";
}

} // namespace
} // namespace pairsift::test
