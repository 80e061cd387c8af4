#pragma once

// The benchmarks' measure of a frozen window: a 1 ms timer on the main thread, and the longest time between
// two of its ticks per phase.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <ctime>
#include <map>
#include <string>

namespace pairsift::bench {

inline double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The longest gap between two ticks of a 1 ms timer, per phase: in wall time, and in the main thread's
// own processor time (what the program spent; the rest of a wall gap is other processes' turn on a busy
// machine).
class StallMeter : public QObject {
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const double cpu = threadCpuMs();
            const double gapMs = static_cast<double>(now - m_lastTick) / 1e6;
            m_longest[m_phase] = std::max(m_longest[m_phase], gapMs);
            m_longestBusy[m_phase] = std::max(m_longestBusy[m_phase], cpu - m_lastCpu);
            m_lastTick = now;
            m_lastCpu = cpu;
        });
    }

    void start(const std::string& phase)
    {
        m_phase = phase;
        m_clock.start();
        m_lastTick = 0;
        m_lastCpu = threadCpuMs();
        m_timer.start();
    }
    // The gap so far was the bench's own work between phases: the new phase counts from now.
    void setPhase(const std::string& phase)
    {
        m_phase = phase;
        m_phaseClock[phase].start();
        m_lastTick = m_clock.nsecsElapsed();
        m_lastCpu = threadCpuMs();
    }
    double seconds(const std::string& phase) const
    {
        const auto found = m_phaseClock.find(phase);
        return found == m_phaseClock.end() ? 0 : static_cast<double>(found->second.nsecsElapsed()) / 1e9;
    }
    void stopClock(const std::string& phase) { m_elapsed[phase] = seconds(phase); }
    double elapsed(const std::string& phase) const { return m_elapsed.count(phase) ? m_elapsed.at(phase) : 0; }
    double longest(const std::string& phase) const { return m_longest.count(phase) ? m_longest.at(phase) : 0; }
    double longestBusy(const std::string& phase) const { return m_longestBusy.count(phase) ? m_longestBusy.at(phase) : 0; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastTick = 0;
    double m_lastCpu = 0;
    std::string m_phase;
    std::map<std::string, double> m_longest;
    std::map<std::string, double> m_longestBusy;
    std::map<std::string, QElapsedTimer> m_phaseClock;
    std::map<std::string, double> m_elapsed;
};

} // namespace pairsift::bench
