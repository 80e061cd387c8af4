// The loop every comparison stage shares, driven by a stage whose keys come from a table.
#include "ProcessingTestSupport.h"

#include "testkit/ConsoleCapture.h"
#include "testkit/LogCapture.h"

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

const QString StageName = QStringLiteral("Comparing\u2026");

TEST(StageLoop, reportsEveryFileBeforeItsContentWithTheRunCounts)
{
    const auto first = itemsNamed({"/g/a1", "/g/a2", "/g/a3"});
    const auto second = itemsNamed({"/g/b1", "/g/b2"});
    TableStage stage(StageName, {{"/g/a1", 1}, {"/g/a2", 1}, {"/g/a3", 1}, {"/g/b1", 2}, {"/g/b2", 2}}, 2);
    ProgressRecorder recorder;

    stage.processFiles(groupingOf({first, second}), 10, 40, recorder.block());

    const std::vector<ProgressCall> fileCalls = recorder.fileCalls();
    ASSERT_EQ(fileCalls.size(), 5u);
    for (std::size_t index = 0; index < fileCalls.size(); ++index) {
        EXPECT_EQ(fileCalls[index].stage, StageName);
        EXPECT_EQ(fileCalls[index].info.doneCount, 10 + index);
        EXPECT_EQ(fileCalls[index].info.totalCount, 40u);
        EXPECT_EQ(fileCalls[index].info.fileBytesDone, 0u);
        EXPECT_FALSE(fileCalls[index].info.fileProgressVisible);
    }
    // Each file: one call before it, then one per chunk with the same counts and its bytes.
    ASSERT_EQ(recorder.calls().size(), 15u);
    for (std::size_t index = 0; index < recorder.calls().size(); index += 3) {
        const ProgressCall& before = recorder.calls()[index];
        for (std::size_t chunk = 1; chunk <= 2; ++chunk) {
            const ProgressCall& call = recorder.calls()[index + chunk];
            EXPECT_EQ(call.file, before.file);
            EXPECT_EQ(call.info.doneCount, before.info.doneCount);
            EXPECT_EQ(call.info.totalCount, 40u);
            EXPECT_EQ(call.info.fileBytesDone, chunk * 100);
            EXPECT_EQ(call.info.fileBytesTotal, 200u);
        }
    }
}

TEST(StageLoop, groupsByContentKeyAcrossInputGroupsAndDropsSingles)
{
    const auto first = itemsNamed({"/g/a1", "/g/a2", "/g/a3"});
    const auto second = itemsNamed({"/g/b1", "/g/b2"});
    TableStage stage(StageName, {{"/g/a1", 7}, {"/g/a2", 7}, {"/g/a3", 8}, {"/g/b1", 7}, {"/g/b2", 9}});

    const FileGrouping output = stage.processFiles(groupingOf({first, second}), 0, 10, {});

    EXPECT_EQ(output.groupedBy(), FileGroupingByHash);
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{"/g/a1", "/g/a2", "/g/b1"}}));
    EXPECT_EQ(stage.contentCalls().size(), 5);
}

TEST(StageLoop, visitsTheGroupsOfLargerFilesFirst)
{
    const auto small = itemsNamed({"/g/s1", "/g/s2"});
    const auto large = itemsNamed({"/g/l1", "/g/l2"});
    const auto middle = itemsNamed({"/g/m1", "/g/m2"});
    for (const auto& [group, size] : {std::pair{small, 10}, std::pair{large, 1000}, std::pair{middle, 100}}) {
        for (const FileItemPtr& file : group)
            file->setTotalSize(size);
    }
    TableStage stage(StageName, {{"/g/s1", 1}, {"/g/s2", 1}, {"/g/l1", 2}, {"/g/l2", 2}, {"/g/m1", 3}, {"/g/m2", 3}});

    stage.processFiles(groupingOf({small, large, middle}), 0, 6, {});

    EXPECT_EQ(stage.contentCalls(), (QStringList{"/g/l1", "/g/l2", "/g/m1", "/g/m2", "/g/s1", "/g/s2"}));
}

TEST(StageLoop, leavesOutAndLogsEveryFileWhoseContentCannotBeRead)
{
    LogCapture log;
    const auto group = itemsNamed({"/g/kept", "/g/unreadable", "/g/missing"});
    const auto pair = itemsNamed({"/g/p1", "/g/p2"});
    TableStage stage(StageName, {{"/g/kept", 1}, {"/g/unreadable", std::nullopt}, {"/g/p1", 2}, {"/g/p2", 2}}, 0,
        log.logger());

    const FileGrouping output = stage.processFiles(groupingOf({group, pair}), 0, 10, {});

    // The group left with one readable file disappears; the other one is untouched.
    EXPECT_EQ(namesByGroup(output), (std::vector<QStringList>{{"/g/p1", "/g/p2"}}));
    QStringList texts = log.texts();
    texts.sort();
    EXPECT_EQ(texts, (QStringList{"Unable to look up file '/g/missing'.", "Unable to look up file '/g/unreadable'."}));
    const QList<LoggedLine> lines = log.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].level, QStringLiteral("Error"));
}

struct CancelCase {
    const char* name;
    int chunksPerFile;
    std::size_t stopAtCall;
    QStringList expectedContentCalls;
    std::size_t expectedCalls;
    QStringList expectedLog;
    std::vector<QStringList> expectedOutput;
    // The cancelled file was visited, so it counts.
    int expectedDone;
};

void PrintTo(const CancelCase& test, std::ostream* out)
{
    *out << test.name;
}

class StageLoopCancel : public testing::TestWithParam<CancelCase> {};

TEST_P(StageLoopCancel, endsAtTheCancelAndKeepsTheFilesFinishedBefore)
{
    const CancelCase& test = GetParam();
    LogCapture log;
    ConsoleCapture console;
    const auto files = itemsNamed({"/g/1", "/g/2", "/g/3", "/g/4"});
    TableStage stage(StageName, {{"/g/1", 5}, {"/g/2", 5}, {"/g/3", 5}, {"/g/4", 5}}, test.chunksPerFile,
        log.logger());
    ProgressRecorder recorder(test.stopAtCall);

    const FileGrouping output = stage.processFiles(groupingOf({files}), 100, 400, recorder.block());

    EXPECT_EQ(stage.contentCalls(), test.expectedContentCalls);
    EXPECT_EQ(recorder.calls().size(), test.expectedCalls);
    EXPECT_EQ(log.texts(), test.expectedLog);
    EXPECT_EQ(namesByGroup(output), test.expectedOutput);
    EXPECT_EQ(console.texts().back(), QStringLiteral("Table stage count out: %1, difference: %2, done: %3")
                                          .arg(output.count())
                                          .arg(4 - output.count())
                                          .arg(test.expectedDone));
}

INSTANTIATE_TEST_SUITE_P(Cases, StageLoopCancel,
    testing::Values(
        // Before the third file: it is never read and nothing is logged for it.
        CancelCase{"beforeAFile", 0, 2, {"/g/1", "/g/2"}, 3, {}, {{"/g/1", "/g/2"}}, 103},
        // Before the second file: the one finished file is a single and is pruned.
        CancelCase{"beforeTheSecondFile", 0, 1, {"/g/1"}, 2, {}, {}, 102},
        // During the first chunk of the second file: it is left out with a warning.
        CancelCase{"duringAFile", 2, 4, {"/g/1", "/g/2"}, 5, {"User cancelled looking up file '/g/2'"}, {}, 102},
        // During the first chunk of the third file.
        CancelCase{"duringALaterFile", 2, 7, {"/g/1", "/g/2", "/g/3"}, 8, {"User cancelled looking up file '/g/3'"},
            {{"/g/1", "/g/2"}}, 103}),
    [](const testing::TestParamInfo<CancelCase>& info) { return std::string(info.param.name); });

TEST(StageLoop, writesItsCountsToTheConsole)
{
    ConsoleCapture console;
    const auto files = itemsNamed({"/g/1", "/g/2", "/g/3"});
    TableStage stage(StageName, {{"/g/1", 1}, {"/g/2", 1}});

    stage.processFiles(groupingOf({files}), 6, 30, {});

    EXPECT_EQ(console.texts(), (QStringList{"Table stage count in: 3, done: 6, total: 30",
                                   "Table stage count out: 2, difference: 1, done: 9"}));
}

struct VisibilityCase {
    const char* name;
    std::vector<std::int64_t> clockReadings; // the first is the file's start
    std::vector<bool> expectedVisible;       // one per chunk
};

void PrintTo(const VisibilityCase& test, std::ostream* out)
{
    *out << test.name;
}

class StageLoopFileProgress : public testing::TestWithParam<VisibilityCase> {};

TEST_P(StageLoopFileProgress, becomesVisibleAfterOneWholeSecond)
{
    const VisibilityCase& test = GetParam();
    const auto files = itemsNamed({"/g/long"});
    TableStage stage(StageName, {{"/g/long", 1}}, static_cast<int>(test.expectedVisible.size()));
    std::size_t reading = 0;
    stage.setClock([&] { return test.clockReadings.at(reading++); });
    ProgressRecorder recorder;

    stage.processFiles(groupingOf({files}), 0, 1, recorder.block());

    std::vector<bool> visible;
    for (std::size_t index = 1; index < recorder.calls().size(); ++index)
        visible.push_back(recorder.calls()[index].info.fileProgressVisible);
    EXPECT_EQ(visible, test.expectedVisible);
    EXPECT_EQ(reading, test.clockReadings.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, StageLoopFileProgress,
    testing::Values(VisibilityCase{"quickFile", {0, 300, 600, 999}, {false, false, false}},
        VisibilityCase{"turnsOnAtTheFirstChunkAfterASecond", {0, 400, 1000, 1500}, {false, true, true}},
        VisibilityCase{"wholeSecondsOnly", {5000, 5999, 6000}, {false, true}}),
    [](const testing::TestParamInfo<VisibilityCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace pairsift::test
