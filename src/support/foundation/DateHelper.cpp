#include "support/foundation/DateHelper.h"

#include "platform/Format.h"
#include "support/foundation/IcuDates.h"

namespace pairsift {

namespace {

// The calendar set to the date; null when either cannot be had.
icudates::Calendar calendarAt(const QDateTime& date, const DateTextEnvironment& environment)
{
    if (!date.isValid())
        return nullptr;
    icudates::Calendar calendar = icudates::openCalendar(environment);
    if (!calendar || !icudates::setMoment(calendar.get(), icudates::toUDate(date)))
        return nullptr;
    return calendar;
}

QDateTime validMoment(UDate moment, UErrorCode status)
{
    return U_SUCCESS(status) ? icudates::fromUDate(moment) : QDateTime();
}

} // namespace

std::optional<qint64> daysAgo(const QDateTime& date, const DateTextEnvironment& environment)
{
    const icudates::Calendar calendar = calendarAt(date, environment);
    if (!calendar)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t days =
        ucal_getFieldDifference(calendar.get(), icudates::currentMoment(environment), UCAL_DATE, &status);
    return U_SUCCESS(status) ? std::optional<qint64>(days) : std::nullopt;
}

std::optional<int> daysAgoAgainstMidnight(const QDateTime& date, const DateTextEnvironment& environment)
{
    const UDate now = icudates::currentMoment(environment);
    const icudates::Calendar dateCalendar = calendarAt(date, environment);
    const icudates::Calendar nowCalendar = calendarAt(icudates::fromUDate(now), environment);
    if (!dateCalendar || !nowCalendar)
        return std::nullopt;
    // Julian day numbers change at the zone's midnights, so a 23- or 25-hour day counts as one day and a
    // day whose midnight the clock skips is still a day.
    UErrorCode status = U_ZERO_ERROR;
    int days = ucal_get(nowCalendar.get(), UCAL_JULIAN_DAY, &status)
        - ucal_get(dateCalendar.get(), UCAL_JULIAN_DAY, &status);
    // A later day counts the whole days from now to its start, dropping the rest of today.
    if (days < 0 && icudates::midnight(nowCalendar.get(), status) < now)
        ++days;
    return U_SUCCESS(status) ? std::optional<int>(days) : std::nullopt;
}

QString stringDaysAgo(const QDateTime& date, const DateTextEnvironment& environment)
{
    return stringDaysAgoAgainstMidnight(date, true, environment);
}

QString stringDaysAgoAgainstMidnight(const QDateTime& date, bool againstMidnight,
                                     const DateTextEnvironment& environment)
{
    const std::optional<qint64> days = againstMidnight
        ? std::optional<qint64>(daysAgoAgainstMidnight(date, environment))
        : daysAgo(date, environment);
    if (!days)
        return {};
    if (*days == 0)
        return QStringLiteral("Today");
    if (*days == 1)
        return QStringLiteral("Yesterday");
    return formatString("%ld days ago", *days);
}

std::optional<int> weekday(const QDateTime& date, const DateTextEnvironment& environment)
{
    const icudates::Calendar calendar = calendarAt(date, environment);
    if (!calendar)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t day = ucal_get(calendar.get(), UCAL_DAY_OF_WEEK, &status);
    return U_SUCCESS(status) ? std::optional<int>(day) : std::nullopt;
}

QString stringWithFormat(const QDateTime& date, const QString& format, const DateTextEnvironment& environment)
{
    if (!date.isValid())
        return {};
    const icudates::Formatter formatter = icudates::openFormatter(format, environment);
    return formatter ? icudates::format(formatter.get(), icudates::toUDate(date)) : QString();
}

QString string(const QDateTime& date, const DateTextEnvironment& environment)
{
    return stringWithFormat(date, dbFormatString(), environment);
}

QString stringWithDateStyle(const QDateTime& date, DateFormatterStyle dateStyle, DateFormatterStyle timeStyle,
                            const DateTextEnvironment& environment)
{
    return StyledDateFormatter(dateStyle, timeStyle, environment).stringFromDate(date);
}

QDateTime beginningOfWeek(const QDateTime& date, const DateTextEnvironment& environment)
{
    const icudates::Calendar calendar = calendarAt(date, environment);
    if (!calendar)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t firstDay = ucal_getAttribute(calendar.get(), UCAL_FIRST_DAY_OF_WEEK);
    const int32_t day = ucal_get(calendar.get(), UCAL_DAY_OF_WEEK, &status);
    icudates::movedByDays(calendar.get(), -((day - firstDay + 7) % 7), status);
    return validMoment(icudates::midnight(calendar.get(), status), status);
}

QDateTime beginningOfDay(const QDateTime& date, const DateTextEnvironment& environment)
{
    const icudates::Calendar calendar = calendarAt(date, environment);
    if (!calendar)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    return validMoment(icudates::midnight(calendar.get(), status), status);
}

QDateTime endOfWeek(const QDateTime& date, const DateTextEnvironment& environment)
{
    const icudates::Calendar calendar = calendarAt(date, environment);
    if (!calendar)
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const int32_t day = ucal_get(calendar.get(), UCAL_DAY_OF_WEEK, &status);
    return validMoment(icudates::movedByDays(calendar.get(), 7 - day, status), status);
}

QDateTime dateFromString(const QString& text, const DateTextEnvironment& environment)
{
    return dateFromString(text, dbFormatString(), environment);
}

QDateTime dateFromString(const QString& text, const QString& format, const DateTextEnvironment& environment)
{
    if (text.isNull())
        return {};
    const icudates::Formatter formatter = icudates::openFormatter(format, environment);
    if (!formatter)
        return {};
    udat_setLenient(formatter.get(), false);
    int32_t position = 0;
    UErrorCode status = U_ZERO_ERROR;
    const UDate moment =
        udat_parse(formatter.get(), icudates::utf16(text), static_cast<int32_t>(text.size()), &position, &status);
    // Text left over after the pattern means the text was not a date in that form.
    if (U_FAILURE(status) || position != text.size())
        return {};
    return icudates::fromUDate(moment);
}

QString stringFromDate(const QDateTime& date, const QString& format, const DateTextEnvironment& environment)
{
    return stringWithFormat(date, format, environment);
}

QString stringFromDate(const QDateTime& date, const DateTextEnvironment& environment)
{
    return string(date, environment);
}

QString dateFormatString()
{
    return QStringLiteral("yyyy-MM-dd");
}

QString timeFormatString()
{
    return QStringLiteral("HH:mm:ss");
}

QString timestampFormatString()
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QString dbFormatString()
{
    return timestampFormatString();
}

} // namespace pairsift
