// The three content stages on real files.
#include "ProcessingTestSupport.h"

#include "processing/ProcessingStageMurmurHash.h"
#include "processing/ProcessingStageSHA1.h"
#include "model/digest/MurmurHash3.h"
#include "store/PairsiftDatabase.h"
#include "testkit/EventLoopWait.h"
#include "testkit/LogCapture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace pairsift::test {
namespace {

void addRows(PairsiftDatabase& store, const std::vector<FileItemPtr>& items)
{
    for (const FileItemPtr& item : items)
        ASSERT_TRUE(store.addFile(item->name(), item->totalSize(), QDateTime(), QString(), QString()));
}

QByteArray sha1Of(const QByteArray& content)
{
    return QCryptographicHash::hash(content, QCryptographicHash::Sha1);
}

// Eight bytes whose MurmurHash3 is 0: like every other value a key, not a failure.
TEST(FastStage, aHashOfZeroIsAKeyLikeAnyOther)
{
    TemporaryTree tree;
    LogCapture log;
    const QByteArray zeroHash = QByteArray::fromHex("7a65726fa77b81b0");
    ASSERT_EQ(murmur3_32(0, zeroHash.constData(), static_cast<int>(zeroHash.size())), 0u);
    const QByteArray other = patternBytes(8, 1);
    const auto items = countedItems(tree, {{"z1", zeroHash}, {"z2", zeroHash}, {"o1", other}, {"o2", other}});
    ProcessingStageMurmurHash stage(QStringLiteral("fast"), nullptr, log.logger(), nullptr);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, 8, {});

    EXPECT_EQ(output.groupedBy(), FileGroupingByHash);
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{tree.path("o1"), tree.path("o2")},
                                        {tree.path("z1"), tree.path("z2")}}));
    EXPECT_TRUE(log.texts().isEmpty());
}

enum class Change { Deleted, ReplacedByFolder };
enum class Stage { Fast, Reliable };

struct VanishCase {
    const char* name;
    Stage stage;
    Change change;
    const char* expectedError;
};

void PrintTo(const VanishCase& test, std::ostream* out)
{
    *out << test.name;
}

class FileGoneAfterCounting : public testing::TestWithParam<VanishCase> {};

TEST_P(FileGoneAfterCounting, leavesThePipelineLoggedWithItsPath)
{
    const VanishCase& test = GetParam();
    TemporaryTree tree;
    LogCapture log;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(Chunk + 10, 2);
    const auto items = countedItems(tree, {{"d/one", content}, {"d/two", content}, {"d/gone", content}});
    addRows(*store, items);
    const FileItemPtr gone = items[2];
    // A digest from an earlier run must not survive a failed read.
    gone->setSha1(sha1Of(content));
    ASSERT_TRUE(QFile::remove(gone->name()));
    if (test.change == Change::ReplacedByFolder) {
        ASSERT_TRUE(QDir().mkdir(gone->name()));
    }

    std::unique_ptr<ProcessingStage> stage;
    if (test.stage == Stage::Fast)
        stage = std::make_unique<ProcessingStageMurmurHash>(QStringLiteral("fast"), nullptr, log.logger(), store);
    else
        stage = std::make_unique<ProcessingStageSHA1>(QStringLiteral("reliable"), nullptr, log.logger(), store);
    const FileGrouping output = stage->processFiles(groupingOf({items}), 0, 3, {});

    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{tree.path("d/one"), tree.path("d/two")}}));
    EXPECT_EQ(log.texts(), QStringList{QString::fromUtf8(test.expectedError).arg(gone->name())});
    if (test.stage == Stage::Reliable) {
        EXPECT_TRUE(gone->sha1().isNull());
    }
    EXPECT_TRUE(storedDigests(*store).value(gone->name()).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FileGoneAfterCounting,
    testing::Values(VanishCase{"fastDeleted", Stage::Fast, Change::Deleted, "Unable to MurmurHash file '%1'."},
        VanishCase{"fastUnreadable", Stage::Fast, Change::ReplacedByFolder, "Unable to MurmurHash file '%1'."},
        VanishCase{"reliableDeleted", Stage::Reliable, Change::Deleted, "Unable to hash file '%1'."},
        VanishCase{"reliableUnreadable", Stage::Reliable, Change::ReplacedByFolder, "Unable to hash file '%1'."}),
    [](const testing::TestParamInfo<VanishCase>& info) { return std::string(info.param.name); });

TEST(ReliableStage, writesTheDigestOfEveryHashedFileToTheStore)
{
    TemporaryTree tree;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(2 * Chunk, 3);
    QByteArray lastByteDiffers = content;
    lastByteDiffers[lastByteDiffers.size() - 1] = static_cast<char>(lastByteDiffers.back() ^ 1);
    const auto items = countedItems(tree, {{"x", content}, {"y", content}, {"z", lastByteDiffers}});
    addRows(*store, items);
    ProcessingStageSHA1 stage(QStringLiteral("reliable"), nullptr, nullptr, store);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, 3, {});

    ASSERT_EQ(output.groupCount(), 1u);
    EXPECT_EQ(output.fileGroups().begin()->first, FileGroupKey(sha1Of(content)));
    const QHash<QString, QByteArray> digests = storedDigests(*store);
    EXPECT_EQ(digests.value(tree.path("x")), sha1Of(content));
    EXPECT_EQ(digests.value(tree.path("y")), sha1Of(content));
    // A file left single is still hashed and recorded; the loader drops it as a group of one.
    EXPECT_EQ(digests.value(tree.path("z")), sha1Of(lastByteDiffers));
}

TEST(ReliableStage, digestsTheStoreRefusesFailTheStage)
{
    TemporaryTree tree;
    LogCapture log;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(500, 4);
    const auto items = countedItems(tree, {{"p", content}, {"q", content}});
    store->close();
    ProcessingStageSHA1 stage(QStringLiteral("reliable"), nullptr, log.logger(), store);

    stage.processFiles(groupingOf({items}), 0, 2, {});

    EXPECT_TRUE(stage.hasFailed());
    EXPECT_EQ(log.levelledLines(), QStringList{QStringLiteral("Error: Unable to store the SHA1 of 2 files in database")});
}

// A file's first chunk is held until the digest of the file before it is in the store: only the batch's own
// clock can write it then, since no digest is handed over while the hold lasts. The hold lasts as long as
// the store needs, and the time from hand-over to store must be one interval and a margin for a busy
// machine: a clock that waits for the next file, or a period of 1.7 s, exceeds it.
TEST(ReliableStage, aDigestIsStoredWithinASecondWhileTheNextFileIsStillBeingHashed)
{
    using Clock = std::chrono::steady_clock;
    using std::chrono::milliseconds;
    constexpr milliseconds longestWait = ProcessingStageSHA1::batchInterval + milliseconds(500);
    TemporaryTree tree;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(2 * Chunk, 8);
    // The second digest comes after the clock has written once, so the clock's period counts, not only its start.
    const auto items = countedItems(tree, {{"a", content}, {"b", content}, {"c", content}});
    addRows(*store, items);
    ProcessingStageSHA1 stage(QStringLiteral("reliable"), nullptr, nullptr, store);
    const auto storedCount = [&store] {
        std::uint64_t stored = 0;
        for (const QByteArray& digest : storedDigests(*store))
            stored += digest.isEmpty() ? 0 : 1;
        return stored;
    };
    Clock::time_point handedOver;
    std::vector<milliseconds> waits;

    stage.processFiles(groupingOf({items}), 0, 3, [&](const QString&, const FileItemPtr&, StageProgressInfo info, bool*) {
        if (info.doneCount == 0)
            return;
        // The digest of the file before was handed over just before this file's first progress call.
        if (info.fileBytesDone == 0) {
            handedOver = Clock::now();
        } else if (info.fileBytesDone == static_cast<std::uint64_t>(Chunk)) {
            EXPECT_TRUE(waitUntil([&] { return storedCount() == info.doneCount; })) << info.doneCount;
            waits.push_back(std::chrono::duration_cast<milliseconds>(Clock::now() - handedOver));
        }
    });

    EXPECT_FALSE(stage.hasFailed());
    EXPECT_EQ(storedCount(), 3u);
    ASSERT_EQ(waits.size(), 2u);
    for (std::size_t index = 0; index < waits.size(); ++index)
        EXPECT_LE(waits[index].count(), longestWait.count()) << "digest " << index;
}

// The first file has no row, so the first batch fails while the second file is held; the second file's
// digest, handed over after that, must not be stored by the stage's last batch as if the run went on.
TEST(ReliableStage, noDigestIsTakenAfterABatchFailed)
{
    TemporaryTree tree;
    LogCapture log;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(2 * Chunk, 9);
    const auto items = countedItems(tree, {{"rowless", content}, {"late", content}, {"unseen", content}});
    addRows(*store, {items[1], items[2]});
    ProcessingStageSHA1 stage(QStringLiteral("reliable"), nullptr, log.logger(), store);
    const QString failedBatch = QStringLiteral("Unable to store the SHA1 of 1 files in database");
    std::uint64_t lastFileStarted = 0;

    stage.processFiles(groupingOf({items}), 0, 3, [&](const QString&, const FileItemPtr&, StageProgressInfo info, bool*) {
        if (info.fileBytesDone != 0)
            return;
        lastFileStarted = info.doneCount;
        if (info.doneCount == 1) {
            EXPECT_TRUE(waitUntil([&] { return log.text().contains(failedBatch); }));
        }
    });

    EXPECT_TRUE(stage.hasFailed());
    EXPECT_EQ(lastFileStarted, 1u) << "the stage ends at the refused digest";
    EXPECT_TRUE(storedDigests(*store).value(items[1]->name()).isEmpty());
    EXPECT_EQ(log.levelledLines(), QStringList{QStringLiteral("Error: ") + failedBatch});
}

TEST(ReliableStage, aStopInsideAFileWarnsAndRecordsNothing)
{
    TemporaryTree tree;
    LogCapture log;
    const std::shared_ptr<PairsiftDatabase> store = temporaryStore(tree);
    const QByteArray content = patternBytes(3 * Chunk, 5);
    const auto items = countedItems(tree, {{"big1", content}, {"big2", content}});
    addRows(*store, items);
    ProcessingStageSHA1 stage(QStringLiteral("reliable"), nullptr, log.logger(), store);
    // Call 0 comes before the first file, call 1 after its first chunk.
    ProgressRecorder recorder(1);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, 2, recorder.block());

    EXPECT_EQ(output.count(), 0u);
    EXPECT_EQ(recorder.calls().size(), 2u);
    EXPECT_EQ(recorder.calls()[1].info.fileBytesDone, static_cast<std::uint64_t>(Chunk));
    EXPECT_EQ(recorder.calls()[1].info.fileBytesTotal, static_cast<std::uint64_t>(3 * Chunk));
    const QString first = recorder.calls()[0].file;
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("User cancelled hashing file '%1'").arg(first)});
    for (const QByteArray& digest : storedDigests(*store))
        EXPECT_TRUE(digest.isEmpty());
}

} // namespace
} // namespace pairsift::test
