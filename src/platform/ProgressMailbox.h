#pragma once

#include <mutex>

namespace pairsift {

// Where a worker leaves its progress for the main thread: the latest value wins, and the reader is told
// only once until it has taken what is there, so a worker that reports after every file or chunk never
// queues more than one update. A reader that samples on a timer ignores the hint and takes the latest
// value whenever it likes. Any thread; publish() only copies the value.
template <typename Value>
class ProgressMailbox {
public:
    // Stores the value; true when the reader has to be told (nothing was waiting for it).
    bool publish(const Value& value)
    {
        const std::lock_guard lock(m_mutex);
        m_latest = value;
        const bool wasWaiting = m_isWaiting;
        m_isWaiting = true;
        return !wasWaiting;
    }

    // The latest value (the initial one before any publish()); the next publish() tells the reader again.
    Value take()
    {
        const std::lock_guard lock(m_mutex);
        m_isWaiting = false;
        return m_latest;
    }

private:
    std::mutex m_mutex;
    Value m_latest{};
    bool m_isWaiting = false;
};

} // namespace pairsift
