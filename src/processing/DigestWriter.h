#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace pairsift {

class PairsiftDatabase;

// Writes batches of (path, SHA-1) to the store on a thread of its own, each batch in one short
// transaction of its own, in the order they were handed over, so the stage loop does not wait for the
// store while it hashes. Once the store refused a batch, the batches after it are dropped: the run
// has failed.
class DigestWriter {
public:
    using Digests = std::vector<std::pair<QString, QByteArray>>;

    explicit DigestWriter(std::shared_ptr<PairsiftDatabase> db);
    // Writes what was handed over, then ends the thread.
    ~DigestWriter();

    DigestWriter(const DigestWriter&) = delete;
    DigestWriter& operator=(const DigestWriter&) = delete;

    // Queues the batch and returns at once.
    void write(Digests batch);
    // Returns once every batch handed over has been written or dropped.
    void waitUntilWritten();
    // The files of the batch the store refused; 0 while every batch was stored.
    std::size_t refusedCount() const { return m_refusedCount.load(std::memory_order_acquire); }

private:
    void run();
    bool store(Digests& batch);

    std::shared_ptr<PairsiftDatabase> m_db;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Digests> m_queue;
    bool m_isWriting = false;
    bool m_isEnding = false;
    std::atomic<std::size_t> m_refusedCount{0};
    std::thread m_thread;
};

} // namespace pairsift
