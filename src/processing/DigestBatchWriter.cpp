#include "processing/DigestBatchWriter.h"

#include "model/FileItem.h"
#include "platform/SerialQueue.h"
#include "store/PairsiftDatabase.h"
#include "support/logging/SOLogger.h"

#include <algorithm>

namespace pairsift {

DigestBatchWriter::DigestBatchWriter(std::shared_ptr<PairsiftDatabase> db, SOLoggerPtr logger,
    std::chrono::milliseconds interval)
    : m_db(std::move(db))
    , m_logger(std::move(logger))
    , m_interval(interval)
    , m_clock(std::make_unique<SerialQueue>(QStringLiteral("com.lanternforges.Pairsift.digests")))
{
    m_clock->async([this] { tick(); });
}

DigestBatchWriter::~DigestBatchWriter()
{
    finish();
}

bool DigestBatchWriter::add(std::shared_ptr<const FileItem> file, const Sha1Digest& digest)
{
    // The run has failed: a later batch must not store what it hashed after that.
    if (m_hasFailed)
        return false;
    const std::lock_guard lock(m_mutex);
    m_pending.push_back({std::move(file), digest});
    return true;
}

bool DigestBatchWriter::finish()
{
    if (m_clock) {
        {
            const std::lock_guard lock(m_mutex);
            m_isStopping = true;
        }
        m_stopped.notify_all();
        m_clock.reset();
    }
    return writePending() && !m_hasFailed;
}

// Digest clock's thread; blocks until finish(). A failed write is logged and remembered. The interval
// counts from the start of each write: a batch that takes 700 ms is followed 300 ms after it ends.
void DigestBatchWriter::tick()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock lock(m_mutex);
    Clock::time_point nextWrite = Clock::now() + m_interval;
    while (!m_stopped.wait_until(lock, nextWrite, [this] { return m_isStopping; })) {
        nextWrite = Clock::now() + m_interval;
        lock.unlock();
        writePending();
        lock.lock();
    }
}

bool DigestBatchWriter::writePending()
{
    const std::lock_guard writing(m_writeMutex);
    std::deque<Pending> batch;
    {
        const std::lock_guard lock(m_mutex);
        batch.swap(m_pending);
    }
    if (batch.empty())
        return true;
    // Folder by folder the store finds each row next to the previous one's instead of anywhere in its file.
    std::stable_sort(batch.begin(), batch.end(), [](const Pending& first, const Pending& second) {
        const FileItemFolder& left = first.file->folder();
        const FileItemFolder& right = second.file->folder();
        return !(left == right) && left.bytes() < right.bytes();
    });
    const auto digestAt = [&batch](std::size_t index) {
        const Pending& pending = batch[index];
        return PairsiftDatabase::EncodedDigest{pending.file->encodedName(), pending.digest.toByteArray()};
    };
    // Without its digests the store's results would silently lack these files: the run fails.
    if (m_db && m_db->updateFiles(batch.size(), digestAt))
        return true;
    // Refused before it is logged: no digest is taken once the failure can be read.
    m_hasFailed = true;
    logError(m_logger, "Unable to store the SHA1 of %lu files in database", static_cast<unsigned long>(batch.size()));
    return false;
}

} // namespace pairsift
