#include "StoreTestSupport.h"

#include "testkit/ConsoleCapture.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pairsift::test {
namespace {

// One row as an enumeration hands it over.
struct Row {
    QString path;
    std::uint64_t size = 0;
    QDateTime created;
    QByteArray sha1;
    QString linkTarget;
    QString containerType;
    QString containerPath;

    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& row, std::ostream* out)
{
    *out << row.path.toStdString() << " size " << row.size << " created " << row.created.toSecsSinceEpoch()
         << " sha1 " << row.sha1.toHex().toStdString() << " link " << row.linkTarget.toStdString() << " type "
         << row.containerType.toStdString() << " container " << row.containerPath.toStdString();
}

class StoreFileRows : public StoreFixtureBase, public testing::Test {
protected:
    void add(const QString& path, std::uint64_t size = 1) { ASSERT_TRUE(store().addFile(path, size, {}, {}, {})); }

    void addStaged(const QString& path, const QByteArray& sha1, const QString& keptCopy = {})
    {
        add(path);
        ASSERT_TRUE(store().updateFile(path, sha1));
        ASSERT_TRUE(store().trashFile(path, keptCopy));
    }

    QList<Row> liveRows()
    {
        QList<Row> rows;
        store().enumerateFiles([&](const QString& path, std::uint64_t size, const QDateTime& created,
                                   const QByteArray& sha1, const QString& type, const QString& container, bool*) {
            rows.append({path, size, created, sha1, {}, type, container});
        });
        return rows;
    }

    QList<Row> stagedRows()
    {
        QList<Row> rows;
        store().enumerateDeletedFiles([&](const QString& path, std::uint64_t size, const QDateTime& created,
                                          const QByteArray& sha1, const QString& link, const QString& type,
                                          const QString& container, bool*) {
            rows.append({path, size, created, sha1, link, type, container});
        });
        return rows;
    }

    QStringList names() { return raw().column(QStringLiteral("SELECT Name FROM Files ORDER BY Name;")); }

    // Another connection renames the tables away: every statement of the store on them fails (code 1,
    // "no such table: …") until they are back.
    void breakTables()
    {
        raw().execute(QStringLiteral("ALTER TABLE Files RENAME TO FilesAway;"));
        raw().execute(QStringLiteral("ALTER TABLE ExpandedGroups RENAME TO ExpandedGroupsAway;"));
    }
    void repairTables()
    {
        raw().execute(QStringLiteral("ALTER TABLE FilesAway RENAME TO Files;"));
        raw().execute(QStringLiteral("ALTER TABLE ExpandedGroupsAway RENAME TO ExpandedGroups;"));
    }
};

QDateTime at(qint64 seconds)
{
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
}

TEST_F(StoreFileRows, addingAPathTwiceKeepsTheFirstValues)
{
    EXPECT_TRUE(store().addFile("/a/x.jpg", 10, at(100), "directory", "/a"));
    EXPECT_TRUE(store().addFile("/a/x.jpg", 20, at(200), "iPhoto", "/b"));
    EXPECT_EQ(liveRows(), QList<Row>({{"/a/x.jpg", 10, at(100), {}, {}, "directory", "/a"}}));
}

TEST_F(StoreFileRows, liveRowsComeBackWithTheirValuesAndWithoutStagedRows)
{
    const std::uint64_t large = 5'000'000'000'000ULL;
    ASSERT_TRUE(store().addFile("/lib/ä €.jpg", large, at(1'600'000'000), "iPhoto", "/lib"));
    ASSERT_TRUE(store().updateFile("/lib/ä €.jpg", digest('d')));
    add("/plain");
    addStaged("/staged", digest('s'));

    EXPECT_EQ(liveRows(), QList<Row>({{"/lib/ä €.jpg", large, at(1'600'000'000), digest('d'), {}, "iPhoto", "/lib"},
                              {"/plain", 1, at(0), {}, {}, {}, {}}}));
    EXPECT_TRUE(liveRows()[1].containerType.isNull());
}

TEST_F(StoreFileRows, stagedRowsComeBackWithTheirKeptCopy)
{
    addStaged("/dup/with-link", digest('a'), "/orig/a");
    addStaged("/dup/without-link", digest('b'));
    add("/live");

    const QList<Row> rows = stagedRows();
    EXPECT_EQ(rows, QList<Row>({{"/dup/with-link", 1, at(0), digest('a'), "/orig/a", {}, {}},
                        {"/dup/without-link", 1, at(0), digest('b'), {}, {}, {}}}));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[1].linkTarget.isNull());
}

TEST_F(StoreFileRows, creationDatesAreWholeSecondsCutTowardZero)
{
    struct Case {
        QDateTime date;
        qint64 stored;
    };
    const Case cases[] = {
        {QDateTime::fromMSecsSinceEpoch(12'900, Qt::UTC), 12},
        {QDateTime::fromMSecsSinceEpoch(-12'900, Qt::UTC), -12},
        {QDateTime::fromMSecsSinceEpoch(999, Qt::UTC), 0},
        {QDateTime::fromMSecsSinceEpoch(-999, Qt::UTC), 0},
        {QDateTime::fromMSecsSinceEpoch(1'700'000'000'500, Qt::UTC), 1'700'000'000},
        {QDateTime::fromSecsSinceEpoch(3600, Qt::OffsetFromUTC, 7200), 3600}, // the zone does not matter
        {QDateTime(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(store().pruneFilesBeforeScan());
        ASSERT_TRUE(store().addFile("/f", 1, c.date, {}, {}));
        EXPECT_EQ(raw().integer(QStringLiteral("SELECT CreationDate FROM Files;")), c.stored);
        const QList<Row> rows = liveRows();
        ASSERT_EQ(rows.size(), 1);
        EXPECT_EQ(rows[0].created.toMSecsSinceEpoch(), c.stored * 1000);
    }
}

TEST_F(StoreFileRows, stagedRowSurvivesPruningBeforeAScanAndAReScanLeavesItStaged)
{
    addStaged("/staged", digest('s'), "/kept");
    add("/live");

    EXPECT_TRUE(store().pruneFilesBeforeScan());
    EXPECT_EQ(names(), QStringList({"/staged"}));

    EXPECT_TRUE(store().addFile("/staged", 99, at(5), {}, {}));
    EXPECT_TRUE(liveRows().isEmpty());
    EXPECT_EQ(stagedRows(), QList<Row>({{"/staged", 1, at(0), digest('s'), "/kept", {}, {}}}));
}

TEST_F(StoreFileRows, enumerationsEndAfterTheRowThatSetTheStopFlag)
{
    for (const char* path : {"/1", "/2", "/3", "/4"})
        addStaged(path, digest('x'));
    for (const char* path : {"/5", "/6", "/7"})
        add(path);

    int liveCalls = 0;
    store().enumerateFiles([&](const QString&, std::uint64_t, const QDateTime&, const QByteArray&, const QString&,
                               const QString&, bool* stop) { *stop = ++liveCalls == 2; });
    int stagedCalls = 0;
    store().enumerateDeletedFiles([&](const QString&, std::uint64_t, const QDateTime&, const QByteArray&,
                                      const QString&, const QString&, const QString&, bool* stop) {
        *stop = ++stagedCalls == 3;
    });
    EXPECT_EQ(liveCalls, 2);
    EXPECT_EQ(stagedCalls, 3);
    EXPECT_EQ(liveRows().size(), 3); // a stopped enumeration leaves nothing behind for the next one
}

TEST_F(StoreFileRows, rowsWithoutAPathAreSkippedAndAnEmptyDigestReadsAsNone)
{
    add("/named");
    raw().execute(QStringLiteral("INSERT INTO Files (Name, Size, SHA1) VALUES (NULL, 7, x'00');"));
    raw().execute(QStringLiteral("UPDATE Files SET SHA1 = x'' WHERE Name = '/named';"));

    const QList<Row> rows = liveRows();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].path, "/named");
    EXPECT_TRUE(rows[0].sha1.isNull());
}

TEST_F(StoreFileRows, theDigestEnumerationHandsTheLiveRowsWithADigestInOrder)
{
    ASSERT_TRUE(store().addFile("/a/one", 10, at(100), "directory", "/a"));
    ASSERT_TRUE(store().updateFile("/a/one", digest('1')));
    add("/a/none");
    add("/a/empty");
    raw().execute(QStringLiteral("UPDATE Files SET SHA1 = x'' WHERE Name = '/a/empty';"));
    addStaged("/a/staged", digest('s'));
    ASSERT_TRUE(store().addFile("/b/two", 20, at(200), "iPhoto", "/b"));
    ASSERT_TRUE(store().updateFile("/b/two", digest('2')));
    ASSERT_TRUE(store().addFile("/b/three", 30, at(300), {}, {}));
    ASSERT_TRUE(store().updateFile("/b/three", digest('3')));

    QList<Row> expected;
    for (const Row& row : liveRows()) {
        if (!row.sha1.isEmpty())
            expected.append(row);
    }
    ASSERT_EQ(expected.size(), 3);

    QList<Row> rows;
    store().enumerateFilesWithDigest([&](const QString& path, std::uint64_t size, const QDateTime& created,
                                         const QByteArray& sha1, const QString& type, const QString& container,
                                         bool*) { rows.append({path, size, created, sha1, {}, type, container}); });
    EXPECT_EQ(rows, expected);

    int calls = 0;
    store().enumerateFilesWithDigest([&](const QString&, std::uint64_t, const QDateTime&, const QByteArray&,
                                         const QString&, const QString&, bool* stop) { *stop = ++calls == 2; });
    EXPECT_EQ(calls, 2);
}

TEST_F(StoreFileRows, enumeratingWithoutABlockIsAProgrammingError)
{
    ConsoleCapture console;
    EXPECT_THROW(store().enumerateFiles({}), std::invalid_argument);
    EXPECT_THROW(store().enumerateDeletedFiles({}), std::invalid_argument);
    EXPECT_THROW(store().enumerateFilesWithDigest({}), std::invalid_argument);
    EXPECT_TRUE(console.text().contains("Invalid parameter not satisfying: block != NULL"))
        << console.text().toStdString();
}

TEST_F(StoreFileRows, updatingTheDigestStoresItOrNullAndIgnoresUnknownPaths)
{
    add("/a");
    EXPECT_TRUE(store().updateFile("/a", digest('1')));
    EXPECT_EQ(raw().text(QStringLiteral("SELECT hex(SHA1) FROM Files;")), QString("31").repeated(20));
    for (const QByteArray& none : {QByteArray(), QByteArray("")}) {
        ASSERT_TRUE(store().updateFile("/a", digest('1')));
        EXPECT_TRUE(store().updateFile("/a", none));
        EXPECT_EQ(raw().integer(QStringLiteral("SELECT SHA1 IS NULL FROM Files;")), 1);
    }
    EXPECT_TRUE(store().updateFile("/unknown", digest('1')));
    EXPECT_EQ(names(), QStringList({"/a"}));
}

TEST_F(StoreFileRows, pruningUniqueFilesRemovesLiveRowsWithoutDigest)
{
    add("/unhashed");
    add("/hashed");
    ASSERT_TRUE(store().updateFile("/hashed", digest('h')));
    addStaged("/staged-unhashed", {});

    EXPECT_TRUE(store().pruneUniqueFiles());
    EXPECT_EQ(names(), QStringList({"/hashed", "/staged-unhashed"}));
}

TEST_F(StoreFileRows, pruningOutsideFoldersKeepsExactlyThePathsBelowThem)
{
    struct Case {
        const char* name;
        QStringList folders;
        QStringList kept;
        QStringList removed;
    };
    const QList<Case> cases = {
        {"one folder", {"/Users/ann/Pictures"}, {"/Users/ann/Pictures/a.jpg", "/Users/ann/Pictures/sub/b.jpg"},
            {"/Users/ann/Pictures2/a.jpg", "/Users/ann/Pictures", "/Users/ann/Pictures0", "/Users/ann/a.jpg"}},
        {"letter case counts", {"/home/ann/Photos"}, {"/home/ann/Photos/a"}, {"/home/ann/photos/a", "/HOME/ann/Photos/a"}},
        {"sibling with the same prefix", {"/a/b"}, {"/a/b/x"}, {"/a/bc/x", "/a/b-c/x", "/a/b.c/x", "/a/b0/x"}},
        {"quotes in folder names", {"/home/Bob's/docs", "/it's'"}, {"/home/Bob's/docs/x", "/it's'/y"},
            {"/home/Bob's/docsx", "/home/Bobs/docs/x", "/it's/y"}},
        {"wildcard characters are plain", {"/data/50%_off"}, {"/data/50%_off/a"},
            {"/data/50xyz_off/a", "/data/50%Xoff/a", "/data/50%_off"}},
        {"several folders", {"/a/b", "/c"}, {"/a/b/x", "/c/y"}, {"/d/z", "/a/x"}},
        {"trailing slash", {"/a/b/"}, {"/a/b/x"}, {"/a/bc/x", "/a/b"}},
        {"root", {"/"}, {"/z/y", "/a"}, {"relative/a"}},
        {"non-ASCII names", {"/home/zoë/Fotos"}, {"/home/zoë/Fotos/ä.jpg"}, {"/home/zoe/Fotos/a.jpg", "/home/zoë/FOTOS/a"}},
        {"no folders", {}, {}, {"/a/b/x", "/c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        raw().execute(QStringLiteral("DELETE FROM Files;"));
        for (const QString& path : c.kept + c.removed)
            add(path);
        EXPECT_TRUE(store().pruneFilesOutsidePaths(c.folders));
        QStringList expected = c.kept;
        expected.sort();
        EXPECT_EQ(names(), expected);
    }
}

TEST_F(StoreFileRows, pruningOutsideFoldersRemovesStagedRowsToo)
{
    addStaged("/inside/staged", digest('a'));
    addStaged("/outside/staged", digest('a'));
    EXPECT_TRUE(store().pruneFilesOutsidePaths({"/inside"}));
    EXPECT_EQ(names(), QStringList({"/inside/staged"}));
}

TEST_F(StoreFileRows, stagingSetsTheFlagAndTheKeptCopyAndIgnoresUnknownPaths)
{
    add("/dup");
    add("/other");
    EXPECT_TRUE(store().trashFile("/dup", "/orig"));
    EXPECT_TRUE(store().trashFile("/unknown", "/orig"));
    EXPECT_EQ(raw().column(QStringLiteral("SELECT Name || ':' || IsDeleted || ':' || ifnull(LinkTarget, '-') "
                                          "FROM Files ORDER BY Name;")),
        QStringList({"/dup:1:/orig", "/other:0:-"}));
}

TEST_F(StoreFileRows, aFailedStagingStepLeavesTheKeptCopyAlone)
{
    add("/dup");
    raw().execute(QStringLiteral("UPDATE Files SET LinkTarget = '/before' WHERE Name = '/dup';"));
    raw().execute(QStringLiteral("CREATE TRIGGER FailStaging BEFORE UPDATE OF IsDeleted ON Files "
                                 "BEGIN SELECT RAISE(ABORT, 'first step'); END;"));
    Error error;
    EXPECT_FALSE(store().trashFile("/dup", "/after", &error));
    EXPECT_EQ(error.description, "Error trashing file");
    EXPECT_EQ(raw().text(QStringLiteral("SELECT LinkTarget FROM Files;")), "/before");

    raw().execute(QStringLiteral("DROP TRIGGER FailStaging;"));
    raw().execute(QStringLiteral("CREATE TRIGGER FailLink BEFORE UPDATE OF LinkTarget ON Files "
                                 "BEGIN SELECT RAISE(ABORT, 'second step'); END;"));
    EXPECT_FALSE(store().trashFile("/dup", "/after", &error));
    EXPECT_EQ(error.description, "Error updating trashed file");
    EXPECT_EQ(error.underlyingMessage, "second step");
}

TEST_F(StoreFileRows, restoringHasThreeOutcomes)
{
    add("/live-copy");
    ASSERT_TRUE(store().updateFile("/live-copy", digest('a')));
    addStaged("/restored", digest('a'), "/live-copy");
    addStaged("/last-copy", digest('b'), "/gone");
    addStaged("/no-digest", {});

    EXPECT_EQ(store().countFilesByHash(digest('a')), 1); // live rows only
    EXPECT_TRUE(store().restoreFile("/restored", digest('a')));
    EXPECT_TRUE(store().restoreFile("/last-copy", digest('b')));
    EXPECT_TRUE(store().restoreFile("/no-digest", {}));

    // The put-back row keeps its kept copy; the rows that would now be unique are gone.
    EXPECT_EQ(raw().column(QStringLiteral("SELECT Name || ':' || IsDeleted || ':' || ifnull(LinkTarget, '-') "
                                          "FROM Files ORDER BY Name;")),
        QStringList({"/live-copy:0:-", "/restored:0:/live-copy"}));
    EXPECT_EQ(store().countFilesByHash(digest('a')), 2);
}

TEST_F(StoreFileRows, restoringFailsWithoutChangesWhenCountingOrUpdatingFails)
{
    add("/live-copy");
    ASSERT_TRUE(store().updateFile("/live-copy", digest('a')));
    addStaged("/staged", digest('a'));

    Error error;
    breakTables();
    EXPECT_FALSE(store().restoreFile("/staged", digest('a'), &error));
    repairTables();
    EXPECT_EQ(error.description, "Error counting files by hash");
    EXPECT_EQ(error.code, 1);

    raw().execute(QStringLiteral("CREATE TRIGGER FailRestore BEFORE UPDATE OF IsDeleted ON Files "
                                 "WHEN NEW.IsDeleted = 0 BEGIN SELECT RAISE(ABORT, 'no'); END;"));
    EXPECT_FALSE(store().restoreFile("/staged", digest('a'), &error));
    EXPECT_EQ(error.description, "Error restoring file");
    EXPECT_EQ(raw().integer(QStringLiteral("SELECT IsDeleted FROM Files WHERE Name = '/staged';")), 1);
}

TEST_F(StoreFileRows, stagedTotalsCountRowsAndSumSizes)
{
    std::uint64_t count = 99;
    std::uint64_t size = 99;
    EXPECT_TRUE(store().getTrashFileCount(&count, &size));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(size, 0u);

    add("/live", 1000);
    ASSERT_TRUE(store().addFile("/big", 6'000'000'000ULL, {}, {}, {}));
    ASSERT_TRUE(store().addFile("/small", 5, {}, {}, {}));
    ASSERT_TRUE(store().trashFile("/big", {}));
    ASSERT_TRUE(store().trashFile("/small", {}));
    EXPECT_TRUE(store().getTrashFileCount(&count, &size));
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(size, 6'000'000'005ULL);
    EXPECT_TRUE(store().getTrashFileCount(nullptr, &size));
    EXPECT_TRUE(store().getTrashFileCount(&count, nullptr));

    breakTables();
    count = size = 7;
    EXPECT_FALSE(store().getTrashFileCount(&count, &size));
    repairTables();
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(size, 7u);
}

// Every operation that reports through an error object answers the same with or without one.
TEST_F(StoreFileRows, failuresAnswerTheSameWithOrWithoutAnErrorObject)
{
    struct Case {
        const char* description;
        std::function<long long(PairsiftDatabase&, Error*)> run;
        long long failure;
    };
    const QList<Case> cases = {
        {"Error trashing file", [](PairsiftDatabase& s, Error* e) { return s.trashFile("/a", "/b", e); }, 0},
        {"Error deleting file", [](PairsiftDatabase& s, Error* e) { return s.deleteFile("/a", e); }, 0},
        {"Error counting files by hash",
            [](PairsiftDatabase& s, Error* e) { return s.countFilesByHash(digest('a'), e); }, -1},
        {"Error counting files by hash",
            [](PairsiftDatabase& s, Error* e) { return s.restoreFile("/a", digest('a'), e); }, 0},
        {"Error counting deleted files",
            [](PairsiftDatabase& s, Error* e) { return s.getTrashFileCount(nullptr, nullptr, e); }, 0},
        {"Error adding expanded group",
            [](PairsiftDatabase& s, Error* e) { return s.addExpandedGroup(digest('a'), e); }, 0},
        {"Error removing expanded group",
            [](PairsiftDatabase& s, Error* e) { return s.removeExpandedGroup(digest('a'), e); }, 0},
        {"Error checking expanded group",
            [](PairsiftDatabase& s, Error* e) { return s.isGroupExpanded(digest('a'), e); }, 0},
    };
    add("/a");
    ASSERT_TRUE(store().updateFile("/a", digest('a')));
    ASSERT_TRUE(store().addExpandedGroup(digest('a')));
    breakTables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        Error error;
        EXPECT_EQ(c.run(store(), &error), c.failure);
        EXPECT_EQ(c.run(store(), nullptr), c.failure);
        EXPECT_EQ(error.domain, "SQLite");
        EXPECT_EQ(error.code, 1);
        EXPECT_EQ(error.description, c.description);
        EXPECT_TRUE(error.underlyingMessage.startsWith("no such table: ")) << error.underlyingMessage.toStdString();
    }
    repairTables();
}

TEST_F(StoreFileRows, failuresWithoutAnErrorObjectGoToTheConsole)
{
    struct Case {
        std::function<bool(PairsiftDatabase&)> run;
        const char* consoleText;
    };
    const QList<Case> cases = {
        {[](PairsiftDatabase& s) { return s.addFile("/new'file", 1, {}, {}, {}); },
            "Error adding file '/new'file' to database: no such table: Files"},
        {[](PairsiftDatabase& s) { return s.updateFile("/a", digest('a')); },
            "Error updating file hash for '/a': no such table: Files"},
        {[](PairsiftDatabase& s) { return s.pruneFilesBeforeScan(); },
            "Error pruning files before scan: no such table: Files"},
        {[](PairsiftDatabase& s) { return s.pruneUniqueFiles(); }, "Error deleting non-hashed files: no such table: Files"},
        {[](PairsiftDatabase& s) { return s.pruneFilesOutsidePaths({"/x"}); },
            "Error pruning outside files: no such table: Files"},
        {[](PairsiftDatabase& s) { return s.clearExpandedGroups(); },
            "Error clearing expanded groups: no such table: ExpandedGroups"},
        {[](PairsiftDatabase& s) { return s.saveExpandedGroups({digest('b')}); },
            "Error clearing expanded groups: no such table: ExpandedGroups"},
    };
    add("/a");
    breakTables();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.consoleText);
        ConsoleCapture console;
        EXPECT_FALSE(c.run(store()));
        EXPECT_TRUE(console.text().contains(c.consoleText)) << console.text().toStdString();
    }
    repairTables();
    EXPECT_EQ(names(), QStringList({"/a"}));
}

} // namespace
} // namespace pairsift::test
