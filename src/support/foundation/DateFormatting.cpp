#include "support/foundation/DateFormatting.h"

#include "platform/Format.h"

#include <QLocale>

#include <unicode/ucal.h>
#include <unicode/udat.h>

#include <climits>
#include <memory>

namespace pairsift {

namespace {

struct CalendarCloser {
    void operator()(UCalendar* calendar) const { ucal_close(calendar); }
};
struct FormatterCloser {
    void operator()(UDateFormat* formatter) const { udat_close(formatter); }
};
using Calendar = std::unique_ptr<UCalendar, CalendarCloser>;
using Formatter = std::unique_ptr<UDateFormat, FormatterCloser>;

const UChar* utf16(const QString& text)
{
    return reinterpret_cast<const UChar*>(text.utf16());
}

// The ICU locale for a Qt locale name; Qt's "C" is the POSIX flavour of English.
QByteArray icuLocaleName(const QString& localeName)
{
    const QString name = localeName.isEmpty() ? QLocale().name() : localeName;
    if (name == QLatin1String("C"))
        return QByteArrayLiteral("en_US_POSIX");
    return name.toUtf8();
}

// An empty zone id asks ICU for its default zone, which is the system's.
struct ZoneId {
    explicit ZoneId(const QString& id) : m_id(id) {}
    const UChar* data() const { return m_id.isEmpty() ? nullptr : utf16(m_id); }
    int32_t length() const { return m_id.isEmpty() ? 0 : static_cast<int32_t>(m_id.size()); }

private:
    QString m_id;
};

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
    // The calendar quietly pins moments beyond its range to its ends; such a moment has no text.
    ucal_setMillis(calendar, date, &status);
    if (ucal_getMillis(calendar, &status) != date)
        return false;
    // The extended year keeps counting through era changes, so "earlier year" holds before year 1 too.
    fields.dateYear = ucal_get(calendar, UCAL_EXTENDED_YEAR, &status);

    ucal_setMillis(calendar, now, &status);
    if (ucal_getMillis(calendar, &status) != now)
        return false;
    fields.nowYear = ucal_get(calendar, UCAL_EXTENDED_YEAR, &status);
    // Setting the day field keeps the wall-clock time across a change of summer time; adding days
    // after a time-field read does not always do so.
    ucal_set(calendar, UCAL_DAY_OF_MONTH, ucal_get(calendar, UCAL_DAY_OF_MONTH, &status) - 7);
    fields.weekAgo = ucal_getMillis(calendar, &status);

    ucal_setMillis(calendar, now, &status);
    ucal_set(calendar, UCAL_HOUR_OF_DAY, 0);
    ucal_set(calendar, UCAL_MINUTE, 0);
    ucal_set(calendar, UCAL_SECOND, 0);
    ucal_set(calendar, UCAL_MILLISECOND, 0);
    fields.todayMidnight = ucal_getMillis(calendar, &status);
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

QString formatWith(const UDateFormat* formatter, UDate date)
{
    UErrorCode status = U_ZERO_ERROR;
    QString text(64, Qt::Uninitialized);
    int32_t length = udat_format(formatter, date, reinterpret_cast<UChar*>(text.data()),
                                 static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        text.resize(length);
        length = udat_format(formatter, date, reinterpret_cast<UChar*>(text.data()), length, nullptr, &status);
    }
    if (U_FAILURE(status))
        return {};
    text.resize(length);
    return text;
}

QString render(UDate date, const QString& pattern, const ZoneId& zone, const QByteArray& locale)
{
    UErrorCode status = U_ZERO_ERROR;
    Formatter formatter(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), zone.data(), zone.length(),
                                  utf16(pattern), static_cast<int32_t>(pattern.size()), &status));
    if (U_FAILURE(status))
        return {};
    return formatWith(formatter.get(), date);
}

UDateFormatStyle icuStyle(StyledDateFormatter::Style style)
{
    switch (style) {
    case StyledDateFormatter::Style::None:
        return UDAT_NONE;
    case StyledDateFormatter::Style::Short:
        return UDAT_SHORT;
    case StyledDateFormatter::Style::Medium:
        return UDAT_MEDIUM;
    case StyledDateFormatter::Style::Long:
        return UDAT_LONG;
    }
    return UDAT_NONE;
}

} // namespace

QString stringForDisplayFromDate(const QDateTime& date, bool prefixed, bool alwaysDisplayTime,
                                 const DateTextEnvironment& environment)
{
    if (!date.isValid())
        return {};
    const UDate when = static_cast<UDate>(date.toMSecsSinceEpoch());
    const QDateTime moment = environment.now.isValid() ? environment.now
        : environment.clock                           ? environment.clock()
                                                      : QDateTime::currentDateTimeUtc();
    const UDate now = static_cast<UDate>(moment.toMSecsSinceEpoch());
    const ZoneId zone(environment.timeZoneId);
    const QByteArray locale = icuLocaleName(environment.localeName);

    UErrorCode status = U_ZERO_ERROR;
    Calendar calendar(ucal_open(zone.data(), zone.length(), locale.constData(), UCAL_DEFAULT, &status));
    DateFields fields{};
    if (U_FAILURE(status) || !readDateFields(calendar.get(), when, now, fields))
        return {};
    return render(when, displayPattern(fields, when, prefixed, alwaysDisplayTime), zone, locale);
}

struct StyledDateFormatter::Handle {
    Formatter formatter;
};

StyledDateFormatter::StyledDateFormatter(Style dateStyle, Style timeStyle, const DateTextEnvironment& environment)
    : m_handle(std::make_unique<Handle>())
{
    const ZoneId zone(environment.timeZoneId);
    const QByteArray locale = icuLocaleName(environment.localeName);
    UErrorCode status = U_ZERO_ERROR;
    m_handle->formatter.reset(udat_open(icuStyle(timeStyle), icuStyle(dateStyle), locale.constData(), zone.data(),
                                        zone.length(), nullptr, 0, &status));
    if (U_FAILURE(status))
        m_handle->formatter.reset();
}

StyledDateFormatter::~StyledDateFormatter() = default;

QString StyledDateFormatter::stringFromDate(const QDateTime& date) const
{
    if (!date.isValid() || !m_handle->formatter)
        return {};
    return formatWith(m_handle->formatter.get(), static_cast<UDate>(date.toMSecsSinceEpoch()));
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
