// The scan as a whole: its transaction, stop, store failures, the counting state and the count updates.
#include "CountingTestSupport.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <sys/resource.h>

namespace pairsift::test {
namespace {

using CountingLifecycle = CountingTest;

// Enough files that their log lines overflow a pipe many times over.
constexpr int manyFiles = 2000;

void writeFiles(const TemporaryTree& tree, const QString& folder, int count)
{
    for (int index = 0; index < count; ++index)
        tree.writeFile(
            QStringLiteral("%1/file-%2.bin").arg(folder).arg(index), content(120, static_cast<quint32>(index)));
}

void addOldRow(PairsiftDatabase& db)
{
    ASSERT_TRUE(db.addFile(QStringLiteral("/old/a.bin"), 10, QDateTime::fromSecsSinceEpoch(1000),
        QStringLiteral("directory"), QStringLiteral("/old")));
}

TEST_F(CountingLifecycle, emptyLocationListCommitsAndReportsSuccess)
{
    addOldRow(*m_db);

    EXPECT_EQ(scan({}), std::optional<bool>(true));

    EXPECT_TRUE(sessionFiles().empty());
    EXPECT_TRUE(storedFiles().empty());
    EXPECT_TRUE(m_log->has(QStringLiteral("Info: Scan complete")));
    EXPECT_EQ(m_completionCalls, 1);
}

TEST_F(CountingLifecycle, scanReplacesTheLiveRows)
{
    addOldRow(*m_db);
    m_tree.writeFile(QStringLiteral("loc/a.bin"), content(150));

    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));

    EXPECT_EQ(storedFiles(), std::vector<std::string>{"loc/a.bin"});
}

TEST_F(CountingLifecycle, countingStateLastsUntilTheReport)
{
    writeFiles(m_tree, QStringLiteral("loc"), 5);
    int countingChanges = 0;
    QObject::connect(m_controller.get(), &CountingViewController::countingChanged, [&] { ++countingChanges; });

    m_completion.reset();
    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, m_log->logger(),
        completionRecorder());
    EXPECT_TRUE(m_controller->isCounting());
    ASSERT_NE(m_controller->uiTimer(), nullptr);
    EXPECT_TRUE(m_controller->uiTimer()->isActive());
    EXPECT_FALSE(m_controller->userStopped());
    ASSERT_EQ(waitForCompletion(), std::optional<bool>(true));

    EXPECT_FALSE(m_controller->isCounting());
    EXPECT_EQ(m_controller->uiTimer(), nullptr);
    EXPECT_EQ(countingChanges, 2);
    EXPECT_EQ(m_controller->fileCount(), 5u);
    m_controller->timerFunction();
    EXPECT_EQ(m_controller->count(), 5u);
}

TEST_F(CountingLifecycle, newScanResetsTheCounters)
{
    writeFiles(m_tree, QStringLiteral("loc"), 3);
    ASSERT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));
    m_controller->timerFunction();
    ASSERT_EQ(m_controller->count(), 3u);

    m_session = std::make_shared<Session>(m_db, nullptr);
    m_completion.reset();
    m_controller->addFilesInLocations({}, {}, m_db, m_session, m_log->logger(), completionRecorder());
    EXPECT_EQ(m_controller->fileCount(), 0u);
    EXPECT_EQ(m_controller->count(), 0u);
    EXPECT_EQ(waitForCompletion(), std::optional<bool>(true));
}

// Counts the calls queued to an object.
class QueuedCallCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MetaCall)
            ++count;
        return false;
    }
};

TEST_F(CountingLifecycle, fileCountReachesTheMainThreadWithoutAnEventPerFile)
{
    writeFiles(m_tree, QStringLiteral("loc"), 300);
    int fileCountChanges = 0;
    QObject::connect(m_controller.get(), &CountingViewController::fileCountChanged, [&] { ++fileCountChanges; });
    QueuedCallCounter queuedCalls;
    m_controller->installEventFilter(&queuedCalls);

    m_completion.reset();
    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, m_log->logger(),
        completionRecorder());
    // The main loop does not run until the walk has logged its end, so every update it posted waits.
    const QDeadlineTimer bound(60000);
    while (!m_log->text().contains(QStringLiteral("Scan complete")) && !bound.hasExpired())
        QThread::msleep(1);
    ASSERT_EQ(waitForCompletion(), std::optional<bool>(true));

    // No event per file: the walk's one report carries the final count.
    EXPECT_EQ(queuedCalls.count, 1);
    EXPECT_EQ(fileCountChanges, 1);
    EXPECT_EQ(m_controller->fileCount(), 300u);
}

TEST_F(CountingLifecycle, stopRollsBackAndReportsFailure)
{
    addOldRow(*m_db);
    writeFiles(m_tree, QStringLiteral("loc"), manyFiles);
    PipeLog log;
    log.drainWhen([this] { return m_controller->userStopped(); });

    m_completion.reset();
    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, log.logger(),
        completionRecorder());
    m_controller->stop();
    EXPECT_TRUE(m_controller->userStopped());

    EXPECT_EQ(waitForCompletion(), std::optional<bool>(false));
    EXPECT_LT(m_session->allFiles().size(), static_cast<std::size_t>(manyFiles));
    // The live rows are deleted inside the transaction: the rollback brings the previous scan's back.
    EXPECT_EQ(storedFiles(), std::vector<std::string>{relative(QStringLiteral("/old/a.bin"))});
    const QString text = log.finish();
    EXPECT_TRUE(text.contains(QStringLiteral("<Info>: Scan complete")));
    // The scan ended between two files, however far the walk had run ahead: every file it began to add
    // was added, and nothing the walk did past that point was logged.
    EXPECT_EQ(text.count(QStringLiteral("<Info>: Adding file: ")), m_session->allFiles().size());
    EXPECT_EQ(text.count(QStringLiteral("': file added, ")), m_session->allFiles().size());
}

TEST_F(CountingLifecycle, destroyingTheControllerStopsTheWalk)
{
    writeFiles(m_tree, QStringLiteral("loc"), manyFiles);
    // The test's own flag: the controller's goes with it while the drain may still be looking.
    std::atomic<bool> isDestroying{false};
    PipeLog log;
    log.drainWhen([&isDestroying] { return isDestroying.load(); });

    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, log.logger(),
        completionRecorder());
    isDestroying = true;
    m_controller.reset();
    QCoreApplication::processEvents();

    EXPECT_EQ(m_completionCalls, 0);
    EXPECT_TRUE(storedFiles().empty());
    EXPECT_TRUE(log.finish().contains(QStringLiteral("<Info>: Scan complete")));
}

TEST_F(CountingLifecycle, secondStartWhileCountingIsRefused)
{
    writeFiles(m_tree, QStringLiteral("loc"), 10);
    std::optional<bool> second;
    int secondCalls = 0;

    m_completion.reset();
    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, m_log->logger(),
        completionRecorder());
    m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, m_log->logger(),
        [&](bool finished) {
            second = finished;
            ++secondCalls;
        });
    ASSERT_EQ(waitForCompletion(), std::optional<bool>(true));

    EXPECT_EQ(second, std::optional<bool>(false));
    EXPECT_EQ(secondCalls, 1);
    EXPECT_EQ(sessionFiles().size(), 10u);
}

TEST_F(CountingLifecycle, failedPruningReportsFailure)
{
    writeFiles(m_tree, QStringLiteral("loc"), 3);
    m_db->close();

    EXPECT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(false));

    EXPECT_TRUE(sessionFiles().empty());
    EXPECT_FALSE(m_controller->isCounting());
    EXPECT_FALSE(m_log->has(QStringLiteral("Info: Scan complete")));
}

TEST_F(CountingLifecycle, failedBeginReportsFailure)
{
    writeFiles(m_tree, QStringLiteral("loc"), 3);
    // The store does not nest transactions, so the scan's own cannot begin.
    ASSERT_TRUE(m_db->beginTransaction());

    EXPECT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(false));

    EXPECT_TRUE(sessionFiles().empty());
    EXPECT_FALSE(m_controller->isCounting());
    EXPECT_FALSE(m_log->has(QStringLiteral("Info: Scan complete")));
    EXPECT_TRUE(m_db->rollback());
}

// Holds the size any file may grow to while it lives; a write beyond it fails instead of raising a signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &m_previous), 0);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_previous.rlim_max};
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

TEST_F(CountingLifecycle, failedCommitIsRolledBackAndReportsFailure)
{
    addOldRow(*m_db);
    // Long names make the scan's rows far larger than the room left in the store's files.
    const QString folder = QStringLiteral("loc/") + QString(120, QLatin1Char('d'));
    writeFiles(m_tree, folder, 400);
    // The rollback journal starts empty and the rows stay in the page cache until the commit, which
    // must grow the store's own file past the room.
    const QFileInfo storeFile(m_outside.path(QStringLiteral("store.db3")));
    ASSERT_TRUE(storeFile.exists());
    const rlim_t room = static_cast<rlim_t>(storeFile.size()) + 16 * 1024;
    PipeLog log;
    log.drainWhen([] { return true; });
    {
        FileSizeLimit limit(room);
        m_completion.reset();
        m_controller->addFilesInLocations({location(QStringLiteral("loc"))}, {}, m_db, m_session, log.logger(),
            completionRecorder());
        EXPECT_EQ(waitForCompletion(), std::optional<bool>(false));
    }

    EXPECT_EQ(m_session->allFiles().size(), 400u);
    EXPECT_EQ(storedFiles(), std::vector<std::string>{relative(QStringLiteral("/old/a.bin"))});
    EXPECT_TRUE(log.finish().contains(QStringLiteral("<Info>: Scan complete")));
    // The store is usable again once it has room.
    m_session = std::make_shared<Session>(m_db, nullptr);
    EXPECT_EQ(scanPaths({QStringLiteral("loc")}), std::optional<bool>(true));
    EXPECT_EQ(storedFiles().size(), 400u);
}

} // namespace
} // namespace pairsift::test
