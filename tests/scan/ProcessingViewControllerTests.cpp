// Comparison runs through the controller: real runs over temporary trees, and runs held at a gate so that
// stop, a second start, destruction and the coalescing of progress can be checked while they certainly run.
#include "scan/ProcessingViewController.h"

#include "model/Session.h"
#include "processing/ProcessingStage.h"
#include "processing/ProcessingTestSupport.h"
#include "scan/DKDockProgressIndicator.h"
#include "platform/DockTile.h"
#include "store/PairsiftDatabase.h"
#include "testkit/EventLoopWait.h"
#include "testkit/TemporaryTree.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

namespace pairsift {
namespace {

using test::namesByGroup;
using test::patternBytes;
using test::TemporaryTree;

class RecordingTile : public DockTile {
public:
    QImage applicationIcon() override { return QImage(128, 128, QImage::Format_ARGB32); }
    void display(const QImage&, double) override { ++displays; }
    void restore() override { ++restores; }

    int displays = 0;
    int restores = 0;
};

// Holds the first file of a gated run until the test opens it or the run is stopped.
class Gate {
public:
    void noteReported() { change([this] { m_isReported = true; }); }
    void noteStopSeen() { change([this] { m_isStopSeen = true; }); }
    void open() { change([this] { m_isOpen = true; }); }

    // False only when the worker never got there (the test then fails instead of hanging).
    bool waitUntilReported()
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_isReported; });
    }
    bool waitForOpen(std::chrono::milliseconds interval)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, interval, [this] { return m_isOpen; });
    }
    bool isStopSeen()
    {
        const std::lock_guard lock(m_mutex);
        return m_isStopSeen;
    }

private:
    void change(const std::function<void()>& update)
    {
        {
            const std::lock_guard lock(m_mutex);
            update();
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_isReported = false;
    bool m_isStopSeen = false;
    bool m_isOpen = false;
};

constexpr std::uint64_t gatedChunks = 1000;
constexpr std::uint64_t gatedChunkBytes = 100;

// Puts every file under one key. For the first file it reports `gatedChunks` chunks, tells the gate and
// waits for it to open; when it polls, it keeps reporting the last chunk meanwhile and also ends when a
// report answers stop. Without polling it reports once more after the gate opens.
class GatedStage : public ProcessingStage {
public:
    GatedStage(std::shared_ptr<const FileGrouping> grouping, std::shared_ptr<Gate> gate, bool pollsWhileHeld)
        : ProcessingStage(QStringLiteral("Gated comparison"), std::move(grouping), nullptr, nullptr)
        , m_gate(std::move(gate))
        , m_pollsWhileHeld(pollsWhileHeld)
    {
    }

protected:
    FileGroupingKind outputKind() const override { return FileGroupingByHash; }
    const StageTexts& texts() const override
    {
        static const StageTexts texts{"Gated stage count in: %lu, done: %lu, total: %lu",
            "Gated stage count out: %lu, difference: %lu, done: %lu", "Gate cancelled '%@'", "Gate failed '%@'"};
        return texts;
    }
    std::optional<FileGroupKey> contentKey(const FileItem&, const HashProgressBlock& chunkProgress) override
    {
        if (m_hasHeld)
            return FileGroupKey(std::uint64_t{1});
        m_hasHeld = true;
        constexpr std::uint64_t size = gatedChunks * gatedChunkBytes;
        bool stop = false;
        for (std::uint64_t chunk = 1; chunk <= gatedChunks && !stop; ++chunk)
            chunkProgress(chunk * gatedChunkBytes, size, &stop);
        m_gate->noteReported();
        while (!stop && !m_gate->waitForOpen(std::chrono::milliseconds(5))) {
            if (m_pollsWhileHeld)
                chunkProgress(size, size, &stop);
        }
        if (!stop)
            chunkProgress(size, size, &stop);
        if (stop) {
            m_gate->noteStopSeen();
            return std::nullopt;
        }
        return FileGroupKey(std::uint64_t{1});
    }

private:
    std::shared_ptr<Gate> m_gate;
    bool m_pollsWhileHeld;
    bool m_hasHeld = false;
};

// Counts the queued calls the controller receives.
class QueuedCallCounter : public QObject {
public:
    explicit QueuedCallCounter(QObject& target) { target.installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override
    {
        count += event->type() == QEvent::MetaCall ? 1 : 0;
        return false;
    }

    int count = 0;
};

struct Completion {
    ProcessingCompletionBlock block()
    {
        return [this](bool finished, const FileGrouping& grouping) {
            ++calls;
            isFinished = finished;
            result = grouping;
        };
    }

    int calls = 0;
    bool isFinished = false;
    std::optional<FileGrouping> result;
};

class ProcessingViewControllerTest : public testing::Test {
protected:
    ProcessingViewControllerTest()
        : m_store(PairsiftDatabase::databaseWithPath(m_outside.path(QStringLiteral("store.db3"))))
        , m_session(m_store, nullptr)
        , m_tile(std::make_shared<RecordingTile>())
        , m_controller(std::make_unique<ProcessingViewController>(m_tile))
    {
    }
    // A test that failed while a run was held must not leave the worker waiting for ever.
    ~ProcessingViewControllerTest() override { m_gate->open(); }

    // Writes the files and counts them into the session, as the counting stage leaves it.
    void count(const std::vector<std::pair<QString, QByteArray>>& files)
    {
        ASSERT_TRUE(m_store->beginTransaction());
        for (const auto& [relative, content] : files) {
            const FileItemPtr file = FileItem::create(m_tree.writeFile(relative, content));
            file->fillAttributes(FileItem::AllAttributes);
            file->setContainerType(QStringLiteral("directory"));
            file->setContainerPath(m_tree.root());
            ASSERT_TRUE(m_session.addNewFile(file));
        }
        ASSERT_TRUE(m_store->commit());
    }

    // Runs one stage that holds its first file at the gate.
    void gateRuns(bool pollsWhileHeld = true)
    {
        m_controller->setPipelineFactory([gate = m_gate, pollsWhileHeld](FileGrouping bySize, SOLoggerPtr,
                                             std::shared_ptr<PairsiftDatabase>) {
            auto grouping = std::make_shared<const FileGrouping>(std::move(bySize));
            ProcessingPipeline::Stages stages;
            stages.push_back(std::make_unique<GatedStage>(grouping, gate, pollsWhileHeld));
            return std::make_unique<ProcessingPipeline>(grouping, std::move(stages));
        });
        count({{QStringLiteral("one"), patternBytes(50, 1)}, {QStringLiteral("two"), patternBytes(50, 2)}});
    }

    void start() { m_controller->processFilesInSession(m_session, nullptr, m_completion.block()); }
    bool waitForCompletion()
    {
        return test::waitUntil([this] { return m_completion.calls > 0; });
    }

    TemporaryTree m_tree;
    TemporaryTree m_outside;
    std::shared_ptr<PairsiftDatabase> m_store;
    Session m_session;
    std::shared_ptr<RecordingTile> m_tile;
    std::shared_ptr<Gate> m_gate = std::make_shared<Gate>();
    Completion m_completion;
    std::unique_ptr<ProcessingViewController> m_controller;
};

TEST_F(ProcessingViewControllerTest, sizesThatAreAllUniqueCompleteAtOnceWithAnEmptyGrouping)
{
    count({{QStringLiteral("a"), patternBytes(10, 1)}, {QStringLiteral("b"), patternBytes(20, 1)},
        {QStringLiteral("c"), patternBytes(30, 1)}});
    start();
    ASSERT_TRUE(waitForCompletion());

    EXPECT_EQ(m_completion.calls, 1);
    EXPECT_TRUE(m_completion.isFinished);
    EXPECT_EQ(m_completion.result->groupedBy(), FileGroupingByHash);
    EXPECT_EQ(m_completion.result->count(), 0u);
    // A finished run keeps none of the scan's files.
    EXPECT_EQ(m_controller->pipeline(), nullptr);
    EXPECT_FALSE(m_controller->isRunning());
    EXPECT_TRUE(m_controller->dockProgressIndicator()->isHidden());
    EXPECT_EQ(m_tile->restores, 1);
}

TEST_F(ProcessingViewControllerTest, aRunOverATreeGroupsTheDuplicatesBySHA1)
{
    const QByteArray large = patternBytes(300000, 3);
    QByteArray nearMiss = patternBytes(1000, 4);
    nearMiss[999] = static_cast<char>(nearMiss[999] ^ 1);
    count({
        {QStringLiteral("a1"), large},
        {QStringLiteral("sub/a2"), large},
        {QStringLiteral("b1"), patternBytes(1000, 4)},
        {QStringLiteral("b2"), patternBytes(1000, 4)},
        {QStringLiteral("b-last"), nearMiss},
        {QStringLiteral("unique"), patternBytes(77, 5)},
    });
    start();
    EXPECT_TRUE(m_controller->isRunning());
    EXPECT_FALSE(m_controller->dockProgressIndicator()->isHidden());
    ASSERT_TRUE(waitForCompletion());

    EXPECT_TRUE(m_completion.isFinished);
    const FileGrouping& result = *m_completion.result;
    EXPECT_EQ(result.groupedBy(), FileGroupingByHash);
    const std::vector<QStringList> expected{
        {m_tree.path(QStringLiteral("a1")), m_tree.path(QStringLiteral("sub/a2"))},
        {m_tree.path(QStringLiteral("b1")), m_tree.path(QStringLiteral("b2"))},
    };
    EXPECT_EQ(namesByGroup(result), expected);
    for (const auto& [key, files] : result.fileGroups())
        EXPECT_EQ(key.bytes(), files.front()->sha1());

    // Five candidates through two stages; the last report applied is the last file's.
    EXPECT_EQ(m_controller->total(), 10u);
    EXPECT_EQ(m_controller->done(), 9u);
    EXPECT_EQ(m_controller->stage(), QStringLiteral("Performing reliable comparison\u2026"));
    EXPECT_FALSE(m_controller->isRunning());
    EXPECT_EQ(m_controller->uiUpdateTimer(), nullptr);
    EXPECT_TRUE(m_controller->dockProgressIndicator()->isHidden());
    EXPECT_GE(m_tile->displays, 1);
    EXPECT_EQ(m_tile->restores, 1);

    // The digests reached the store, as the results list will load them.
    m_session.loadFilesFromDatabase();
    EXPECT_EQ(m_session.groupCount(), 2u);
}

TEST_F(ProcessingViewControllerTest, stopDuringARunCompletesWithNo)
{
    gateRuns();
    start();
    ASSERT_TRUE(m_gate->waitUntilReported());
    ASSERT_NE(m_controller->uiUpdateTimer(), nullptr);
    EXPECT_TRUE(m_controller->uiUpdateTimer()->isActive());

    m_controller->stop();
    ASSERT_TRUE(waitForCompletion());

    EXPECT_TRUE(m_gate->isStopSeen());
    EXPECT_EQ(m_completion.calls, 1);
    EXPECT_FALSE(m_completion.isFinished);
    EXPECT_EQ(m_completion.result->groupedBy(), FileGroupingByHash);
    EXPECT_TRUE(m_controller->userStopped());
    EXPECT_FALSE(m_controller->isRunning());
    EXPECT_TRUE(m_controller->dockProgressIndicator()->isHidden());
    EXPECT_EQ(m_tile->restores, 1);
}

// A stage whose results cannot be kept, as when the disk is full.
class UnstorableStage : public test::TableStage {
public:
    using test::TableStage::TableStage;

protected:
    bool finishStage() override { return false; }
};

TEST_F(ProcessingViewControllerTest, aRunThatCannotStoreItsResultsCompletesWithNoAndSaysItFailed)
{
    count({{QStringLiteral("one"), patternBytes(50, 1)}, {QStringLiteral("two"), patternBytes(50, 1)}});
    m_controller->setPipelineFactory([](FileGrouping bySize, SOLoggerPtr, std::shared_ptr<PairsiftDatabase>) {
        auto grouping = std::make_shared<const FileGrouping>(std::move(bySize));
        ProcessingPipeline::Stages stages;
        stages.push_back(std::make_unique<UnstorableStage>(QStringLiteral("stage"), test::TableStage::Keys{}));
        return std::make_unique<ProcessingPipeline>(grouping, std::move(stages));
    });

    start();
    ASSERT_TRUE(waitForCompletion());

    EXPECT_FALSE(m_completion.isFinished);
    EXPECT_TRUE(m_controller->lastOutcome().hasFailed());
    EXPECT_FALSE(m_controller->userStopped());
}

TEST_F(ProcessingViewControllerTest, progressReachesTheMainThreadCoalesced)
{
    gateRuns(false);
    QueuedCallCounter queuedCalls(*m_controller);
    int fileDoneChanges = 0;
    int stageChanges = 0;
    QObject::connect(m_controller.get(), &ProcessingViewController::fileDoneChanged, [&] { ++fileDoneChanges; });
    QObject::connect(m_controller.get(), &ProcessingViewController::stageChanged, [&] { ++stageChanges; });
    start();
    // A report copies values only; the percentage waits for the timer.
    m_controller->setProgressString(QStringLiteral("timer's text"));
    // The main thread is busy while the worker reports a file and a thousand of its chunks.
    ASSERT_TRUE(m_gate->waitUntilReported());

    QCoreApplication::sendPostedEvents(m_controller.get(), QEvent::MetaCall);
    constexpr std::uint64_t fileBytes = gatedChunks * gatedChunkBytes;
    EXPECT_EQ(queuedCalls.count, 1);
    EXPECT_EQ(m_controller->fileDone(), fileBytes);
    EXPECT_EQ(fileDoneChanges, 1);
    EXPECT_EQ(stageChanges, 1);
    EXPECT_EQ(m_controller->stage(), QStringLiteral("Gated comparison"));
    EXPECT_EQ(m_controller->fileName(), m_tree.path(QStringLiteral("one")));
    EXPECT_EQ(m_controller->fileTotal(), fileBytes);
    EXPECT_EQ(m_controller->total(), 2u);
    EXPECT_EQ(m_controller->done(), 0u);
    EXPECT_EQ(m_controller->progressString(), QStringLiteral("timer's text"));

    m_gate->open();
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(m_completion.isFinished);
    EXPECT_EQ(m_completion.result->count(), 2u);
}

TEST_F(ProcessingViewControllerTest, aSecondStartDuringARunIsAnsweredNoAndLeavesTheRunAlone)
{
    gateRuns();
    start();
    ASSERT_TRUE(m_gate->waitUntilReported());

    Completion second;
    m_controller->processFilesInSession(m_session, nullptr, second.block());
    ASSERT_TRUE(test::waitUntil([&] { return second.calls > 0; }));
    EXPECT_FALSE(second.isFinished);
    EXPECT_EQ(second.result->count(), 0u);
    EXPECT_TRUE(m_controller->isRunning());
    EXPECT_EQ(m_completion.calls, 0);

    m_gate->open();
    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(m_completion.isFinished);
    EXPECT_EQ(m_completion.result->count(), 2u);
    EXPECT_EQ(second.calls, 1);
}

TEST_F(ProcessingViewControllerTest, destroyingTheControllerStopsAndJoinsTheRunWithoutCompleting)
{
    gateRuns();
    start();
    ASSERT_TRUE(m_gate->waitUntilReported());

    m_controller.reset();
    // The gate never opens: only the stop from the destructor lets the worker end before it is joined.
    EXPECT_TRUE(m_gate->isStopSeen());
    QCoreApplication::processEvents();
    EXPECT_EQ(m_completion.calls, 0);
    EXPECT_EQ(m_tile->restores, 1);
}

TEST_F(ProcessingViewControllerTest, aRunStartsFromResetTextsAndAnEmptyIconBar)
{
    count({{QStringLiteral("only"), patternBytes(10, 1)}});
    ProcessingViewController& controller = *m_controller;
    // What a previous run may have left behind.
    controller.setStage(QStringLiteral("Performing reliable comparison\u2026"));
    controller.setTotal(40);
    controller.setDone(39);
    controller.setFileName(QStringLiteral("/old/file"));
    controller.setFileDone(5);
    controller.setFileTotal(9);
    controller.setFileProgressVisible(true);
    controller.setProgressString(QStringLiteral("97.5%"));
    controller.setElapsedTimeString(QStringLiteral("Elapsed: 02:00:00"));
    controller.setRemainingTimeString(QStringLiteral("Remaining: 00:03:05"));
    controller.setUserStopped(true);
    controller.dockProgressIndicator()->setMaxValue(40);
    controller.dockProgressIndicator()->setDoubleValue(39);

    start();

    EXPECT_EQ(controller.stage(), QString());
    EXPECT_EQ(controller.total(), 100u);
    EXPECT_EQ(controller.done(), 0u);
    EXPECT_EQ(controller.fileName(), QString());
    EXPECT_EQ(controller.fileDone(), 0u);
    EXPECT_EQ(controller.fileTotal(), 0u);
    EXPECT_FALSE(controller.fileProgressVisible());
    EXPECT_EQ(controller.progressString(), QStringLiteral("0.0%"));
    EXPECT_EQ(controller.elapsedTimeString(), QStringLiteral("Elapsed: 00:00:00"));
    EXPECT_EQ(controller.remainingTimeString(), QStringLiteral("Remaining: --:--:--"));
    EXPECT_FALSE(controller.userStopped());
    EXPECT_EQ(controller.dockProgressIndicator()->minValue(), 0.0);
    EXPECT_EQ(controller.dockProgressIndicator()->doubleValue(), 0.0);
    EXPECT_EQ(controller.dockProgressIndicator()->barRect().width(), 0.0);
    EXPECT_FALSE(controller.dockProgressIndicator()->isHidden());

    ASSERT_TRUE(waitForCompletion());
    EXPECT_TRUE(m_completion.isFinished);
}

TEST_F(ProcessingViewControllerTest, theTimerFeedsTheIconBarAndTheTexts)
{
    ProcessingViewController& controller = *m_controller;
    controller.setTotal(200);
    controller.setDone(50);
    controller.timerFunction();

    EXPECT_EQ(controller.progressString(), QStringLiteral("25.0%"));
    // No run has started, so no time has passed, and none is left at that rate.
    EXPECT_EQ(controller.elapsedTimeString(), QStringLiteral("Elapsed: 00:00:00"));
    EXPECT_EQ(controller.remainingTimeString(), QStringLiteral("Remaining: 00:00:00"));
    EXPECT_EQ(controller.dockProgressIndicator()->maxValue(), 200.0);
    EXPECT_EQ(controller.dockProgressIndicator()->doubleValue(), 50.0);

    controller.setDone(200);
    controller.timerFunction();
    EXPECT_EQ(controller.progressString(), QStringLiteral("100.0%"));
    EXPECT_EQ(controller.remainingTimeString(), QStringLiteral("Remaining: 00:00:00"));
}

} // namespace
} // namespace pairsift
