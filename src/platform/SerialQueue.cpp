#include "platform/SerialQueue.h"

#include "platform/ConsoleLog.h"

#include <exception>
#include <memory>

#include <pthread.h>

namespace pairsift {

SerialQueue::SerialQueue(QString label)
    : m_label(std::move(label))
    , m_thread([this] { run(); })
{
    // The kernel keeps 15 bytes of a thread name: the end of the label says the most.
    const QByteArray name = m_label.toUtf8().right(15);
    pthread_setname_np(m_thread.native_handle(), name.constData());
}

SerialQueue::~SerialQueue()
{
    shutdown(true);
}

void SerialQueue::async(std::function<void()> work)
{
    enqueue(std::move(work));
}

bool SerialQueue::enqueue(std::function<void()> work)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return false;
        m_work.push_back(std::move(work));
    }
    m_wake.notify_one();
    return true;
}

std::future<void> SerialQueue::submit(std::function<void()> work)
{
    // The item owns the only promise: whether it runs, throws or is dropped, the promise is kept or
    // broken, so the future becomes ready and nobody waits for an item that will not come.
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    enqueue([work = std::move(work), finished = std::move(finished)] {
        work();
        finished->set_value();
    });
    return done;
}

void SerialQueue::sync(const std::function<void()>& work)
{
    submit([&work] { work(); }).wait();
}

void SerialQueue::cancelPending()
{
    std::lock_guard lock(m_mutex);
    m_work.clear();
}

void SerialQueue::shutdown(bool drain)
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (!drain)
            m_work.clear();
    }
    m_wake.notify_one();
    if (m_thread.joinable() && !isCurrent())
        m_thread.join();
}

bool SerialQueue::isCurrent() const
{
    return std::this_thread::get_id() == m_thread.get_id();
}

void SerialQueue::run()
{
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_work.empty(); });
            if (m_work.empty())
                return;
            work = std::move(m_work.front());
            m_work.pop_front();
        }
        runGuarded(work);
    }
}

void SerialQueue::runGuarded(const std::function<void()>& work) const
{
    // An exception leaving the thread's function would end the process without a word.
    try {
        work();
    } catch (const std::exception& exception) {
        consoleLog("*** Work item on queue '%@' ended by an exception: %s", m_label, exception.what());
    } catch (...) {
        consoleLog("*** Work item on queue '%@' ended by an exception of unknown type", m_label);
    }
}

} // namespace pairsift
