#include "support/foundation/DateFormatting.h"

#include "platform/Format.h"
#include "support/foundation/IcuDates.h"

#include <climits>

namespace pairsift {

namespace {

struct DateFields {
    UDate todayMidnight;
    UDate weekAgo;
    int32_t nowYear;
    int32_t dateYear;
};

// Today's midnight and now minus seven calendar days (time of day kept), in the calendar's zone.
bool readDateFields(UCalendar* calendar, UDate date, UDate now, DateFields& fields)
{
    UErrorCode status = U_ZERO_ERROR;
    if (!icudates::setMoment(calendar, date))
        return false;
    // The extended year keeps counting through era changes, so "earlier year" holds before year 1 too.
    fields.dateYear = ucal_get(calendar, UCAL_EXTENDED_YEAR, &status);

    if (!icudates::setMoment(calendar, now))
        return false;
    fields.nowYear = ucal_get(calendar, UCAL_EXTENDED_YEAR, &status);
    fields.weekAgo = icudates::movedByDays(calendar, -7, status);

    ucal_setMillis(calendar, now, &status);
    fields.todayMidnight = icudates::midnight(calendar, status);
    return U_SUCCESS(status);
}

QString displayPattern(const DateFields& fields, UDate date, bool prefixed, bool alwaysDisplayTime)
{
    if (date > fields.todayMidnight)
        return prefixed ? QStringLiteral("'at' h:mm a") : QStringLiteral("h:mm a");

    QString pattern;
    if (date > fields.weekAgo)
        pattern = alwaysDisplayTime ? QStringLiteral("EEEE h:mm a") : QStringLiteral("EEEE");
    else if (fields.dateYear < fields.nowYear)
        pattern = alwaysDisplayTime ? QStringLiteral("MMM d, yyyy h:mm a") : QStringLiteral("MMM d, yyyy");
    else
        pattern = alwaysDisplayTime ? QStringLiteral("MMM d h:mm a") : QStringLiteral("MMM d");
    return prefixed ? QStringLiteral("'on' ") + pattern : pattern;
}

} // namespace

QString stringForDisplayFromDate(const QDateTime& date, bool prefixed, bool alwaysDisplayTime,
                                 const DateTextEnvironment& environment)
{
    if (!date.isValid())
        return {};
    const UDate when = icudates::toUDate(date);
    const icudates::Calendar calendar = icudates::openCalendar(environment);
    DateFields fields{};
    if (!calendar || !readDateFields(calendar.get(), when, icudates::currentMoment(environment), fields))
        return {};
    const QString pattern = displayPattern(fields, when, prefixed, alwaysDisplayTime);
    const icudates::Formatter formatter = icudates::openFormatter(pattern, environment);
    return formatter ? icudates::format(formatter.get(), when) : QString();
}

struct StyledDateFormatter::Handle {
    icudates::Formatter formatter;
};

StyledDateFormatter::StyledDateFormatter(Style dateStyle, Style timeStyle, const DateTextEnvironment& environment)
    : m_handle(std::make_unique<Handle>(Handle{icudates::openFormatter(dateStyle, timeStyle, environment)}))
{
}

StyledDateFormatter::~StyledDateFormatter() = default;

QString StyledDateFormatter::stringFromDate(const QDateTime& date) const
{
    if (!date.isValid() || !m_handle->formatter)
        return {};
    return icudates::format(m_handle->formatter.get(), icudates::toUDate(date));
}

QString stringWithTimeInterval(double seconds)
{
    // The int truncations below are undefined outside int's range and for NaN.
    constexpr double longest = 3600.0 * INT_MAX;
    if (!(seconds > 0.0))
        seconds = 0.0;
    else if (seconds > longest)
        seconds = longest;

    const int hours = static_cast<int>(seconds / 3600.0);
    const double rest = seconds - 3600.0 * hours;
    const int minutes = static_cast<int>(rest / 60.0);
    const int secs = static_cast<int>(rest - 60.0 * minutes);
    if (hours != 0)
        return formatString("%d:%02d:%02d", hours, minutes, secs);
    return formatString("%d:%02d", minutes, secs);
}

} // namespace pairsift
