// The run-wide progress count and the stop behaviour of the pipeline.
#include "ProcessingTestSupport.h"

#include "processing/ProcessingPipeline.h"
#include "store/PairsiftDatabase.h"
#include "testkit/ConsoleCapture.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

// Six files in two size groups.
const QStringList Names{"/s/1", "/s/2", "/s/3", "/s/4", "/s/5", "/s/6"};

std::shared_ptr<const FileGrouping> sixFiles()
{
    const auto items = itemsNamed(Names);
    return std::make_shared<const FileGrouping>(
        groupingOf({{items[0], items[1], items[2], items[3]}, {items[4], items[5]}}));
}

TableStage::Keys keysFor(const QList<std::optional<std::uint64_t>>& keys)
{
    TableStage::Keys table;
    for (qsizetype index = 0; index < keys.size(); ++index)
        table.insert(Names[index], keys[index]);
    return table;
}

struct ArithmeticCase {
    const char* name;
    // One table per stage, in running order: the keys of the six files.
    std::vector<QList<std::optional<std::uint64_t>>> stageKeys;
    // Per stage, the done counts of its file reports in call order.
    std::vector<std::vector<std::uint64_t>> expectedDone;
};

void PrintTo(const ArithmeticCase& test, std::ostream* out)
{
    *out << test.name;
}

class PipelineProgress : public testing::TestWithParam<ArithmeticCase> {};

TEST_P(PipelineProgress, countsOneRunFromZeroToTheTotal)
{
    const ArithmeticCase& test = GetParam();
    ProcessingPipeline::Stages stages;
    for (std::size_t index = 0; index < test.stageKeys.size(); ++index)
        stages.push_back(std::make_unique<TableStage>(QString::number(index), keysFor(test.stageKeys[index])));
    ProcessingPipeline pipeline(sixFiles(), std::move(stages));
    ProgressRecorder recorder;

    pipeline.processFilesWithProgress(recorder.block());

    const std::uint64_t total = 6 * test.stageKeys.size();
    EXPECT_EQ(pipeline.totalFiles(), total);
    std::vector<std::vector<std::uint64_t>> done(test.stageKeys.size());
    for (const ProgressCall& call : recorder.calls()) {
        EXPECT_EQ(call.info.totalCount, total);
        done[call.stage.toULongLong()].push_back(call.info.doneCount);
    }
    EXPECT_EQ(done, test.expectedDone);
}

const std::optional<std::uint64_t> Fails;

INSTANTIATE_TEST_SUITE_P(Cases, PipelineProgress,
    testing::Values(
        ArithmeticCase{"noneDropped", {{1, 1, 1, 1, 2, 2}, {1, 1, 1, 1, 2, 2}}, {{0, 1, 2, 3, 4, 5}, {6, 7, 8, 9, 10, 11}}},
        // The fast stage drops a failed file and a size group whose two files differ: d = 3, so the
        // second stage starts at N + d and its last file is 2N − 1.
        ArithmeticCase{"dropsInTheFirstStage", {{Fails, 1, 1, 1, 3, 2}, {1, 1, 1, 1, 1, 1}},
            {{0, 1, 2, 3, 4, 5}, {9, 10, 11}}},
        ArithmeticCase{"dropsInEveryStage", {{Fails, 1, 1, 1, 2, 2}, {1, 1, 1, 1, 2, 3}, {1, 1, 1, 1, 1, 1}},
            {{0, 1, 2, 3, 4, 5}, {7, 8, 9, 10, 11}, {15, 16, 17}}},
        ArithmeticCase{"everythingDroppedEarly", {{1, 2, 3, 4, 5, 6}, {1, 1, 1, 1, 1, 1}}, {{0, 1, 2, 3, 4, 5}, {}}}),
    [](const testing::TestParamInfo<ArithmeticCase>& info) { return std::string(info.param.name); });

struct StopCase {
    const char* name;
    std::size_t stopAtCall;
    // Reports the second stage makes: one when the first stage's partial output holds a group.
    std::vector<std::uint64_t> expectedSecondStageDone;
};

void PrintTo(const StopCase& test, std::ostream* out)
{
    *out << test.name;
}

class PipelineStop : public testing::TestWithParam<StopCase> {};

TEST_P(PipelineStop, inTheFirstStageStillCallsTheSecondWhichHashesNothing)
{
    const StopCase& test = GetParam();
    const QList<std::optional<std::uint64_t>> sameKeys{1, 1, 1, 1, 2, 2};
    auto first = std::make_unique<TableStage>(QStringLiteral("0"), keysFor(sameKeys));
    auto second = std::make_unique<TableStage>(QStringLiteral("1"), keysFor(sameKeys));
    const TableStage* secondStage = second.get();
    ProcessingPipeline::Stages stages;
    stages.push_back(std::move(first));
    stages.push_back(std::move(second));
    ProcessingPipeline pipeline(sixFiles(), std::move(stages));
    ProgressRecorder recorder(test.stopAtCall);

    const FileGrouping result = pipeline.processFilesWithProgress(recorder.block());

    std::vector<std::uint64_t> secondStageDone;
    for (const ProgressCall& call : recorder.calls()) {
        if (call.stage == QLatin1String("1"))
            secondStageDone.push_back(call.info.doneCount);
    }
    EXPECT_EQ(secondStageDone, test.expectedSecondStageDone);
    EXPECT_TRUE(secondStage->contentCalls().isEmpty());
    EXPECT_EQ(result.count(), 0u);
    EXPECT_EQ(result.groupedBy(), FileGroupingByHash);
}

INSTANTIATE_TEST_SUITE_P(Cases, PipelineStop,
    testing::Values(
        // Two files of one size group finished: the second stage is offered them and stops at once.
        // Dropped = 6 − 2, so it reports 6 + 4.
        StopCase{"withAPartialGroup", 2, {10}},
        // One file finished: a single, pruned, so the second stage has nothing to report.
        StopCase{"withNothingFinished", 1, {}}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST(ProcessingPipeline, runsTheFastThenTheReliableStageOnTheSameInput)
{
    TemporaryTree tree;
    const auto items = itemsNamed(Names);
    ProcessingPipeline pipeline(groupingOf({{items[0], items[1], items[2]}}), nullptr, temporaryStore(tree));

    ASSERT_EQ(pipeline.stages().size(), 2u);
    EXPECT_EQ(pipeline.stages()[0]->name(), QStringLiteral("Performing fast comparison\u2026"));
    EXPECT_EQ(pipeline.stages()[1]->name(), QStringLiteral("Performing reliable comparison\u2026"));
    for (const auto& stage : pipeline.stages())
        EXPECT_EQ(stage->inFileGroups(), pipeline.inFileGroups());
    EXPECT_EQ(pipeline.totalFiles(), 6u);
}

TEST(ProcessingPipeline, anEmptyInputRunsBothStagesAndAnswersAnEmptyHashGrouping)
{
    TemporaryTree tree;
    ProcessingPipeline pipeline(FileGrouping(FileGroupingBySize), nullptr, temporaryStore(tree));
    ProgressRecorder recorder;
    ConsoleCapture console;

    const FileGrouping result = pipeline.processFilesWithProgress(recorder.block());

    EXPECT_EQ(pipeline.totalFiles(), 0u);
    EXPECT_TRUE(recorder.calls().empty());
    EXPECT_EQ(result.count(), 0u);
    EXPECT_EQ(result.groupedBy(), FileGroupingByHash);
    EXPECT_EQ(console.texts(), (QStringList{"MurmurHash stage count in: 0, done: 0, total: 0",
                                   "MurmurHash stage count out: 0, difference: 0, done: 0",
                                   "SHA1 stage count in: 0, done: 0, total: 0",
                                   "SHA1 stage count out: 0, difference: 0, done: 0"}));
}

} // namespace
} // namespace pairsift::test
