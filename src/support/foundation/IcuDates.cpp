#include "support/foundation/IcuDates.h"

#include <QLocale>

namespace pairsift::icudates {

namespace {

// The ICU locale for a Qt locale name; Qt's "C" is the POSIX flavour of English.
QByteArray icuLocaleName(const QString& localeName)
{
    const QString name = localeName.isEmpty() ? QLocale().name() : localeName;
    if (name == QLatin1String("C"))
        return QByteArrayLiteral("en_US_POSIX");
    return name.toUtf8();
}

// An empty zone id asks ICU for its default zone, which is the system's.
const UChar* zoneData(const DateTextEnvironment& environment)
{
    return environment.timeZoneId.isEmpty() ? nullptr : utf16(environment.timeZoneId);
}

int32_t zoneLength(const DateTextEnvironment& environment)
{
    return static_cast<int32_t>(environment.timeZoneId.size());
}

UDateFormatStyle icuStyle(DateFormatterStyle style)
{
    switch (style) {
    case DateFormatterStyle::None:
        return UDAT_NONE;
    case DateFormatterStyle::Short:
        return UDAT_SHORT;
    case DateFormatterStyle::Medium:
        return UDAT_MEDIUM;
    case DateFormatterStyle::Long:
        return UDAT_LONG;
    case DateFormatterStyle::Full:
        return UDAT_FULL;
    }
    return UDAT_NONE;
}

} // namespace

QDateTime fromUDate(UDate moment)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(moment), Qt::UTC);
}

UDate currentMoment(const DateTextEnvironment& environment)
{
    const QDateTime now = environment.now.isValid() ? environment.now
        : environment.clock                         ? environment.clock()
                                                    : QDateTime::currentDateTimeUtc();
    return toUDate(now);
}

Calendar openCalendar(const DateTextEnvironment& environment)
{
    const QByteArray locale = icuLocaleName(environment.localeName);
    UErrorCode status = U_ZERO_ERROR;
    Calendar calendar(
        ucal_open(zoneData(environment), zoneLength(environment), locale.constData(), UCAL_DEFAULT, &status));
    return U_SUCCESS(status) ? std::move(calendar) : nullptr;
}

Formatter openFormatter(const QString& pattern, const DateTextEnvironment& environment)
{
    const QByteArray locale = icuLocaleName(environment.localeName);
    UErrorCode status = U_ZERO_ERROR;
    Formatter formatter(udat_open(UDAT_PATTERN, UDAT_PATTERN, locale.constData(), zoneData(environment),
                                  zoneLength(environment), utf16(pattern), static_cast<int32_t>(pattern.size()),
                                  &status));
    return U_SUCCESS(status) ? std::move(formatter) : nullptr;
}

Formatter openFormatter(DateFormatterStyle dateStyle, DateFormatterStyle timeStyle,
                        const DateTextEnvironment& environment)
{
    const QByteArray locale = icuLocaleName(environment.localeName);
    UErrorCode status = U_ZERO_ERROR;
    Formatter formatter(udat_open(icuStyle(timeStyle), icuStyle(dateStyle), locale.constData(),
                                  zoneData(environment), zoneLength(environment), nullptr, 0, &status));
    return U_SUCCESS(status) ? std::move(formatter) : nullptr;
}

bool setMoment(UCalendar* calendar, UDate moment)
{
    UErrorCode status = U_ZERO_ERROR;
    ucal_setMillis(calendar, moment, &status);
    return ucal_getMillis(calendar, &status) == moment && U_SUCCESS(status);
}

UDate movedByDays(UCalendar* calendar, int days, UErrorCode& status)
{
    // Setting the day field keeps the wall-clock time across a change of summer time; adding days
    // after a time-field read does not always do so.
    ucal_set(calendar, UCAL_DAY_OF_MONTH, ucal_get(calendar, UCAL_DAY_OF_MONTH, &status) + days);
    return ucal_getMillis(calendar, &status);
}

UDate midnight(UCalendar* calendar, UErrorCode& status)
{
    ucal_set(calendar, UCAL_HOUR_OF_DAY, 0);
    ucal_set(calendar, UCAL_MINUTE, 0);
    ucal_set(calendar, UCAL_SECOND, 0);
    ucal_set(calendar, UCAL_MILLISECOND, 0);
    return ucal_getMillis(calendar, &status);
}

QString format(const UDateFormat* formatter, UDate moment)
{
    UErrorCode status = U_ZERO_ERROR;
    Calendar calendar(ucal_clone(udat_getCalendar(formatter), &status));
    if (U_FAILURE(status) || !setMoment(calendar.get(), moment))
        return {};
    QString text(64, Qt::Uninitialized);
    int32_t length = udat_formatCalendar(formatter, calendar.get(), reinterpret_cast<UChar*>(text.data()),
                                         static_cast<int32_t>(text.size()), nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        text.resize(length);
        length = udat_formatCalendar(formatter, calendar.get(), reinterpret_cast<UChar*>(text.data()), length,
                                     nullptr, &status);
    }
    if (U_FAILURE(status))
        return {};
    text.resize(length);
    return text;
}

} // namespace pairsift::icudates
