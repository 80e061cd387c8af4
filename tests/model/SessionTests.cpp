#include "model/Session.h"

#include "store/PairsiftDatabase.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pairsift {
namespace {

using test::LogCapture;
using test::TemporaryTree;

struct StagedRow {
    QString path;
    QString linkTarget;
    bool operator==(const StagedRow&) const = default;
};

class SessionTest : public testing::Test {
protected:
    // A group of `count` files of `size` bytes named "/loc/<prefix><n>", with live rows holding their digest.
    QList<FileItemPtr> addGroup(const QString& prefix, int count, quint64 size = 100)
    {
        const QByteArray digest(20, static_cast<char>(++m_digests));
        QList<FileItemPtr> files;
        for (int index = 0; index < count; ++index) {
            const FileItemPtr file = FileItem::create(QStringLiteral("/loc/%1%2").arg(prefix).arg(index));
            file->setTotalSize(size);
            file->setSha1(digest);
            file->setContainerType(QStringLiteral("directory"));
            file->setContainerPath(QStringLiteral("/loc"));
            EXPECT_TRUE(store->addFile(file->name(), size, QDateTime(), file->containerType(), file->containerPath()));
            EXPECT_TRUE(store->updateFile(file->name(), digest));
            session.addFile(file);
            files.append(file);
        }
        return files;
    }

    void sortByName() { session.sortGroupsUsingDescriptor({QStringLiteral("name"), true}); }

    QList<StagedRow> stagedRows()
    {
        QList<StagedRow> rows;
        store->enumerateDeletedFiles([&](const QString& path, std::uint64_t, const QDateTime&, const QByteArray&,
                                         const QString& linkTarget, const QString&, const QString&,
                                         bool*) { rows.append({path, linkTarget}); });
        std::sort(rows.begin(), rows.end(), [](const StagedRow& a, const StagedRow& b) { return a.path < b.path; });
        return rows;
    }

    TemporaryTree tree;
    std::shared_ptr<PairsiftDatabase> store = PairsiftDatabase::databaseWithPath(tree.path(QStringLiteral("s.db3")));
    LogCapture log;
    Session session{store, log.logger()};

private:
    int m_digests = 0;
};

TEST_F(SessionTest, countsTheFilesThatShareTheirSize)
{
    struct Step {
        quint64 size;
        std::uint64_t expectedDuplicates;
    };
    // 10, 10, 20: the second 10 makes a twin of the first; later files of a size add one each.
    const std::vector<Step> steps{{10, 0}, {10, 2}, {20, 2}, {10, 3}, {20, 5}, {30, 5}, {10, 6}};
    for (std::size_t index = 0; index < steps.size(); ++index) {
        const FileItemPtr file = FileItem::create(QStringLiteral("/f/%1").arg(index));
        file->setTotalSize(steps[index].size);
        ASSERT_TRUE(session.addNewFile(file));
        EXPECT_EQ(session.countOfDuplicatesBySize(), steps[index].expectedDuplicates) << "after file " << index;
        std::uint64_t inSharedSizes = 0;
        const FileGrouping bySize = session.fileGroupsBySize();
        for (const auto& [key, files] : bySize.fileGroups()) {
            inSharedSizes += files.size() >= 2 ? files.size() : 0;
            // Each file once, under its own size, in the order added.
            EXPECT_TRUE(std::is_sorted(files.begin(), files.end(),
                [](const FileItemPtr& left, const FileItemPtr& right) { return left->name() < right->name(); }));
            for (const FileItemPtr& grouped : files)
                EXPECT_EQ(grouped->totalSize(), key.number());
        }
        EXPECT_EQ(session.countOfDuplicatesBySize(), inSharedSizes);
        EXPECT_EQ(bySize.count(), index + 1);
        // The comparison's start: the same groups without the single files.
        EXPECT_EQ(session.candidateGroupsBySize().count(), inSharedSizes);
    }
    EXPECT_EQ(session.fileCount(), steps.size());
    int rows = 0;
    store->enumerateFiles([&](const QString&, std::uint64_t, const QDateTime&, const QByteArray&, const QString&,
                              const QString&, bool*) { ++rows; });
    EXPECT_EQ(rows, static_cast<int>(steps.size()));
}

TEST_F(SessionTest, aFileTheStoreRefusesIsCountedButNotGrouped)
{
    store->close();
    const FileItemPtr file = FileItem::create(QStringLiteral("/f/refused"));
    file->setTotalSize(10);

    EXPECT_FALSE(session.addNewFile(file));

    EXPECT_EQ(session.fileCount(), 1u);
    EXPECT_EQ(session.fileGroupsBySize().count(), 0u);
    EXPECT_EQ(log.texts(), QStringList{"Unable to add file '/f/refused' to database"});
}

TEST_F(SessionTest, loadsTheLiveRowsWithADigestAndDropsSingleGroups)
{
    const QByteArray pair(20, 'p');
    const QByteArray single(20, 's');
    const QList<std::pair<QString, QByteArray>> rows{
        {"/l/p1", pair}, {"/l/p2", pair}, {"/l/single", single}, {"/l/nodigest", {}}, {"/l/staged", pair}};
    for (const auto& [path, digest] : rows) {
        ASSERT_TRUE(store->addFile(path, 5, QDateTime::fromSecsSinceEpoch(12), "directory", "/l"));
        ASSERT_TRUE(store->updateFile(path, digest));
    }
    ASSERT_TRUE(store->trashFile("/l/staged", QString()));
    addGroup("old", 2);

    session.loadFilesFromDatabase();

    QStringList loaded;
    for (const FileItemPtr& file : session.allFiles())
        loaded.append(file->name());
    loaded.sort();
    EXPECT_EQ(loaded, (QStringList{"/l/p1", "/l/p2", "/l/single", "/loc/old0", "/loc/old1"}));
    EXPECT_EQ(session.groupCount(), 2u);
    const FileGroupPtr group = session.fileGroupWithSHA1(pair);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(group->count(), 2u);
    EXPECT_EQ(group->fileSize(), 5u);
    EXPECT_EQ(group->head()->dateCreated(), QDateTime::fromSecsSinceEpoch(12));
    EXPECT_TRUE(group->head()->isRegularFile());
    EXPECT_EQ(session.fileGroupWithSHA1(single), nullptr);
    EXPECT_EQ(session.fileGroupWithFile(group->head()), group);
}

TEST_F(SessionTest, readsTheStoredPathsAndContainersAsTheDecodedRowsGiveThem)
{
    struct Row {
        QByteArray path;
        QString containerType;
        QString containerPath;
    };
    const QByteArray deep = QByteArray("/d").repeated(60);
    // Folders met again after others, container values that change to NULL and to empty and back, names
    // at and beyond the inline length, and paths that decoding does not give back byte for byte.
    const std::vector<Row> rows{
        {"/l/a.jpg", "directory", "/l"},
        {"/top.jpg", "directory", "/l"},
        {deep + "/deep.jpg", QString(), QString()},
        {"/l/b-fifteen-b.j", "", ""},
        {"/l/\xC3\xA9t\xC3\xA9/sixteen-bytes.jp", "iPhoto", "/l/lib"},
        {"/l/bad\xFF\xFEname/x\xC0\xAF", "directory", "/l"},
        {"\xEF\xBB\xBF/l/marked", "directory", "/l"},
        {"/l/\xEF\xBB\xBFmarked name", "directory", "/l"},
        {"plain", "directory", "/l"},
        {"/l/", "directory", "/l"},
        {deep + "/again.jpg", "directory", "/l"},
    };
    const QByteArray digest(20, 'd');
    const QDateTime created = QDateTime::fromSecsSinceEpoch(12);
    for (const Row& row : rows)
        ASSERT_TRUE(store->addEncodedFile(row.path, 7, created, row.containerType, row.containerPath));
    ASSERT_TRUE(store->updateFiles(rows.size(), [&](std::size_t index) {
        return PairsiftDatabase::EncodedDigest{rows[index].path, digest};
    }));
    std::vector<FileItemPtr> decoded;
    ASSERT_TRUE(store->enumerateFilesWithDigest([&](const QString& path, std::uint64_t size, const QDateTime& date,
                                                    const QByteArray& sha1, const QString& type, const QString& location,
                                                    bool*) {
        const FileItemPtr file = FileItem::create(path);
        file->setTotalSize(size);
        file->setDateCreated(date);
        file->setSha1(sha1);
        file->setContainerType(type);
        file->setContainerPath(location);
        decoded.push_back(file);
    }));

    bool isComplete = false;
    const std::vector<FileItemPtr> read = Session::readFilesWithDigest(*store, &isComplete);

    EXPECT_TRUE(isComplete);
    ASSERT_EQ(read.size(), decoded.size());
    for (std::size_t index = 0; index < read.size(); ++index) {
        const FileItem& file = *read[index];
        const FileItem& expected = *decoded[index];
        SCOPED_TRACE(expected.name().toStdString());
        EXPECT_EQ(file.name(), expected.name());
        EXPECT_EQ(file.encodedName(), expected.encodedName());
        EXPECT_EQ(file.baseName(), expected.baseName());
        EXPECT_EQ(file.folder(), expected.folder());
        EXPECT_EQ(file.containerType(), expected.containerType());
        EXPECT_EQ(file.containerType().isNull(), expected.containerType().isNull());
        EXPECT_EQ(file.containerPath(), expected.containerPath());
        EXPECT_EQ(file.containerPath().isNull(), expected.containerPath().isNull());
        EXPECT_EQ(file.totalSize(), expected.totalSize());
        EXPECT_EQ(file.dateCreated(), expected.dateCreated());
        EXPECT_EQ(file.sha1(), expected.sha1());
    }
}

TEST_F(SessionTest, markedInfoCountsOnlyPartlyMarkedGroups)
{
    const QList<FileItemPtr> a = addGroup("a", 3, 100);
    const QList<FileItemPtr> b = addGroup("b", 2, 100);
    const QList<FileItemPtr> c = addGroup("c", 4, 7);
    a[1]->setMarkedForRemoval(true);
    b[0]->setMarkedForRemoval(true);
    b[1]->setMarkedForRemoval(true);

    PSFTSessionMarkedInfo info = session.markedInfo();
    EXPECT_EQ(info.count, 1u);
    EXPECT_DOUBLE_EQ(info.size, 100.0);

    session.markDuplicateFiles();
    info = session.markedInfo();
    EXPECT_EQ(info.count, 2u + 3u);
    EXPECT_DOUBLE_EQ(info.size, 200.0 + 21.0);
    // The kept file of the fully marked group stays marked.
    EXPECT_TRUE(b[0]->markedForRemoval());
    EXPECT_DOUBLE_EQ(session.wastedSpace(), 200.0 + 100.0 + 21.0);

    session.unmarkAllFiles();
    info = session.markedInfo();
    EXPECT_EQ(info.count, 0u);
    EXPECT_DOUBLE_EQ(info.size, 0.0);
}

struct StagingCase {
    const char* name;
    // The groups in display order: U unmarked, M the second of three files marked, F all three marked.
    const char* groups;
    // Position of the group to select next; -1 for none.
    int expectedNext;
};

void PrintTo(const StagingCase& test, std::ostream* out)
{
    *out << test.name;
}

class SessionStaging : public SessionTest, public testing::WithParamInterface<StagingCase> {};

TEST_P(SessionStaging, stagesPartlyMarkedGroupsAndChoosesTheNextGroup)
{
    const StagingCase& test = GetParam();
    const QByteArray layout(test.groups);
    std::vector<QList<FileItemPtr>> groups;
    QList<StagedRow> expectedStaged;
    for (qsizetype index = 0; index < layout.size(); ++index) {
        // Names in display order under the name sort: "a0", "b0", …
        groups.push_back(addGroup(QString(QChar(static_cast<char16_t>(u'a' + index))), 3));
        const QList<FileItemPtr>& files = groups.back();
        if (layout[index] == 'M') {
            files[1]->setMarkedForRemoval(true);
            expectedStaged.append({files[1]->name(), files[0]->name()});
        } else if (layout[index] == 'F') {
            for (const FileItemPtr& file : files)
                file->setMarkedForRemoval(true);
        }
    }
    sortByName();

    const std::optional<FileGroupPtr> staged = session.removeMarkedFiles();

    ASSERT_TRUE(staged.has_value());
    const FileGroupPtr next = *staged;
    if (test.expectedNext < 0)
        EXPECT_EQ(next, nullptr);
    else
        EXPECT_EQ(next, session.fileGroupWithFile(groups[test.expectedNext].first()));
    std::sort(expectedStaged.begin(), expectedStaged.end(),
        [](const StagedRow& a, const StagedRow& b) { return a.path < b.path; });
    EXPECT_EQ(stagedRows(), expectedStaged);
    EXPECT_EQ(session.fileCount(), static_cast<std::uint64_t>(3 * layout.size() - expectedStaged.size()));
    // The transaction was committed: another one can begin.
    EXPECT_TRUE(store->beginTransaction());
    EXPECT_TRUE(store->rollback());
}

INSTANTIATE_TEST_SUITE_P(Cases, SessionStaging,
    testing::Values(StagingCase{"unmarkedBeforeTheFirstMarked", "UMUFU", 0},
        StagingCase{"unmarkedAfterTheLastMarked", "MUMUU", 3}, StagingCase{"everyGroupMarked", "MFM", -1},
        StagingCase{"lastGroupMarked", "MUM", -1}, StagingCase{"noGroups", "", -1},
        StagingCase{"nothingMarked", "UU", 1}, StagingCase{"onlyFullyMarkedBefore", "FU", 1},
        StagingCase{"fullyMarkedOnly", "F", -1}),
    [](const testing::TestParamInfo<StagingCase>& info) { return std::string(info.param.name); });

TEST_F(SessionTest, stagesNothingWhenItsTransactionCannotBegin)
{
    const QList<FileItemPtr> files = addGroup("a", 3);
    files[2]->setMarkedForRemoval(true);
    sortByName();
    // Someone else's transaction is open on the shared connection.
    ASSERT_TRUE(store->beginTransaction());

    EXPECT_FALSE(session.removeMarkedFiles().has_value());

    EXPECT_TRUE(store->rollback());
    EXPECT_TRUE(stagedRows().isEmpty());
    EXPECT_EQ(session.fileCount(), 3u);
}

// The row went away under the session (another program on the store): staging the rest alone would leave
// the list and the store disagreeing, so nothing is staged.
TEST_F(SessionTest, stagesNothingWhenAMarkedFilesRowIsGone)
{
    const QList<FileItemPtr> first = addGroup("a", 3);
    const QList<FileItemPtr> second = addGroup("b", 3);
    first[1]->setMarkedForRemoval(true);
    second[2]->setMarkedForRemoval(true);
    sortByName();
    ASSERT_TRUE(store->deleteFile(second[2]->name()));

    EXPECT_FALSE(session.removeMarkedFiles().has_value());

    EXPECT_TRUE(stagedRows().isEmpty());
    EXPECT_TRUE(store->beginTransaction()) << "the staging transaction was ended";
    EXPECT_TRUE(store->rollback());
}

TEST_F(SessionTest, removeGroupStagesEveryFileButTheKeptOneWhateverTheMarks)
{
    const QList<FileItemPtr> files = addGroup("g", 3);
    files[0]->setMarkedForRemoval(true);

    EXPECT_TRUE(session.removeGroup(session.fileGroupWithFile(files[0])));

    EXPECT_EQ(stagedRows(), (QList<StagedRow>{{"/loc/g1", QString()}, {"/loc/g2", QString()}}));
    ASSERT_EQ(session.allFiles().size(), 1u);
    EXPECT_EQ(session.allFiles().front(), files[0]);
}

TEST_F(SessionTest, aFileTheStoreCannotStageIsLoggedAndTheOthersAreStillTried)
{
    const QList<FileItemPtr> files = addGroup("g", 3);
    store->close();

    EXPECT_FALSE(session.removeFiles({files[1], files[2]}));

    const QStringList texts = log.texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith("Unable to mark file '/loc/g1' as deleted: "));
    EXPECT_TRUE(texts[1].startsWith("Unable to mark file '/loc/g2' as deleted: "));
    EXPECT_EQ(session.fileCount(), 1u);
    EXPECT_TRUE(session.removeFiles({}));
}

TEST_F(SessionTest, selectsTheNeighbourOfARemovedGroup)
{
    const FileGroupPtr first = session.fileGroupWithFile(addGroup("a", 2).first());
    const FileGroupPtr second = session.fileGroupWithFile(addGroup("b", 2).first());
    const FileGroupPtr third = session.fileGroupWithFile(addGroup("c", 2).first());
    sortByName();
    const auto unlisted = std::make_shared<FileGroup>(addGroup("z", 2));

    EXPECT_EQ(session.selectedGroupAfterRemovingGroup(first), second);
    EXPECT_EQ(session.selectedGroupAfterRemovingGroup(second), first);
    EXPECT_EQ(session.selectedGroupAfterRemovingGroup(third), second);
    EXPECT_EQ(session.selectedGroupAfterRemovingGroup(unlisted), nullptr);

    session.clear();
    const FileGroupPtr only = session.fileGroupWithFile(addGroup("o", 2).first());
    sortByName();
    EXPECT_EQ(session.selectedGroupAfterRemovingGroup(only), nullptr);
}

TEST_F(SessionTest, ordersGroupsByTheDescriptorsKey)
{
    // name, file size, total: m/100/500, z/200/400, a/50/200
    const FileGroupPtr m = session.fileGroupWithFile(addGroup("m", 5, 100).first());
    const FileGroupPtr z = session.fileGroupWithFile(addGroup("z", 2, 200).first());
    const FileGroupPtr a = session.fileGroupWithFile(addGroup("a", 4, 50).first());
    struct Case {
        GroupSortDescriptor descriptor;
        std::vector<FileGroupPtr> expected;
    };
    const std::vector<Case> cases{
        {{"name", true}, {a, m, z}},
        {{"name", false}, {z, m, a}},
        {{"fileSize", false}, {z, m, a}},
        {{"fileSize", true}, {a, m, z}},
        {{"total", false}, {m, z, a}},
        {{"total", true}, {a, z, m}},
        {{"unknown", false}, {m, z, a}},
    };
    for (const Case& test : cases) {
        session.sortGroupsUsingDescriptor(test.descriptor);
        std::vector<FileGroupPtr> order;
        for (std::uint64_t index = 0; index < session.sortedFileHashes().size(); ++index)
            order.push_back(session.groupAtIndex(index));
        EXPECT_EQ(order, test.expected) << test.descriptor.key.toStdString() << " " << test.descriptor.ascending;
    }
}

TEST_F(SessionTest, clearKeepsTheDisplayOrderWithoutItsGroups)
{
    addGroup("a", 2);
    sortByName();
    ASSERT_NE(session.groupAtIndex(0), nullptr);

    session.clear();

    EXPECT_EQ(session.sortedFileHashes().size(), 1u);
    EXPECT_EQ(session.groupAtIndex(0), nullptr);
    EXPECT_EQ(session.fileCount(), 0u);
    EXPECT_EQ(session.groupCount(), 0u);
    EXPECT_EQ(session.countOfDuplicatesBySize(), 0u);
}

TEST_F(SessionTest, clearedFilesAreReleasedByTheTimeTheSessionIsGoneUnlessHeldElsewhere)
{
    std::vector<std::weak_ptr<FileItem>> released;
    FileItemPtr held;
    {
        Session local(store, log.logger());
        for (int index = 0; index < 3; ++index) {
            const FileItemPtr file = FileItem::create(QStringLiteral("/c/f%1").arg(index));
            file->setTotalSize(7);
            file->setSha1(QByteArray(20, 'c'));
            ASSERT_TRUE(local.addNewFile(file));
            local.groupFileByHash(file);
            released.push_back(file);
        }
        held = local.allFiles().front();
        local.clear();
        EXPECT_EQ(local.fileCount(), 0u);
        EXPECT_EQ(local.fileGroupsBySize().groupCount(), 0u);
    }
    EXPECT_EQ(held->name(), QStringLiteral("/c/f0"));
    EXPECT_FALSE(released[0].expired());
    EXPECT_TRUE(released[1].expired());
    EXPECT_TRUE(released[2].expired());
}

TEST_F(SessionTest, remembersExpandedGroupsThroughTheStore)
{
    const FileGroupPtr a = session.fileGroupWithFile(addGroup("a", 2).first());
    const FileGroupPtr b = session.fileGroupWithFile(addGroup("b", 2).first());
    session.addExpandedGroup(a);
    session.addExpandedGroup(b);
    // Restoring the list expands the rows again, which must not list them twice.
    session.addExpandedGroup(a);
    EXPECT_EQ(session.expandedGroups(), (QList<QByteArray>{a->sha1(), b->sha1()}));

    session.removeExpandedGroup(a);
    session.saveExpandedGroups();

    Session reopened(store, nullptr);
    QList<QByteArray> enumerated;
    reopened.enumerateExpandedGroupsWithBlock([&](const QByteArray& sha1) { enumerated.append(sha1); });
    EXPECT_EQ(enumerated, QList<QByteArray>{b->sha1()});

    reopened.clearExpandedGroups();
    EXPECT_TRUE(reopened.expandedGroups().isEmpty());
    EXPECT_TRUE(Session(store, nullptr).expandedGroups().isEmpty());
}

} // namespace
} // namespace pairsift
