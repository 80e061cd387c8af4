#pragma once

#include "model/FileItem.h"
#include "support/logging/HeldLog.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

namespace pairsift {

// What the walk did up to a file it offered: the messages it logged since the last one, then the file
// (null for what it logged after its last file).
struct WalkStep {
    std::vector<HeldLogMessage> messages;
    FileItemPtr file;
};

// Carries a walk's steps, in order, from the thread that walks to the thread that keeps the files. Steps
// travel in batches, so the two threads meet once per batch, and at most a few batches wait, so the
// keeper sees a stop soon after the walker does and the memory of what waits stays small.
class WalkHandoff {
public:
    static constexpr std::size_t batchSize = 256;
    static constexpr std::size_t batchesAhead = 4;

    // Walking thread. False once the keeper has given up: the walk should stop.
    bool push(WalkStep step);
    // Walking thread: hands over the last batch; nothing is pushed afterwards.
    void finish();
    // Keeping thread: the next steps, in order, once there are some; empty when the walk has finished
    // and every step was taken, or after abandon().
    std::vector<WalkStep> take();
    // Keeping thread: takes nothing more; a walker waiting for room goes on, and its pushes fail.
    void abandon();

private:
    // Walking thread only.
    std::vector<WalkStep> m_filling;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<WalkStep>> m_ready;
    bool m_isFinished = false;
    bool m_isAbandoned = false;
};

} // namespace pairsift
