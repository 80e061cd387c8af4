#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace pairsift {

// A serial work queue: one worker thread, work items run one at a time in the order they were added.
// The owner destroys the queue before anything its work items use; the destructor lets the queued
// items finish and joins the thread. Never destroy a queue from one of its own work items.
// An exception that escapes a work item ends that item only: it is written to the console log with the
// queue's label, and the queue goes on with the next item (a sync() caller is released). A run whose end
// matters catches its own exceptions and reports them as its outcome: this barrier only keeps the queue
// alive.
class SerialQueue {
public:
    explicit SerialQueue(QString label);
    ~SerialQueue();

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const QString& label() const { return m_label; }

    // Adds work; returns at once. Work added after shutdown() is dropped.
    void async(std::function<void()> work);
    // Adds work; the answer becomes ready once the work has run (or thrown), once it is dropped by
    // cancelPending() or shutdown(false), or at once after shutdown(). Never wait on it from the queue's
    // own thread.
    std::future<void> submit(std::function<void()> work);
    // Adds work and waits until its submit() answer is ready. Must not be called from the queue's own
    // thread.
    void sync(const std::function<void()>& work);
    // Drops the work that has not started yet; the running item, if any, finishes.
    void cancelPending();
    // Stops taking work, lets queued work finish (or drops it when `drain` is false) and joins.
    void shutdown(bool drain = true);
    // True when called from this queue's worker thread.
    bool isCurrent() const;

private:
    bool enqueue(std::function<void()> work);
    void run();
    // Runs one item inside the exception barrier.
    void runGuarded(const std::function<void()>& work) const;

    QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_work;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace pairsift
