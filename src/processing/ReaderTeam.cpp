#include "processing/ReaderTeam.h"

#include <algorithm>
#include <atomic>
#include <system_error>

namespace pairsift {

namespace {

std::atomic<int> runningMemberCount{0};

} // namespace

ReaderTeam::ReaderTeam(int size)
    : m_askedSize(std::max(size, 1))
    , m_size(m_askedSize)
    , m_finished(m_size) // no job running
{
    m_members.reserve(static_cast<std::size_t>(m_size));
    // Under the lock: the first member adds the second as soon as it runs.
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_members.emplace_back([this] { serve(0); });
}

ReaderTeam::~ReaderTeam()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_jobDone.wait(lock, [this] { return m_finished >= m_size; });
        m_isEnding = true;
    }
    m_jobPosted.notify_all();
    // Members start one another under the lock: once the team is ending, none is added behind this loop.
    for (std::size_t index = 0;; ++index) {
        std::thread member;
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            if (index >= m_members.size())
                break;
            member = std::move(m_members[index]);
        }
        member.join();
    }
}

int ReaderTeam::memberCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_size;
}

int ReaderTeam::runningMembers()
{
    return runningMemberCount.load();
}

void ReaderTeam::run(std::function<void()> work)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_work = std::move(work);
        m_finished = 0;
        ++m_job;
    }
    m_jobPosted.notify_all();
}

void ReaderTeam::waitUntilDone()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobDone.wait(lock, [this] { return m_finished >= m_size; });
}

void ReaderTeam::serve(int index)
{
    ++runningMemberCount;
    struct Leaving {
        ~Leaving() { --runningMemberCount; }
    } leaving;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_isEnding && index + 1 < m_size) {
        try {
            m_members.emplace_back([this, index] { serve(index + 1); });
        } catch (const std::system_error&) {
            // No more threads to be had: the team is the members it has.
            m_size = index + 1;
            if (m_finished >= m_size)
                m_jobDone.notify_all();
        }
    }
    // A member that starts after a job was posted still does its share of it.
    std::uint64_t done = 0;
    for (;;) {
        m_jobPosted.wait(lock, [&] { return m_isEnding || m_job != done; });
        if (m_isEnding)
            return;
        done = m_job;
        const std::function<void()> work = m_work;
        lock.unlock();
        work();
        lock.lock();
        if (++m_finished >= m_size)
            m_jobDone.notify_all();
    }
}

} // namespace pairsift
