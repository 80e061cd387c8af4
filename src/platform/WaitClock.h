#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace pairsift {

// The time source of waits that poll. Tests replace it with one that advances without sleeping, so that
// no test waits for real.
class WaitClock {
public:
    using Duration = std::chrono::milliseconds;

    virtual ~WaitClock() = default;

    // Time since an arbitrary fixed start; never goes back.
    virtual Duration now() const = 0;
    // Blocks the calling thread for `duration`.
    virtual void sleepFor(Duration duration) = 0;

    // Sleeps `interval`, then asks `isDone`, and repeats; true as soon as it answers true, false once
    // `limit` has passed since the call without that. Blocks the calling thread throughout.
    bool pollUntil(const std::function<bool()>& isDone, Duration interval, Duration limit);

    // The clock in use, process-wide: the system's monotonic clock unless replaced.
    static std::shared_ptr<WaitClock> shared();
    // Replaces it (tests); null restores the system clock. Answers the previous replacement.
    static std::shared_ptr<WaitClock> setShared(std::shared_ptr<WaitClock> replacement);
};

} // namespace pairsift
