#pragma once

#include <QString>

namespace pairsift {

// One program at a time on a store: an exclusive lock on "<store>.lock" beside it, from construction to
// destruction. Two programs on one store would delete each other's rows and show each other's files. The
// kernel drops the lock when the process ends, however it ends, so a crash leaves nothing to clean up.
class StoreLock {
public:
    enum class State { Locked, HeldElsewhere, Unavailable };

    explicit StoreLock(const QString& storePath);
    ~StoreLock();
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    static QString lockPathFor(const QString& storePath) { return storePath + QStringLiteral(".lock"); }

    State state() const { return m_state; }
    bool isLocked() const { return m_state == State::Locked; }
    // Why the lock file could not be opened or locked (Unavailable), in the system's words.
    const QString& failureReason() const { return m_failureReason; }

private:
    int m_descriptor = -1;
    State m_state = State::Unavailable;
    QString m_failureReason;
};

} // namespace pairsift
