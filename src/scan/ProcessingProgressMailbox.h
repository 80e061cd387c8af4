#pragma once

#include <QString>

#include <cstdint>
#include <mutex>

namespace pairsift {

// What the processing view shows of a run, as the worker last reported it.
struct ProcessingProgress {
    QString stage;
    std::uint64_t total = 0;
    std::uint64_t done = 0;
    QString fileName;
    std::uint64_t fileTotal = 0;
    std::uint64_t fileDone = 0;
    bool fileProgressVisible = false;
};

// Where the worker leaves its progress for the main thread: the latest value wins, and the reader is told
// only once until it has taken what is there, so a run reporting after every chunk never queues more than
// one update. Any thread; publishing copies two implicitly shared strings and never allocates.
class ProcessingProgressMailbox {
public:
    // Stores the values; true when the reader has to be told (nothing was waiting for it).
    bool publish(const ProcessingProgress& progress);
    // The latest values; the next publish() tells the reader again.
    ProcessingProgress take();

private:
    std::mutex m_mutex;
    ProcessingProgress m_latest;
    bool m_isWaiting = false;
};

} // namespace pairsift
