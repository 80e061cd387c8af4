#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pairsift {

// Threads that together run one job at a time, kept from one comparison stage to the next: starting
// sixteen threads per stage costs more than hashing a small stage's files. Each member starts the next,
// so the team is at work while the rest are still being started.
class ReaderTeam {
public:
    explicit ReaderTeam(int size);
    // Waits for the job that is running, if any, then ends every member.
    ~ReaderTeam();
    ReaderTeam(const ReaderTeam&) = delete;
    ReaderTeam& operator=(const ReaderTeam&) = delete;

    // The members asked for.
    int size() const { return m_askedSize; }
    // The members the team has: fewer than size() when the system would start no more threads. Final
    // once a job is done.
    int memberCount() const;
    // Members of all teams whose threads are running now, process-wide.
    static int runningMembers();

    // Every member calls `work` once; answers at once. The previous job must be done. `work` must not
    // throw.
    void run(std::function<void()> work);
    // Blocks until every member has returned from the last job's work.
    void waitUntilDone();

private:
    void serve(int index);

    const int m_askedSize;
    mutable std::mutex m_mutex;
    // Fewer than asked for when the system would start no more threads.
    int m_size;
    std::condition_variable m_jobPosted;
    std::condition_variable m_jobDone;
    std::function<void()> m_work;
    std::uint64_t m_job = 0;
    // Members done with the last job.
    int m_finished;
    bool m_isEnding = false;
    std::vector<std::thread> m_members;
};

} // namespace pairsift
