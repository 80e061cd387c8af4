#include "app/SessionLoader.h"

#include "store/PairsiftDatabase.h"
#include "testkit/EventLoopWait.h"
#include "testkit/TemporaryTree.h"

#include <QFile>

#include <gtest/gtest.h>

#include <optional>

namespace pairsift {
namespace {

FileItemPtr file(const QString& path, char digestByte)
{
    FileItemPtr item = FileItem::create(path);
    item->setSha1(QByteArray(20, digestByte));
    item->setDateCreated(QDateTime::fromSecsSinceEpoch(1000));
    return item;
}

TEST(SessionLoader, groupsFilesByDigestInKeepRuleOrder)
{
    const std::vector<FileItemPtr> files = {
        file(QStringLiteral("/second/a"), 1), file(QStringLiteral("/first/b"), 2),
        file(QStringLiteral("/first/a"), 1), file(QStringLiteral("/second/b"), 2),
        file(QStringLiteral("/first/c"), 3),
    };
    QStringList paths;
    for (const FileItemPtr& item : SessionLoader::sortedByKeepRule(files, {QStringLiteral("/first"), QStringLiteral("/second")}, 0))
        paths.append(item->name());
    // Groups stay whole, in order of first appearance; within one, the first location's copy leads.
    EXPECT_EQ(paths, (QStringList{QStringLiteral("/first/a"), QStringLiteral("/second/a"), QStringLiteral("/first/b"),
                                  QStringLiteral("/second/b"), QStringLiteral("/first/c")}));
}

// A read that stops half-way (damaged pages) is a failed load: none of its rows are shown as the results.
TEST(SessionLoader, aReadThatFailsHalfWayFailsTheLoadWithNoFiles)
{
    test::TemporaryTree tree;
    const QString path = tree.path(QStringLiteral("PairsiftData.db3"));
    auto db = std::shared_ptr<PairsiftDatabase>(PairsiftDatabase::databaseWithPath(path));
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->beginTransaction());
    for (int index = 0; index < 3000; ++index) {
        const QString name = QStringLiteral("/f/%1/%2").arg(index).arg(QString(60, 'n'));
        ASSERT_TRUE(db->addFile(name, 1, {}, {}, {}));
        ASSERT_TRUE(db->updateFile(name, QByteArray(20, static_cast<char>(index % 7 + 1))));
    }
    ASSERT_TRUE(db->commit());
    // Another connection's write makes the store drop its cached pages before the middle third goes.
    ASSERT_TRUE(PairsiftDatabase::databaseWithPath(path)->addExpandedGroup(QByteArray(20, 'e')));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 third = file.size() / 3 / 4096 * 4096;
    ASSERT_TRUE(file.seek(third));
    file.write(QByteArray(third, '\x5a'));
    file.close();

    SessionLoader loader(db);
    std::optional<RunOutcome> outcome;
    std::size_t fileCount = 1;
    loader.load({}, 0, [&](const RunOutcome& ended, Session::LoadedFiles& loaded, const SessionLoader::StagedRows&) {
        outcome = ended;
        fileCount = loaded.files.size();
    });
    ASSERT_TRUE(test::waitUntil([&] { return outcome.has_value(); }));
    EXPECT_TRUE(outcome->hasFailed());
    EXPECT_TRUE(outcome->reason().startsWith(QStringLiteral("Error reading files from database: ")))
        << outcome->reason().toStdString();
    EXPECT_EQ(fileCount, 0u);
    EXPECT_FALSE(loader.isLoading());
}

} // namespace
} // namespace pairsift
