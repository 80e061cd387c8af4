#pragma once

#include "support/foundation/DateFormatting.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace pairsift {

// Date conveniences for lists and stored texts. Every call makes its own calendar and formatter in the
// environment's time zone and locale (nothing is kept between calls) and reads "now" from it. An invalid
// date, or one the calendar cannot represent, gives nothing: no count, a null text or an invalid date.
// Dates come back in UTC.

// Whole calendar days from the date to now; negative for a later date.
std::optional<qint64> daysAgo(const QDateTime& date, const DateTextEnvironment& environment = {});
// Calendar days from the date's day to today, whatever the length of the days between. For a later day,
// minus the whole days from now to that day's start: the next day gives 0 unless now is today's start.
std::optional<int> daysAgoAgainstMidnight(const QDateTime& date, const DateTextEnvironment& environment = {});
// "Today" for 0 days, "Yesterday" for 1, else "%ld days ago", counted by daysAgoAgainstMidnight, or by
// daysAgo when `againstMidnight` is false.
QString stringDaysAgo(const QDateTime& date, const DateTextEnvironment& environment = {});
QString stringDaysAgoAgainstMidnight(const QDateTime& date, bool againstMidnight,
                                     const DateTextEnvironment& environment = {});

// The calendar's weekday number: 1 for Sunday to 7 for Saturday.
std::optional<int> weekday(const QDateTime& date, const DateTextEnvironment& environment = {});

// The date rendered with a date-format pattern; string() uses dbFormatString().
QString stringWithFormat(const QDateTime& date, const QString& format, const DateTextEnvironment& environment = {});
QString string(const QDateTime& date, const DateTextEnvironment& environment = {});
QString stringWithDateStyle(const QDateTime& date, DateFormatterStyle dateStyle, DateFormatterStyle timeStyle,
                            const DateTextEnvironment& environment = {});

// The first moment of the calendar week (as the locale starts it) or of the day that holds the date.
QDateTime beginningOfWeek(const QDateTime& date, const DateTextEnvironment& environment = {});
QDateTime beginningOfDay(const QDateTime& date, const DateTextEnvironment& environment = {});
// The date moved forward by (7 - weekday) days, time of day kept: the week's Saturday.
QDateTime endOfWeek(const QDateTime& date, const DateTextEnvironment& environment = {});

// The whole text parsed strictly with the pattern (dbFormatString() without one); invalid when it does
// not parse.
QDateTime dateFromString(const QString& text, const DateTextEnvironment& environment = {});
QDateTime dateFromString(const QString& text, const QString& format, const DateTextEnvironment& environment = {});
QString stringFromDate(const QDateTime& date, const QString& format, const DateTextEnvironment& environment = {});
QString stringFromDate(const QDateTime& date, const DateTextEnvironment& environment = {});

QString dateFormatString();
QString timeFormatString();
QString timestampFormatString();
QString dbFormatString();

} // namespace pairsift
