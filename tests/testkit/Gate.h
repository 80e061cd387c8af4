#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pairsift::test {

// How long a test waits for something that must happen: only a hang ever reaches it, so it turns a hang
// into a failure instead of deciding an outcome.
inline constexpr std::chrono::seconds hangLimit{60};

// A door between threads that opens once and stays open: wait() returns as soon as open() was called.
class Gate {
public:
    void open();
    bool isOpen() const;
    // True once the gate is open; false after hangLimit.
    bool wait() const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_opened;
    bool m_isOpen = false;
};

} // namespace pairsift::test
