#include "platform/MainQueue.h"
#include "platform/SerialQueue.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/Gate.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

namespace pairsift {
namespace {

TEST(SerialQueue, runsWorkInOrderOnOneOtherThread)
{
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    {
        SerialQueue queue(QStringLiteral("com.example.test"));
        for (int i = 0; i < 100; ++i)
            queue.async([&, i] {
                order.push_back(i);
                threads.push_back(std::this_thread::get_id());
            });
    } // the destructor drains and joins
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);
    for (const auto& id : threads) {
        EXPECT_EQ(id, threads.front());
        EXPECT_NE(id, std::this_thread::get_id());
    }
}

TEST(SerialQueue, syncWaitsForTheWorkAndKnowsItsThread)
{
    SerialQueue queue(QStringLiteral("q"));
    bool ranOnQueue = false;
    queue.sync([&] { ranOnQueue = queue.isCurrent(); });
    EXPECT_TRUE(ranOnQueue);
    EXPECT_FALSE(queue.isCurrent());
}

// Opens its gate when the last item holding it is destroyed.
class DropProbe {
public:
    explicit DropProbe(test::Gate& gate) : m_gate(gate) {}
    ~DropProbe() { m_gate.open(); }
    DropProbe(const DropProbe&) = delete;
    DropProbe& operator=(const DropProbe&) = delete;

private:
    test::Gate& m_gate;
};

TEST(SerialQueue, shutdownWithoutDrainDropsPendingWorkAndLaterWork)
{
    std::atomic<int> ran{0};
    test::Gate started;
    test::Gate dropped;
    SerialQueue queue(QStringLiteral("q"));
    // Goes on only once the pending items are gone, so it ends inside shutdown().
    queue.async([&] {
        started.open();
        dropped.wait();
        ++ran;
    });
    {
        const auto probe = std::make_shared<DropProbe>(dropped);
        for (int i = 0; i < 10; ++i)
            queue.async([&ran, probe] { ++ran; });
    }
    ASSERT_TRUE(started.wait());

    queue.shutdown(false);

    EXPECT_EQ(ran, 1);
    queue.async([&] { ++ran; });
    queue.sync([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

// sync() waits on what submit() answers: it must become ready when the work is dropped, by either way.
TEST(SerialQueue, syncReturnsWhenItsWorkIsDropped)
{
    const struct {
        const char* name;
        // Answers a thread to join once the running item was let go, or none.
        std::function<std::thread(SerialQueue&)> drop;
    } cases[] = {
        {"cancelPending", [](SerialQueue& queue) {
             queue.cancelPending();
             return std::thread();
         }},
        // Joins the running item: from a thread of its own.
        {"shutdown without drain", [](SerialQueue& queue) { return std::thread([&queue] { queue.shutdown(false); }); }},
    };
    for (const auto& testCase : cases) {
        SerialQueue queue(QStringLiteral("q"));
        test::Gate started;
        test::Gate release;
        std::atomic<bool> ran{false};
        queue.async([&] {
            started.open();
            release.wait();
        });
        ASSERT_TRUE(started.wait());
        std::future<void> done = queue.submit([&] { ran = true; });

        std::thread dropper = testCase.drop(queue);

        EXPECT_EQ(done.wait_for(test::hangLimit), std::future_status::ready) << testCase.name;
        release.open();
        if (dropper.joinable())
            dropper.join();
        queue.shutdown(true);
        EXPECT_FALSE(ran) << testCase.name;
    }
}

TEST(SerialQueue, anExceptionEndsOnlyItsItemAndIsLoggedWithTheLabel)
{
    const struct {
        std::function<void()> thrower;
        const char* logged;
    } cases[] = {
        {[] { throw std::runtime_error("disk on fire"); }, "ended by an exception: disk on fire"},
        {[] { throw 42; }, "ended by an exception of unknown type"},
    };
    for (const auto& testCase : cases) {
        test::ConsoleCapture console;
        int ran = 0;
        {
            SerialQueue queue(QStringLiteral("com.example.throwing"));
            queue.async(testCase.thrower);
            queue.async([&] { ++ran; });
            queue.sync(testCase.thrower); // returns although its item never finished
            queue.sync([&] { ++ran; });
        }
        EXPECT_EQ(ran, 2);
        const QString expected = QStringLiteral("*** Work item on queue 'com.example.throwing' ")
            + QString::fromUtf8(testCase.logged);
        EXPECT_EQ(console.texts(), QStringList({expected, expected}));
    }
}

TEST(MainQueue, postsFromAWorkerToTheMainThread)
{
    EXPECT_TRUE(isMainThread());
    QEventLoop loop;
    std::atomic<bool> ranOnMain{false};
    SerialQueue queue(QStringLiteral("q"));
    queue.async([&] {
        EXPECT_FALSE(isMainThread());
        postToMain([&] {
            ranOnMain = isMainThread();
            loop.quit();
        });
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(ranOnMain);
}

} // namespace
} // namespace pairsift
