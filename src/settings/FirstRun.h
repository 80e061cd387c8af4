#pragma once

#include <QDateTime>

namespace pairsift {

// The first launch: made at start-up, it records the date of the first launch under "first_run_date"
// when that key has no text yet.
class FirstRun {
public:
    FirstRun();

    // Invalid when the stored text is not a date this class wrote.
    const QDateTime& date() const { return m_date; }
    void setDate(const QDateTime& date) { m_date = date; }
    // True only for the instance that found no "first_run_date".
    bool firstRun() const { return m_firstRun; }
    void setFirstRun(bool firstRun) { m_firstRun = firstRun; }

private:
    QDateTime m_date;
    bool m_firstRun = false;
};

} // namespace pairsift
