#include "platform/MainQueue.h"
#include "platform/SerialQueue.h"
#include "testkit/ConsoleCapture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
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

TEST(SerialQueue, shutdownWithoutDrainDropsPendingWorkAndLaterWork)
{
    std::atomic<int> ran{0};
    std::atomic<bool> started{false};
    std::atomic<bool> release{false};
    SerialQueue queue(QStringLiteral("q"));
    queue.async([&] {
        started = true;
        while (!release)
            std::this_thread::yield();
        ++ran;
    });
    for (int i = 0; i < 10; ++i)
        queue.async([&] { ++ran; });
    while (!started)
        std::this_thread::yield();
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        release = true;
    });
    queue.shutdown(false);
    releaser.join();
    EXPECT_EQ(ran, 1);
    queue.async([&] { ++ran; });
    queue.sync([&] { ++ran; });
    EXPECT_EQ(ran, 1);
}

TEST(SerialQueue, syncReturnsWhenItsWorkIsDropped)
{
    struct Shared {
        SerialQueue queue{QStringLiteral("q")};
        std::atomic<bool> started{false};
        std::atomic<bool> release{false};
        std::atomic<bool> ran{false};
        std::atomic<bool> returned{false};
    };
    // The caller thread keeps its own reference: should sync() never return, it is left behind with it.
    auto shared = std::make_shared<Shared>();
    Shared* state = shared.get();
    state->queue.async([state] {
        state->started = true;
        while (!state->release)
            std::this_thread::yield();
    });
    while (!state->started)
        std::this_thread::yield();
    std::thread([shared] {
        shared->queue.sync([&shared] { shared->ran = true; });
        shared->returned = true;
    }).detach();
    // Drops the caller's item as soon as it waits behind the running one.
    for (int attempt = 0; attempt < 5000 && !state->returned; ++attempt) {
        state->queue.cancelPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    state->release = true;
    EXPECT_TRUE(state->returned);
    EXPECT_FALSE(state->ran);
    while (state->returned && shared.use_count() > 1) // the caller thread lets go of the queue
        std::this_thread::yield();
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
