#include "platform/NotificationCenter.h"
#include "platform/NotificationQueue.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

const QString testName = QStringLiteral("com.pairsift.test.notification");

// Counts what reaches one observer of `testName`, from `object` (null: any sender).
class Recorder {
public:
    explicit Recorder(const void* object = nullptr)
    {
        NotificationCenter::defaultCenter().addObserver(this, testName, object,
                                                        [this](const Notification& notification) { senders.push_back(notification.object); });
    }
    ~Recorder() { NotificationCenter::defaultCenter().removeObserver(this); }

    std::vector<const void*> senders;
};

TEST(NotificationCenter, deliversByNameAndSender)
{
    int sender = 0;
    int other = 0;
    Recorder any;
    Recorder onlySender(&sender);
    NotificationCenter::defaultCenter().postNotificationName(testName, &sender);
    NotificationCenter::defaultCenter().postNotificationName(testName, &other);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("another name"), &sender);
    EXPECT_EQ(any.senders, (std::vector<const void*>{&sender, &other}));
    EXPECT_EQ(onlySender.senders, (std::vector<const void*>{&sender}));
}

TEST(NotificationCenter, removedObserverHearsNothing)
{
    Recorder recorder;
    NotificationCenter::defaultCenter().removeObserver(&recorder, testName);
    NotificationCenter::defaultCenter().postNotificationName(testName);
    EXPECT_TRUE(recorder.senders.empty());
}

TEST(NotificationQueue, deferredStylesCoalesceAndWaitForTheEventLoop)
{
    struct Case {
        PostingStyle style;
        int enqueued;
        std::size_t deliveredAtOnce;
        std::size_t deliveredLater;
    };
    const Case cases[] = {
        {PostingStyle::PostWhenIdle, 2, 0, 1},
        {PostingStyle::PostASAP, 3, 0, 1},
        {PostingStyle::PostNow, 2, 2, 2},
    };
    for (const Case& testCase : cases) {
        Recorder recorder;
        for (int count = 0; count < testCase.enqueued; ++count)
            NotificationQueue::defaultQueue().enqueueNotification(Notification{testName, nullptr}, testCase.style);
        EXPECT_EQ(recorder.senders.size(), testCase.deliveredAtOnce) << static_cast<int>(testCase.style);
        QCoreApplication::processEvents();
        EXPECT_EQ(recorder.senders.size(), testCase.deliveredLater) << static_cast<int>(testCase.style);
    }
}

TEST(NotificationQueue, differentSendersAreNotCoalescedAndDequeueForgets)
{
    int first = 0;
    int second = 0;
    Recorder recorder;
    NotificationQueue& queue = NotificationQueue::defaultQueue();
    queue.enqueueNotification(Notification{testName, &first}, PostingStyle::PostWhenIdle);
    queue.enqueueNotification(Notification{testName, &second}, PostingStyle::PostWhenIdle);
    queue.enqueueNotification(Notification{testName, &first}, PostingStyle::PostASAP);
    queue.dequeueNotifications(Notification{testName, &second});
    QCoreApplication::processEvents();
    EXPECT_EQ(recorder.senders, (std::vector<const void*>{&first}));
    EXPECT_EQ(queue.pendingCount(), 0u);
}

} // namespace
} // namespace pairsift
