#pragma once

#include <QString>

#include <memory>

namespace pairsift {

class SerialQueue;

// Frees large objects (a scan's items) on a thread of its own, so the caller need not wait, then hands
// the memory back to the system: memory freed on one thread stays reserved for that thread's later
// allocations, and the others would otherwise grow anew beside it. Waits for what it was given when
// destroyed.
class BackgroundRelease {
public:
    explicit BackgroundRelease(QString label);
    ~BackgroundRelease();
    BackgroundRelease(const BackgroundRelease&) = delete;
    BackgroundRelease& operator=(const BackgroundRelease&) = delete;

    // Drops this reference on the release thread; null does nothing.
    void release(std::shared_ptr<void> object);

private:
    QString m_label;
    // Started on first use.
    std::unique_ptr<SerialQueue> m_queue;
};

} // namespace pairsift
