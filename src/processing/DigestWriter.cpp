#include "processing/DigestWriter.h"

#include "store/PairsiftDatabase.h"

#include <algorithm>

namespace pairsift {

DigestWriter::DigestWriter(std::shared_ptr<PairsiftDatabase> db)
    : m_db(std::move(db))
    , m_thread([this] { run(); })
{
}

DigestWriter::~DigestWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_isEnding = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void DigestWriter::write(Digests batch)
{
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(batch));
    }
    m_changed.notify_all();
}

void DigestWriter::waitUntilWritten()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_isWriting; });
}

void DigestWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_isEnding; });
        if (m_queue.empty())
            return;
        Digests batch = std::move(m_queue.front());
        m_queue.pop_front();
        m_isWriting = true;
        lock.unlock();
        if (refusedCount() == 0 && !store(batch))
            m_refusedCount.store(batch.size(), std::memory_order_release);
        batch.clear();
        lock.lock();
        m_isWriting = false;
        m_changed.notify_all();
    }
}

bool DigestWriter::store(Digests& batch)
{
    // In path order the store finds each row next to the previous one's instead of anywhere in its file.
    std::sort(batch.begin(), batch.end(), [](const auto& first, const auto& second) { return first.first < second.first; });
    return m_db && m_db->updateFiles(batch);
}

} // namespace pairsift
