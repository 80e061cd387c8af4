#include "platform/WaitClock.h"

#include "platform/ServiceSlot.h"

#include <thread>

namespace pairsift {

namespace {

class SystemWaitClock final : public WaitClock {
public:
    Duration now() const override
    {
        return std::chrono::duration_cast<Duration>(std::chrono::steady_clock::now().time_since_epoch());
    }
    void sleepFor(Duration duration) override { std::this_thread::sleep_for(duration); }
};

ServiceSlot<WaitClock>& waitClockSlot()
{
    static ServiceSlot<WaitClock> instance(std::make_shared<SystemWaitClock>());
    return instance;
}

} // namespace

bool WaitClock::pollUntil(const std::function<bool()>& isDone, Duration interval, Duration limit)
{
    const Duration start = now();
    for (;;) {
        sleepFor(interval);
        if (isDone())
            return true;
        if (now() - start >= limit)
            return false;
    }
}

std::shared_ptr<WaitClock> WaitClock::shared()
{
    return waitClockSlot().get();
}

std::shared_ptr<WaitClock> WaitClock::setShared(std::shared_ptr<WaitClock> replacement)
{
    return waitClockSlot().replace(std::move(replacement));
}

} // namespace pairsift
