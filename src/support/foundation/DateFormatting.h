#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace pairsift {

// What a date text depends on besides the date. The defaults are the program's own: the current
// moment, the system time zone and the locale of QLocale(). Tests pin all of them.
struct DateTextEnvironment {
    QDateTime now;      // invalid: the current moment
    QString timeZoneId; // an IANA name such as "Europe/Berlin"; empty: the system time zone
    QString localeName; // such as "de_DE"; empty: QLocale()'s
    // Gives the current moment; empty: the system's clock.
    std::function<QDateTime()> clock;
};

// A short text for lists: the time for a date after today's midnight ("'at' h:mm a" when prefixed),
// the weekday for one in the last seven days, else the month and day, with the year when it lies in an
// earlier year. `alwaysDisplayTime` adds the time to the last three; `prefixed` puts "on" before them.
// A null text for an invalid date or one the calendar cannot represent.
QString stringForDisplayFromDate(const QDateTime& date, bool prefixed = false, bool alwaysDisplayTime = false,
                                 const DateTextEnvironment& environment = {});

// A duration as a clock: "%d:%02d:%02d" with hours, "%d:%02d" without. Hours are not wrapped at 24.
// Negative and NaN durations read as "0:00"; hours stop at the largest int.
QString stringWithTimeInterval(double seconds);

// The locale's date and time styles of a formatter, from none to the full text.
enum class DateFormatterStyle { None, Short, Medium, Long, Full };

// A date formatter made once and used for many dates, with the locale's date and time styles (the short
// and medium styles of lists and details). Main thread only; the ICU formatter is not shared.
class StyledDateFormatter {
public:
    using Style = DateFormatterStyle;

    StyledDateFormatter(Style dateStyle, Style timeStyle, const DateTextEnvironment& environment = {});
    ~StyledDateFormatter();
    StyledDateFormatter(const StyledDateFormatter&) = delete;
    StyledDateFormatter& operator=(const StyledDateFormatter&) = delete;

    // A null text for an invalid date or one the calendar cannot represent.
    QString stringFromDate(const QDateTime& date) const;

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

} // namespace pairsift
