// From a tree of files to groups of identical files, through the session, the pipeline and the store.
#include "ProcessingTestSupport.h"

#include "model/ContentOpen.h"
#include "model/Session.h"
#include "processing/ProcessingPipeline.h"
#include "store/PairsiftDatabase.h"
#include "testkit/FullDisk.h"
#include "testkit/LogCapture.h"

#include <QFile>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include <map>

namespace pairsift::test {
namespace {

QByteArray flipped(QByteArray bytes, qsizetype position)
{
    bytes[position] = static_cast<char>(bytes[position] ^ 0x20);
    return bytes;
}

struct TreeFile {
    const char* path;
    QByteArray content;
    qint64 created; // seconds since 1970
};

// Two locations holding known duplicates, near misses and files that can never match.
class ScannedTree {
public:
    ScannedTree()
    {
        const QByteArray a = patternBytes(Chunk, 11);
        const QByteArray b = patternBytes(2 * Chunk, 12);
        const QByteArray d = patternBytes(3 * Chunk + 1, 13);
        const QByteArray e = patternBytes(4096, 14);
        const QList<TreeFile> files{
            // Exactly one chunk: the read that ends the file returns 0 bytes.
            {"second/a.bin", a, 100},
            {"first/sub/a.bin", a, 300},
            {"first/a copy.bin", a, 300},
            // Two chunks, with two near misses of the same size.
            {"first/b1.bin", b, 200},
            {"first/b2.bin", b, 100},
            {"first/b-last.bin", flipped(b, b.size() - 1), 100},
            {"first/b-middle.bin", flipped(b, b.size() / 2), 100},
            {"second/d1.bin", d, 50},
            {"second/d2.bin", d, 60},
            // Same size, different content.
            {"first/c1.txt", patternBytes(1000, 15), 10},
            {"second/c2.txt", patternBytes(1000, 16), 10},
            {"first/e1.dat", e, 10},
            {"second/e2.dat", e, 20},
            {"second/e-vanishes.dat", e, 5},
            {"first/unique.txt", patternBytes(77, 17), 10},
        };
        m_locations = {m_tree.makeFolder("first"), m_tree.makeFolder("second")};
        for (const TreeFile& file : files) {
            m_tree.writeFile(file.path, file.content);
            m_created.insert(file.path, file.created);
        }
    }

    QString path(const QString& relative) const { return m_tree.path(relative); }
    const QStringList& locations() const { return m_locations; }
    const TemporaryTree& tree() const { return m_tree; }

    // Counting by hand: every file, in one transaction, as the counting stage leaves the session.
    void count(Session& session, PairsiftDatabase& store) const
    {
        ASSERT_TRUE(store.beginTransaction());
        for (auto entry = m_created.cbegin(); entry != m_created.cend(); ++entry) {
            const QString relative = entry.key();
            const FileItemPtr file = FileItem::create(path(relative));
            file->fillAttributes(FileItem::AttributeSize);
            file->setDateCreated(QDateTime::fromSecsSinceEpoch(entry.value(), Qt::UTC));
            file->setContainerType(QStringLiteral("directory"));
            file->setContainerPath(m_locations[relative.startsWith("first/") ? 0 : 1]);
            ASSERT_TRUE(session.addNewFile(file));
        }
        ASSERT_TRUE(store.commit());
    }

private:
    TemporaryTree m_tree;
    QStringList m_locations;
    QMap<QString, qint64> m_created;
};

// Each group of the session as its sorted paths, with the path of its kept file.
std::map<QStringList, QString> keptFiles(const Session& session)
{
    std::map<QStringList, QString> groups;
    for (const auto& [digest, group] : session.fileGroupsByHash()) {
        QStringList names;
        for (const FileItemPtr& file : group->files())
            names.append(file->name());
        const QString kept = names.first();
        names.sort();
        groups[names] = kept;
    }
    return groups;
}

// The tree counted into a session on a store of its own.
class EndToEnd : public testing::Test {
protected:
    void SetUp() override { scanned.count(session, *store); }

    // What the pipeline compares: the size groups of the session that hold more than one file.
    FileGrouping candidates() const
    {
        FileGrouping bySize = session.fileGroupsBySize();
        bySize.pruneSingleFileGroups();
        return bySize;
    }

    ScannedTree scanned;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(scanned.tree());
    LogCapture log;
    Session session{store, log.logger()};
};

TEST_F(EndToEnd, findsTheDuplicatesOfATreeAndKeepsTheRightCopy)
{
    ASSERT_TRUE(QFile::remove(scanned.path("second/e-vanishes.dat")));

    ProcessingPipeline pipeline(candidates(), log.logger(), store);
    ProgressRecorder recorder;
    const FileGrouping result = pipeline.processFilesWithProgress(recorder.block());

    const auto p = [&](const char* relative) { return scanned.path(relative); };
    const std::vector<QStringList> expected{
        {p("first/a copy.bin"), p("first/sub/a.bin"), p("second/a.bin")},
        {p("first/b1.bin"), p("first/b2.bin")},
        {p("first/e1.dat"), p("second/e2.dat")},
        {p("second/d1.bin"), p("second/d2.bin")},
    };
    EXPECT_EQ(result.groupedBy(), FileGroupingByHash);
    EXPECT_EQ(namesByGroup(result), expected);
    // 14 candidates in size groups (the unique size is not one), two stages.
    EXPECT_EQ(pipeline.totalFiles(), 28u);
    ASSERT_FALSE(recorder.fileCalls().empty());
    EXPECT_EQ(recorder.fileCalls().back().info.doneCount, 27u);
    EXPECT_TRUE(log.texts().contains(QStringLiteral("Unable to MurmurHash file '%1'.").arg(p("second/e-vanishes.dat"))));

    session.loadFilesFromDatabase();
    EXPECT_EQ(session.groupCount(), expected.size());

    session.sortFilesInGroups(scanned.locations(), 0);
    const std::map<QStringList, QString> keepOlder{
        // The first location wins over an older file in the second; then the lower copy number.
        {expected[0], p("first/sub/a.bin")},
        {expected[1], p("first/b2.bin")},
        {expected[2], p("first/e1.dat")},
        {expected[3], p("second/d1.bin")},
    };
    EXPECT_EQ(keptFiles(session), keepOlder);

    session.sortFilesInGroups(scanned.locations(), 1);
    const std::map<QStringList, QString> keepNewer{
        {expected[0], p("first/a copy.bin")},
        {expected[1], p("first/b1.bin")},
        {expected[2], p("first/e1.dat")},
        {expected[3], p("second/d2.bin")},
    };
    EXPECT_EQ(keptFiles(session), keepNewer);
}

TEST_F(EndToEnd, aRunStoppedInTheFastStageRecordsNoDigest)
{
    ProcessingPipeline pipeline(candidates(), log.logger(), store);
    ProgressRecorder recorder(3);
    const FileGrouping result = pipeline.processFilesWithProgress(recorder.block());

    EXPECT_EQ(result.groupedBy(), FileGroupingByHash);
    EXPECT_EQ(result.count(), 0u);
    session.loadFilesFromDatabase();
    EXPECT_EQ(session.groupCount(), 0u);
    EXPECT_EQ(session.fileCount(), 0u);
}

TEST_F(EndToEnd, aRunStoppedInTheReliableStageKeepsTheDigestsItWrote)
{
    ProcessingPipeline pipeline(candidates(), log.logger(), store);
    int reliableFiles = 0;
    pipeline.processFilesWithProgress([&](const QString& stage, const FileItemPtr&, StageProgressInfo info, bool* stop) {
        // Before each file of the reliable stage; stop before the fifth.
        if (stage.startsWith(QStringLiteral("Performing reliable")) && info.fileBytesTotal == 0)
            *stop = ++reliableFiles == 5;
    });

    int rowsWithDigest = 0;
    store->enumerateFiles([&](const QString&, std::uint64_t, const QDateTime&, const QByteArray& sha1, const QString&,
                              const QString&, bool*) { rowsWithDigest += sha1.isEmpty() ? 0 : 1; });
    EXPECT_EQ(rowsWithDigest, 4);
}

// The disk fills up after counting: the digests cannot be stored, and the run must not end as if it had
// found no duplicates.
TEST(EndToEndFullDisk, aRunWhoseDigestsCannotBeStoredFails)
{
    FullDisk disk;
    ScannedTree scanned;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(scanned.tree());
    LogCapture log;
    Session session{store, log.logger()};
    scanned.count(session, *store);
    FileGrouping candidates = session.fileGroupsBySize();
    candidates.pruneSingleFileGroups();
    disk.setFull(true);

    ProcessingPipeline pipeline(std::move(candidates), log.logger(), store);
    const FileGrouping result = pipeline.processFilesWithProgress({});

    EXPECT_TRUE(pipeline.hasFailed());
    EXPECT_EQ(result.count(), 0u);
    EXPECT_TRUE(log.has(QStringLiteral("Error: Unable to store the digests of this comparison")));
    disk.setFull(false);
    session.loadFilesFromDatabase();
    EXPECT_EQ(session.groupCount(), 0u);
}

// Counting recorded b2 and d2; before hashing each is replaced by a link to its twin. Read through the
// link, the twin would be grouped with itself and removing the "copy" would remove the only one.
TEST_F(EndToEnd, aFileReplacedByALinkToItsTwinAfterCountingIsLeftOut)
{
    const QByteArray b2 = QFile::encodeName(scanned.path("first/b2.bin"));
    const QByteArray d2 = QFile::encodeName(scanned.path("second/d2.bin"));
    ASSERT_EQ(::unlink(b2.constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(scanned.path("first/b1.bin")).constData(), b2.constData()), 0);
    ASSERT_EQ(::unlink(d2.constData()), 0);
    ASSERT_EQ(::link(QFile::encodeName(scanned.path("second/d1.bin")).constData(), d2.constData()), 0);

    ProcessingPipeline pipeline(candidates(), log.logger(), store);
    const std::vector<QStringList> groups = namesByGroup(pipeline.processFilesWithProgress({}));

    for (const QStringList& group : groups) {
        EXPECT_FALSE(group.contains(scanned.path("first/b2.bin"))) << group.join(' ').toStdString();
        EXPECT_FALSE(group.contains(scanned.path("second/d2.bin"))) << group.join(' ').toStdString();
    }
    EXPECT_TRUE(log.texts().contains(QStringLiteral("Unable to MurmurHash file '%1'.").arg(scanned.path("first/b2.bin"))));
    EXPECT_TRUE(log.texts().contains(QStringLiteral("Unable to MurmurHash file '%1'.").arg(scanned.path("second/d2.bin"))));
}

// Counting recorded first/sub/a.bin; before hashing, first/sub becomes a link to an outside folder whose
// a.bin is a pipe with a writer waiting for a reader. The comparison must open nothing outside the
// location (opening the pipe would let the writer go), and no row gets a digest read from outside.
TEST_F(EndToEnd, aFolderSwappedForALinkToAPipeOpensNothingOutsideTheLocation)
{
    TemporaryTree outside;
    const QByteArray pipe = QFile::encodeName(outside.path(QStringLiteral("a.bin")));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    const int events = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(events, 0);
    ASSERT_GE(::inotify_add_watch(events, QFile::encodeName(outside.root()).constData(), IN_OPEN), 0);
    std::thread writer([&pipe] { ::close(::open(pipe.constData(), O_WRONLY | O_CLOEXEC)); });
    const QByteArray sub = QFile::encodeName(scanned.path("first/sub"));
    ASSERT_EQ(::rename(sub.constData(), (sub + "-moved").constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(outside.root()).constData(), sub.constData()), 0);

    for (const bool isOpenat2Disabled : {false, true}) {
        setOpenat2Disabled(isOpenat2Disabled);
        ProcessingPipeline pipeline(candidates(), log.logger(), store);
        const std::vector<QStringList> groups = namesByGroup(pipeline.processFilesWithProgress({}));
        setOpenat2Disabled(false);

        char buffer[4096];
        EXPECT_LT(::read(events, buffer, sizeof buffer), 0) << "something outside was opened, openat2 disabled: "
                                                             << isOpenat2Disabled;
        const QHash<QString, QByteArray> digests = storedDigests(*store);
        EXPECT_TRUE(digests.value(scanned.path("first/sub/a.bin")).isEmpty());
        EXPECT_FALSE(digests.value(scanned.path("second/a.bin")).isEmpty());
        EXPECT_TRUE(std::find(groups.begin(), groups.end(),
                        QStringList{scanned.path("first/a copy.bin"), scanned.path("second/a.bin")})
            != groups.end());
    }

    ::close(::open(pipe.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)); // lets the writer go
    writer.join();
    ::close(events);
}

} // namespace
} // namespace pairsift::test
