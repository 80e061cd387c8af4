#pragma once

// The calendar and formatter handles behind this folder's date texts. Included by .cpp files only: the
// public headers stay free of ICU.

#include "support/foundation/DateFormatting.h"

#include <QByteArray>
#include <QString>

#include <unicode/ucal.h>
#include <unicode/udat.h>

#include <memory>

namespace pairsift::icudates {

struct CalendarCloser {
    void operator()(UCalendar* calendar) const { ucal_close(calendar); }
};
struct FormatterCloser {
    void operator()(UDateFormat* formatter) const { udat_close(formatter); }
};
using Calendar = std::unique_ptr<UCalendar, CalendarCloser>;
using Formatter = std::unique_ptr<UDateFormat, FormatterCloser>;

inline const UChar* utf16(const QString& text)
{
    return reinterpret_cast<const UChar*>(text.utf16());
}

inline UDate toUDate(const QDateTime& date)
{
    return static_cast<UDate>(date.toMSecsSinceEpoch());
}

QDateTime fromUDate(UDate moment);

// The environment's moment, else its clock's, else the system's.
UDate currentMoment(const DateTextEnvironment& environment);

// The current calendar of the environment's zone and locale; null when it cannot be made.
Calendar openCalendar(const DateTextEnvironment& environment);
// A new formatter with a pattern, or with a date and a time style; null when it cannot be made.
Formatter openFormatter(const QString& pattern, const DateTextEnvironment& environment);
Formatter openFormatter(DateFormatterStyle dateStyle, DateFormatterStyle timeStyle,
                        const DateTextEnvironment& environment);

// Sets the calendar to a moment. False for one beyond the calendar's range, which the calendar would
// quietly pin to its ends.
bool setMoment(UCalendar* calendar, UDate moment);
// The calendar's moment moved by whole days, wall-clock time kept across a change of summer time.
UDate movedByDays(UCalendar* calendar, int days, UErrorCode& status);
// The first moment of the calendar's day.
UDate midnight(UCalendar* calendar, UErrorCode& status);

// The formatter's text for a moment; null for one beyond its calendar's range.
QString format(const UDateFormat* formatter, UDate moment);

} // namespace pairsift::icudates
