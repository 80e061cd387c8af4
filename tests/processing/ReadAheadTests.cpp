// Stages whose files are read ahead on helper threads: more files than the read-ahead keeps in hand at
// once, and stops while helpers read or wait for room.
#include "ProcessingTestSupport.h"

#include "processing/ProcessingPipeline.h"
#include "testkit/Gate.h"
#include "testkit/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <stdexcept>

namespace pairsift::test {
namespace {

// Reads ahead and answers each file's key with the given function.
class ReadAheadStage : public ProcessingStage {
public:
    using Content = std::function<std::optional<FileGroupKey>(const FileItem&, const HashProgressBlock&)>;

    ReadAheadStage(Content content, int readerCount, SOLoggerPtr logger = {})
        : ProcessingStage(QStringLiteral("Reading"), nullptr, std::move(logger), nullptr)
        , m_content(std::move(content))
    {
        setReaderCount(readerCount);
    }

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override
    {
        static const StageTexts texts{"in: %lu %lu %lu", "out: %lu %lu %lu", "Stopped '%@'", "Failed '%@'."};
        return texts;
    }
    bool readsAhead() const override { return true; }
    std::optional<FileGroupKey> contentKey(const FileItem& file, const HashProgressBlock& chunkProgress) override
    {
        return m_content(file, chunkProgress);
    }

private:
    Content m_content;
};

// Key: the number in the name modulo 3; one chunk of 10 bytes per file.
std::optional<FileGroupKey> numberModuloThree(const FileItem& file, const HashProgressBlock& chunkProgress)
{
    bool stop = false;
    chunkProgress(10, 10, &stop);
    if (stop)
        return std::nullopt;
    return FileGroupKey(file.name().mid(3).toULongLong() % 3);
}

// Files named "…endless…" report chunks until asked to stop; the others are one chunk long and all have
// key 1, so any file that joins the output joins one group.
std::optional<FileGroupKey> endlessOrOne(const FileItem& file, const HashProgressBlock& chunkProgress)
{
    const bool isEndless = file.name().contains(QLatin1String("endless"));
    const quint64 total = isEndless ? ~quint64{0} : 10;
    for (quint64 chunk = 1;; ++chunk) {
        bool stop = false;
        chunkProgress(std::min<quint64>(chunk * FileItem::ChunkSize, total), total, &stop);
        if (stop)
            return std::nullopt;
        if (!isEndless)
            return FileGroupKey(std::uint64_t{1});
    }
}

std::vector<FileItemPtr> numberedItems(std::size_t count)
{
    QStringList names;
    for (std::size_t index = 0; index < count; ++index)
        names.append(QStringLiteral("/n/%1").arg(index));
    return itemsNamed(names);
}

struct WindowCase {
    const char* name;
    std::size_t fileCount;
    std::optional<std::size_t> stopAtCall; // calls alternate: before a file, after its chunk
    std::size_t expectedOutput;
};

void PrintTo(const WindowCase& test, std::ostream* out)
{
    *out << test.name;
}

class ReadAheadWindow : public testing::TestWithParam<WindowCase> {};

TEST_P(ReadAheadWindow, takesEveryFileInOrderWithItsOwnKey)
{
    const WindowCase& test = GetParam();
    const auto items = numberedItems(test.fileCount);
    ReadAheadStage stage(numberModuloThree, 3);
    ProgressRecorder recorder(test.stopAtCall);

    const FileGrouping output = stage.processFiles(groupingOf({items}), 0, test.fileCount, recorder.block());

    EXPECT_EQ(output.count(), test.expectedOutput);
    for (const auto& [key, files] : output.fileGroups()) {
        for (const FileItemPtr& file : files)
            EXPECT_EQ(file->name().mid(3).toULongLong() % 3, key.number());
    }
    // Before each file its own call, then its chunk: the replay follows the loop's order.
    for (std::size_t call = 0; call + 1 < recorder.calls().size(); call += 2) {
        ASSERT_EQ(recorder.calls()[call].file, items[call / 2]->name());
        EXPECT_EQ(recorder.calls()[call + 1].file, items[call / 2]->name());
        EXPECT_EQ(recorder.calls()[call + 1].info.fileBytesDone, 10u);
    }
}

// Enough files that the helpers wait for room several times over; a stop soon after the start
// must still end helpers that are waiting for room.
INSTANTIATE_TEST_SUITE_P(Cases, ReadAheadWindow,
    testing::Values(WindowCase{"manyWindows", 3 * StageReadAhead::windowSize + 5, std::nullopt,
                        3 * StageReadAhead::windowSize + 5},
        WindowCase{"stopWhileHelpersWait", 3 * StageReadAhead::windowSize, 41, 20}),
    [](const testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

// With every helper inside an endless file, the run can only end if each of them sees the stop.
TEST(ReadAheadStop, endsEveryHelpersReadAndDropsTheFilesReadPastIt)
{
    const auto files = itemsNamed({"/r/a", "/r/b", "/r/endless1", "/r/c", "/r/endless2", "/r/endless3", "/r/d"});
    LogCapture log;
    ReadAheadStage stage(endlessOrOne, 4, log.logger());
    // Calls: 0 before a, 1 its chunk, 2 before b, 3 its chunk, 4 before endless1, 5… its chunks.
    ProgressRecorder recorder(7);

    const FileGrouping output = stage.processFiles(groupingOf({files}), 0, 7, recorder.block());

    ASSERT_EQ(recorder.calls().size(), 8u);
    for (std::size_t chunk = 5; chunk < 8; ++chunk) {
        EXPECT_EQ(recorder.calls()[chunk].file, QStringLiteral("/r/endless1"));
        EXPECT_EQ(recorder.calls()[chunk].info.fileBytesDone, (chunk - 4) * FileItem::ChunkSize);
    }
    // c and d were read ahead, yet never join: only what came before the stop counts.
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{"/r/a", "/r/b"}}));
    EXPECT_EQ(log.texts(), QStringList{QStringLiteral("Stopped '/r/endless1'")});
}

// One set of helpers serves every stage of a run, and none outlives it. The stages' own teams would
// be larger than the run's and would stay after it.
TEST(ReadAheadPipeline, theStagesShareTheirHelpersForTheRunOnly)
{
    std::atomic<int> mostRunning{0};
    const auto recordingReader = [&](const FileItem& file, const HashProgressBlock& chunkProgress) {
        const int running = ReaderTeam::runningMembers();
        int most = mostRunning.load();
        while (running > most && !mostRunning.compare_exchange_weak(most, running)) {
        }
        return numberModuloThree(file, chunkProgress);
    };
    ProcessingPipeline::Stages stages;
    stages.push_back(std::make_unique<ReadAheadStage>(recordingReader, 2));
    stages.push_back(std::make_unique<ReadAheadStage>(recordingReader, 2));
    const auto items = numberedItems(3000);
    ProcessingPipeline pipeline(std::make_shared<const FileGrouping>(groupingOf({items})), std::move(stages));
    pipeline.setReaderCount(3);
    ASSERT_EQ(ReaderTeam::runningMembers(), 0);

    const FileGrouping output = pipeline.processFilesWithProgress({});

    EXPECT_EQ(output.count(), items.size());
    EXPECT_GE(mostRunning.load(), 1);
    EXPECT_LE(mostRunning.load(), 3);
    EXPECT_EQ(ReaderTeam::runningMembers(), 0);
}

// A stage that throws, on the loop's own thread or on a helper, ends the run as failed with the
// exception's text, never with the files handled before it as if they were all.
TEST(ReadAheadPipeline, anExceptionInAStageFailsTheRun)
{
    for (const int readers : {0, 2}) {
        const auto items = numberedItems(50);
        ProcessingPipeline::Stages stages;
        stages.push_back(std::make_unique<ReadAheadStage>(
            [](const FileItem& file, const HashProgressBlock& chunkProgress) {
                if (file.name() == QLatin1String("/n/30"))
                    throw std::runtime_error("disk on fire");
                return numberModuloThree(file, chunkProgress);
            },
            readers));
        ProcessingPipeline pipeline(std::make_shared<const FileGrouping>(groupingOf({items})), std::move(stages));
        ProgressRecorder recorder;

        const FileGrouping output = pipeline.processFilesWithProgress(recorder.block());

        EXPECT_TRUE(pipeline.hasFailed()) << readers;
        EXPECT_EQ(pipeline.failureReason(), QStringLiteral("disk on fire")) << readers;
        EXPECT_EQ(output.count(), 0u) << readers;
    }
}

// A helper that found no room is held between that look and its wait while the loop takes every file
// before it; it must still wake and read its file, or the loop would wait for it for ever.
TEST(ReadAheadRoom, aHelperHeldBeforeItsWaitWakesOnceTheLoopMakesRoom)
{
    constexpr std::uint32_t window = 4;
    const auto items = numberedItems(window + 2);
    std::vector<const FileItem*> files;
    for (const FileItemPtr& item : items)
        files.push_back(item.get());
    Gate atWait;
    Gate drained;
    Gate beyondWindowRead;
    ReaderTeam team(1);
    StageReadAhead::Options options;
    options.window = window;
    options.beforeRoomWait = [&](std::uint32_t) {
        atWait.open();
        drained.wait();
    };
    StageReadAhead readAhead(files, team,
        [&](const FileItem& file, const HashProgressBlock&) {
            if (&file == files[window])
                beyondWindowRead.open();
            return std::optional<FileGroupKey>(FileGroupKey(file.name().mid(3).toULongLong()));
        },
        options);

    ASSERT_TRUE(atWait.wait());
    for (std::uint32_t index = 0; index < window; ++index)
        EXPECT_EQ(readAhead.take(index, {}).key, FileGroupKey(std::uint64_t{index}));
    drained.open();

    const bool isWoken = beyondWindowRead.wait();
    EXPECT_TRUE(isWoken) << "the helper slept through the room the loop made";
    if (!isWoken) {
        readAhead.stop();
        return;
    }
    for (std::uint32_t index = window; index < files.size(); ++index)
        EXPECT_EQ(readAhead.take(index, {}).key, FileGroupKey(std::uint64_t{index}));
}

} // namespace
} // namespace pairsift::test
