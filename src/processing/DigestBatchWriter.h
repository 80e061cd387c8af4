#pragma once

#include "model/Sha1Digest.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace pairsift {

class FileItem;
class PairsiftDatabase;
class SerialQueue;
class SOLogger;
using SOLoggerPtr = std::shared_ptr<SOLogger>;

// The reliable stage's digests on their way to the store: kept back and written in one short transaction
// on a clock of their own ("com.lanternforges.Pairsift.digests"), so none waits much longer than one
// interval however long the file being hashed takes or however many files fail meanwhile, and once more
// at the end. One disk synchronisation per batch instead of one per file, and no transaction stays open
// while files are read. A write the store refuses is logged at error level and fails every later call;
// no digest is kept back after it.
// A waiting digest costs its file's handle and 20 bytes: the path is composed only as it is written.
class DigestBatchWriter {
public:
    DigestBatchWriter(std::shared_ptr<PairsiftDatabase> db, SOLoggerPtr logger, std::chrono::milliseconds interval);
    // finish() unless it ran.
    ~DigestBatchWriter();
    DigestBatchWriter(const DigestBatchWriter&) = delete;
    DigestBatchWriter& operator=(const DigestBatchWriter&) = delete;

    // Keeps the digest of the file's row back; once a write has failed, keeps nothing and answers false.
    bool add(std::shared_ptr<const FileItem> file, const Sha1Digest& digest);
    // Stops the clock and writes what is pending; false when this or an earlier write failed.
    bool finish();

private:
    // The clock's thread: starts a batch every interval until finish().
    void tick();
    bool writePending();

    std::shared_ptr<PairsiftDatabase> m_db;
    SOLoggerPtr m_logger;
    std::chrono::milliseconds m_interval;
    std::mutex m_mutex;
    std::condition_variable m_stopped;
    bool m_isStopping = false;
    struct Pending {
        std::shared_ptr<const FileItem> file;
        Sha1Digest digest;
    };
    // Never copied as it grows, unlike a vector, which at the peak of a large scan would hold twice its size.
    std::deque<Pending> m_pending;
    // One write at a time: the store's statement serves one use at once.
    std::mutex m_writeMutex;
    std::atomic<bool> m_hasFailed{false};
    std::unique_ptr<SerialQueue> m_clock;
};

} // namespace pairsift
