#include "support/logging/SOLogger.h"

#include "testkit/LogCapture.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>

#include <atomic>
#include <thread>
#include <vector>

namespace pairsift {
namespace {

using test::LogCapture;

constexpr int threadCount = 8;
constexpr int linesPerThread = 400;

// A long text makes a torn line far more likely to show if writes were split.
QString padding()
{
    return QString(300, QLatin1Char('x'));
}

TEST(SOLoggerConcurrency, linesFromManyThreadsNeverInterleave)
{
    test::TemporaryTree tree;
    const QString ownedPath = tree.path(QStringLiteral("owned.log"));
    LogCapture shared;
    const SOLoggerPtr logger = SOLogger::loggerForFacility(QStringLiteral("com.pairsift.tests"), SOLoggerOptionNoSystemLog);
    logger->addFileDescriptor(shared.fileDescriptor());
    ASSERT_GE(logger->openLogFile(ownedPath), 0);

    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&logger, thread] {
            for (int line = 0; line < linesPerThread; ++line)
                logger->info("thread %d line %d %@", thread, line, padding());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    QFile owned(ownedPath);
    ASSERT_TRUE(owned.open(QIODevice::ReadOnly));
    const QByteArray ownedContents = owned.readAll();
    for (const QByteArray& contents : {shared.contents(), ownedContents}) {
        ASSERT_TRUE(contents.endsWith('\n'));
        QSet<QString> seen;
        for (const QByteArray& line : contents.chopped(1).split('\n')) {
            const test::LoggedLine parsed = test::parseLoggedLine(line);
            ASSERT_EQ(parsed.level, QStringLiteral("Info")) << line.constData();
            ASSERT_TRUE(parsed.text.endsWith(QStringLiteral(" ") + padding())) << line.constData();
            seen.insert(parsed.text);
        }
        EXPECT_EQ(seen.size(), threadCount * linesPerThread);
    }
}

TEST(SOLoggerConcurrency, aDescriptorRemovedWhileThreadsLogIsNeverWrittenAfterwards)
{
    LogCapture capture;
    LogCapture kept;
    const SOLoggerPtr logger = SOLogger::loggerForFacility(QStringLiteral("com.pairsift.tests"), SOLoggerOptionNoSystemLog);
    logger->addFileDescriptor(capture.fileDescriptor());
    logger->addFileDescriptor(kept.fileDescriptor());

    std::atomic<int> started = 0;
    std::atomic<bool> removed = false;
    std::atomic<int> linesAfterRemoval = 0;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < threadCount; ++thread) {
        threads.emplace_back([&] {
            logger->info("first");
            ++started;
            // Keeps logging until every thread has sent a good number of lines after the removal.
            while (!removed || linesAfterRemoval < threadCount * 50) {
                const bool afterRemoval = removed;
                logger->info("%@", afterRemoval ? "after" : "before");
                if (afterRemoval)
                    ++linesAfterRemoval;
            }
        });
    }
    while (started < threadCount)
        std::this_thread::yield();
    logger->removeFileDescriptor(capture.fileDescriptor());
    removed = true;
    const QByteArray atRemoval = capture.contents();
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(capture.contents(), atRemoval);
    EXPECT_FALSE(capture.texts().contains(QStringLiteral("after")));
    EXPECT_GE(capture.texts().size(), threadCount);
    EXPECT_TRUE(kept.texts().contains(QStringLiteral("after")));
}

} // namespace
} // namespace pairsift
