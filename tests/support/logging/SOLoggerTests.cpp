#include "support/logging/SOLogger.h"

#include "support/logging/HeldLog.h"
#include "support/logging/LogOutput.h"
#include "testkit/LogCapture.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace pairsift {
namespace {

using test::LogCapture;

// Writes only to the listed descriptors, so the tests leave the system log and standard error alone.
constexpr std::uint32_t quietOptions = SOLoggerOptionNoSystemLog;

SOLoggerPtr quietLogger(const QString& facility = QStringLiteral("com.pairsift.tests"))
{
    return SOLogger::loggerForFacility(facility, quietOptions);
}

// Lets two threads take turns: each waits for the step the other one reached.
class Steps {
public:
    void waitFor(int wanted)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_step >= wanted; });
    }
    void advanceTo(int next)
    {
        const std::lock_guard lock(m_mutex);
        m_step = next;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_step = 0;
};

template <typename Work>
void onNewThread(Work work)
{
    std::thread thread(work);
    thread.join();
}

TEST(SOLogger, levelOperationsSendTheirLevels)
{
    struct Case {
        const char* name;
        std::function<void(SOLogger&)> send;
        int level;
    };
    const Case cases[] = {
        {"Panic", [](SOLogger& logger) { logger.panic("m"); }, 0},
        {"Alert", [](SOLogger& logger) { logger.alert("m"); }, 1},
        {"Critical", [](SOLogger& logger) { logger.critical("m"); }, 2},
        {"Error", [](SOLogger& logger) { logger.error("m"); }, 3},
        {"Warning", [](SOLogger& logger) { logger.warning("m"); }, 4},
        {"Notice", [](SOLogger& logger) { logger.notice("m"); }, 5},
        {"Info", [](SOLogger& logger) { logger.info("m"); }, 6},
        {"Debug", [](SOLogger& logger) { logger.debug("m"); }, 7},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        LogCapture capture;
        const SOLoggerPtr logger = quietLogger();
        logger->addFileDescriptor(capture.fileDescriptor());
        testCase.send(*logger);
        const auto lines = capture.lines();
        ASSERT_EQ(lines.size(), 1);
        EXPECT_EQ(lines[0].level, QString::fromLatin1(testCase.name));
        EXPECT_EQ(QString::fromLatin1(logLevelName(testCase.level)), QString::fromLatin1(testCase.name));
        EXPECT_EQ(systemLogPriority(testCase.level), testCase.level);
    }
}

TEST(SOLogger, levelsOutsideTheRangeAreClamped)
{
    EXPECT_EQ(systemLogPriority(-3), 0);
    EXPECT_EQ(systemLogPriority(8), 7);
    EXPECT_STREQ(logLevelName(42), "Debug");
}

TEST(SOLogger, freeFunctionsLogAtTheirLevelAndIgnoreANullLogger)
{
    LogCapture capture;
    const SOLoggerPtr logger = quietLogger();
    logger->addFileDescriptor(capture.fileDescriptor());
    logDebug(logger, "d %d", 1);
    logInfo(logger, "i %@", QStringLiteral("two"));
    logWarning(logger, "w %s", "three");
    logError(logger, "e %lu", 4UL);
    const SOLoggerPtr none;
    logDebug(none, "never %d", 1);
    logError(none, "never");

    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 4);
    const QStringList levels{lines[0].level, lines[1].level, lines[2].level, lines[3].level};
    EXPECT_EQ(levels, (QStringList{"Debug", "Info", "Warning", "Error"}));
    EXPECT_EQ(capture.texts(), (QStringList{"d 1", "i two", "w three", "e 4"}));
}

// A thread that holds its log sends nothing itself; another thread sends what it held, with the levels
// and in the order it was logged, and the two loggers' messages each reach their own file.
TEST(SOLogger, aHeldLogIsSentLaterByAnotherThreadInOrder)
{
    LogCapture first;
    LogCapture second;
    const SOLoggerPtr firstLogger = quietLogger();
    const SOLoggerPtr secondLogger = quietLogger();
    firstLogger->addFileDescriptor(first.fileDescriptor());
    secondLogger->addFileDescriptor(second.fileDescriptor());

    std::vector<HeldLogMessage> held;
    onNewThread([&] {
        HeldLog log;
        logDebug(firstLogger, "one %d", 1);
        logError(secondLogger, "two %@", QStringLiteral("2"));
        logWarning(firstLogger, "three %s", "3");
        held = log.take();
        EXPECT_EQ(log.heldCount(), 0u);
    });
    EXPECT_TRUE(first.lines().isEmpty());
    EXPECT_TRUE(second.lines().isEmpty());
    ASSERT_EQ(held.size(), 3u);

    for (const HeldLogMessage& message : held)
        message.send();
    EXPECT_EQ(first.texts(), (QStringList{"one 1", "three 3"}));
    EXPECT_EQ(second.texts(), QStringList{"two 2"});
    EXPECT_EQ(first.lines().value(1).level, QStringLiteral("Warning"));
    // Once the holding thread's log is gone, it logs as before.
    onNewThread([&] { logInfo(firstLogger, "four"); });
    EXPECT_EQ(first.texts().size(), 3);
}

TEST(SOLogger, aNullFacilityUsesTheConsoleFacility)
{
    LogCapture capture;
    SOLogger logger;
    EXPECT_TRUE(logger.facility().isNull());
    EXPECT_EQ(logger.ASLClientOptions(), SOLoggerDefaultClientOptions);
    logger.setASLClientOptions(quietOptions);
    logger.addFileDescriptor(capture.fileDescriptor());
    logger.info("hello");

    EXPECT_EQ(logger.currentThreadASLClient()->facility(), QStringLiteral("com.apple.console"));
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].facility, QStringLiteral("com.apple.console"));

    LogCapture named;
    const SOLoggerPtr namedLogger = quietLogger(QStringLiteral("com.lanternforges.Pairsift"));
    namedLogger->addFileDescriptor(named.fileDescriptor());
    namedLogger->info("hello");
    EXPECT_EQ(named.lines().value(0).facility, QStringLiteral("com.lanternforges.Pairsift"));
}

TEST(SOLogger, prefixAndSuffixJoinTheTextWithNothingBetween)
{
    struct Case {
        QString prefix;
        QString suffix;
        QString expected;
    };
    const Case cases[] = {
        {QString(), QString(), "value 7"},
        {"[pre]", QString(), "[pre]value 7"},
        {QString(), "[post]", "value 7[post]"},
        {"<", ">", "<value 7>"},
        {"", "", "value 7"},
    };
    for (const Case& testCase : cases) {
        SCOPED_TRACE(testCase.expected.toStdString());
        LogCapture capture;
        const SOLoggerPtr logger = quietLogger();
        logger->addFileDescriptor(capture.fileDescriptor());
        logger->messageWithLevel(SOLogLevel::Error, testCase.prefix, testCase.suffix, "value %d", 7);
        EXPECT_EQ(capture.texts(), QStringList{testCase.expected});
    }
}

TEST(SOLogger, percentSignsInTheTextReachTheLogUnchanged)
{
    LogCapture capture;
    const SOLoggerPtr logger = quietLogger();
    logger->addFileDescriptor(capture.fileDescriptor());
    logger->error("%@", QStringLiteral("100% done %s %d %n %@"));
    logger->messageWithLevel(SOLogLevel::Info, QStringLiteral("%s"), QStringLiteral("%%"), "%d%%", 5);
    EXPECT_EQ(capture.texts(), (QStringList{"100% done %s %d %n %@", "%s5%%%"}));
}

TEST(SOLogger, standardErrorReceivesMessagesOnlyWithItsOption)
{
    LogCapture capture;
    const int savedStandardError = ::dup(STDERR_FILENO);
    ASSERT_GE(savedStandardError, 0);
    ASSERT_GE(::dup2(capture.fileDescriptor(), STDERR_FILENO), 0);
    {
        const SOLoggerPtr logger = SOLogger::loggerForFacility(QStringLiteral("com.pairsift.tests"), SOLoggerDefaultClientOptions);
        logger->notice("to standard error %d", 1);
    }
    {
        const SOLoggerPtr logger = quietLogger();
        logger->notice("not to standard error");
    }
    ::dup2(savedStandardError, STDERR_FILENO);
    ::close(savedStandardError);
    EXPECT_EQ(capture.texts(), QStringList{"to standard error 1"});
}

TEST(SOLogger, addingOnAThreadThatNeverLoggedOnlyExtendsTheList)
{
    LogCapture capture;
    const SOLoggerPtr logger = quietLogger();
    onNewThread([&] {
        logger->addFileDescriptor(capture.fileDescriptor());
        EXPECT_EQ(SOLogger::currentThreadASLClientsMapping(), nullptr);
        logger->info("first");
        const SOASLClientTable* table = SOLogger::currentThreadASLClientsMapping();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->count(logger->identifier()), 1u);
    });
    EXPECT_EQ(capture.texts(), QStringList{"first"});
}

TEST(SOLogger, aDescriptorAddedOnOneThreadDoesNotReachAnotherThreadsOpenClient)
{
    LogCapture capture;
    const SOLoggerPtr logger = quietLogger();
    Steps steps;
    std::thread earlier([&] {
        logger->info("before the descriptor");
        steps.advanceTo(1);
        steps.waitFor(2);
        logger->info("earlier thread after the descriptor");
    });
    steps.waitFor(1);
    logger->addFileDescriptor(capture.fileDescriptor());
    steps.advanceTo(2);
    earlier.join();
    logger->info("adding thread");
    onNewThread([&] { logger->info("new thread"); });

    EXPECT_EQ(capture.texts(), (QStringList{"adding thread", "new thread"}));
}

TEST(SOLogger, addingTwiceListsTwiceAndOneRemovalRemovesBoth)
{
    LogCapture capture;
    LogCapture other;
    const SOLoggerPtr logger = quietLogger();
    const int fileDescriptor = capture.fileDescriptor();
    logger->addFileDescriptor(fileDescriptor);
    logger->addFileDescriptor(other.fileDescriptor());
    logger->addFileDescriptor(fileDescriptor);
    EXPECT_EQ(logger->additionalFileDescriptors(), (QList<int>{fileDescriptor, other.fileDescriptor(), fileDescriptor}));
    logger->info("twice");
    EXPECT_EQ(capture.texts(), (QStringList{"twice", "twice"}));

    logger->removeFileDescriptor(fileDescriptor);
    EXPECT_EQ(logger->additionalFileDescriptors(), QList<int>{other.fileDescriptor()});
    logger->info("after removal");
    EXPECT_EQ(capture.texts(), (QStringList{"twice", "twice"}));
    EXPECT_EQ(other.texts(), (QStringList{"twice", "after removal"}));
}

TEST(SOLogger, aRemovedDescriptorIsNotWrittenByAClientOpenedEarlierOnAnotherThread)
{
    LogCapture capture;
    const SOLoggerPtr logger = quietLogger();
    logger->addFileDescriptor(capture.fileDescriptor());
    Steps steps;
    std::thread other([&] {
        logger->info("listed");
        steps.advanceTo(1);
        steps.waitFor(2);
        EXPECT_EQ(logger->currentThreadASLClient()->loggingDescriptors(), QList<int>{capture.fileDescriptor()});
        logger->info("unlisted");
    });
    steps.waitFor(1);
    logger->removeFileDescriptor(capture.fileDescriptor());
    steps.advanceTo(2);
    other.join();
    EXPECT_EQ(capture.texts(), QStringList{"listed"});
}

TEST(SOLogger, twoLoggersOnOneThreadHaveTheirOwnClients)
{
    LogCapture first;
    LogCapture second;
    const SOLoggerPtr firstLogger = quietLogger(QStringLiteral("com.pairsift.first"));
    const SOLoggerPtr secondLogger = quietLogger(QStringLiteral("com.pairsift.second"));
    firstLogger->addFileDescriptor(first.fileDescriptor());
    secondLogger->addFileDescriptor(second.fileDescriptor());
    onNewThread([&] {
        firstLogger->info("one");
        secondLogger->info("two");
        const SOASLClientTable* table = SOLogger::currentThreadASLClientsMapping();
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(table->size(), 2u);
        const SOASLClientPtr firstClient = table->at(firstLogger->identifier());
        const SOASLClientPtr secondClient = table->at(secondLogger->identifier());
        EXPECT_NE(firstClient, secondClient);
        EXPECT_EQ(firstClient->facility(), QStringLiteral("com.pairsift.first"));
        EXPECT_EQ(secondClient->facility(), QStringLiteral("com.pairsift.second"));
        EXPECT_EQ(firstClient->loggingDescriptors(), QList<int>{first.fileDescriptor()});
        EXPECT_EQ(secondClient->loggingDescriptors(), QList<int>{second.fileDescriptor()});
    });
    EXPECT_EQ(first.lines().value(0).facility, QStringLiteral("com.pairsift.first"));
    EXPECT_EQ(first.texts(), QStringList{"one"});
    EXPECT_EQ(second.texts(), QStringList{"two"});
}

TEST(SOLogger, aLaterLoggerNeverInheritsAnEarlierLoggersClient)
{
    LogCapture first;
    LogCapture second;
    onNewThread([&] {
        std::uint64_t firstIdentifier = 0;
        {
            const SOLoggerPtr logger = quietLogger();
            logger->addFileDescriptor(first.fileDescriptor());
            logger->info("first logger");
            firstIdentifier = logger->identifier();
        }
        // Likely at the same address as the first one: the thread's table still holds the first client.
        const SOLoggerPtr logger = quietLogger();
        EXPECT_NE(logger->identifier(), firstIdentifier);
        logger->addFileDescriptor(second.fileDescriptor());
        logger->info("second logger");
    });
    EXPECT_EQ(first.texts(), QStringList{"first logger"});
    EXPECT_EQ(second.texts(), QStringList{"second logger"});
}

TEST(SOLogger, optionsChangeOnlyClientsOpenedAfterwards)
{
    const SOLoggerPtr logger = quietLogger();
    const SOASLClientPtr before = logger->currentThreadASLClient();
    logger->setASLClientOptions(quietOptions | SOLoggerOptionNoDelay);
    EXPECT_EQ(logger->currentThreadASLClient(), before);
    EXPECT_EQ(before->options(), quietOptions);
    onNewThread([&] { EXPECT_EQ(logger->currentThreadASLClient()->options(), quietOptions | SOLoggerOptionNoDelay); });
}

TEST(SOLogger, anOwnedLogFileAppendsAndIsClosedOnRemoval)
{
    test::TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("Logs/run.log"), "earlier\n");
    const SOLoggerPtr logger = quietLogger();
    const int fileDescriptor = logger->openLogFile(path);
    ASSERT_GE(fileDescriptor, 0);
    EXPECT_TRUE(::fcntl(fileDescriptor, F_GETFD) & FD_CLOEXEC);
    logger->info("Logging started");
    logger->removeFileDescriptor(fileDescriptor);
    EXPECT_EQ(::fcntl(fileDescriptor, F_GETFD), -1);
    logger->info("not in the file");

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "earlier");
    EXPECT_EQ(test::parseLoggedLine(lines[1]).text, QStringLiteral("Logging started"));
    EXPECT_TRUE(lines[2].isEmpty());
}

TEST(SOLogger, goingAwayClosesTheLogFileAndSilencesOtherThreadsClients)
{
    test::TemporaryTree tree;
    const QString path = tree.path(QStringLiteral("run.log"));
    LogCapture capture;
    SOLoggerPtr logger = quietLogger();
    const int fileDescriptor = logger->openLogFile(path);
    ASSERT_GE(fileDescriptor, 0);
    logger->addFileDescriptor(capture.fileDescriptor());

    SOASLClientPtr leftBehind;
    onNewThread([&] {
        logger->info("while alive");
        leftBehind = logger->currentThreadASLClient();
    });
    logger.reset();
    EXPECT_EQ(::fcntl(fileDescriptor, F_GETFD), -1);
    leftBehind->log(SOLogLevel::Info, QStringLiteral("com.pairsift.tests"), QStringLiteral("after the logger"));
    EXPECT_EQ(capture.texts(), QStringList{"while alive"});
}

TEST(SOLogger, aLogFileThatCannotBeOpenedIsReported)
{
    test::TemporaryTree tree;
    const SOLoggerPtr logger = quietLogger();
    Error error;
    EXPECT_EQ(logger->openLogFile(tree.path(QStringLiteral("missing/run.log")), &error), -1);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_TRUE(error.description.contains(QStringLiteral("missing/run.log")));
    EXPECT_TRUE(logger->additionalFileDescriptors().isEmpty());
    logger->info("still logging");
}

TEST(SOLogger, mainClientIsTheMainThreadsClient)
{
    const SOLoggerPtr logger = quietLogger();
    SOASLClientPtr fromWorker;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        fromWorker = logger->mainASLClient();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    ASSERT_NE(fromWorker, nullptr);
    EXPECT_EQ(fromWorker, logger->currentThreadASLClient());
    EXPECT_EQ(logger->mainASLClient(), fromWorker);
}

} // namespace
} // namespace pairsift
