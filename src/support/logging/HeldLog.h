#pragma once

#include <QString>

#include <cstddef>
#include <vector>

namespace pairsift {

class SOLogger;

// A message one thread formatted and held back, for another thread to send in its place.
struct HeldLogMessage {
    SOLogger* logger;
    int level;
    QString text;

    void send() const;
};

// While one lives, what the creating thread logs through any logger is held here instead of being sent,
// so that work split across threads can still log in the order one thread would have. Not nested.
class HeldLog {
public:
    HeldLog();
    ~HeldLog();

    HeldLog(const HeldLog&) = delete;
    HeldLog& operator=(const HeldLog&) = delete;

    // The calling thread's held log, or null.
    static HeldLog* current();

    void hold(SOLogger& logger, int level, QString text);
    std::size_t heldCount() const { return m_messages.size(); }
    // What was held since the last call, oldest first.
    std::vector<HeldLogMessage> take();

private:
    std::vector<HeldLogMessage> m_messages;
};

} // namespace pairsift
