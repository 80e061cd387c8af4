#include "support/foundation/DateFormatting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pairsift {
namespace {

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0, int millisecond = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, millisecond), Qt::UTC);
}

// Wednesday 13 March 2024, 10:30 in UTC.
const DateTextEnvironment wednesdayMorning{utc(2024, 3, 13, 10, 30), QStringLiteral("UTC"), QStringLiteral("en_US")};

struct DisplayCase {
    const char* what;
    QDateTime date;
    const char* neither;
    const char* prefixed;
    const char* timeForced;
    const char* both;
};

TEST(DisplayDate, patternByAgeAndFlags)
{
    const DisplayCase cases[] = {
        {"five minutes ago", utc(2024, 3, 13, 10, 25), "10:25 AM", "at 10:25 AM", "10:25 AM", "at 10:25 AM"},
        {"just after midnight", utc(2024, 3, 13, 0, 0, 0, 1), "12:00 AM", "at 12:00 AM", "12:00 AM", "at 12:00 AM"},
        {"in the future", utc(2024, 3, 20, 9, 5), "9:05 AM", "at 9:05 AM", "9:05 AM", "at 9:05 AM"},
        {"exactly midnight", utc(2024, 3, 13, 0, 0), "Wednesday", "on Wednesday", "Wednesday 12:00 AM",
         "on Wednesday 12:00 AM"},
        {"yesterday noon", utc(2024, 3, 12, 12, 0), "Tuesday", "on Tuesday", "Tuesday 12:00 PM",
         "on Tuesday 12:00 PM"},
        {"one second inside the week", utc(2024, 3, 6, 10, 30, 1), "Wednesday", "on Wednesday",
         "Wednesday 10:30 AM", "on Wednesday 10:30 AM"},
        {"exactly a week ago", utc(2024, 3, 6, 10, 30), "Mar 6", "on Mar 6", "Mar 6 10:30 AM", "on Mar 6 10:30 AM"},
        {"earlier this year", utc(2024, 1, 2, 8, 15), "Jan 2", "on Jan 2", "Jan 2 8:15 AM", "on Jan 2 8:15 AM"},
        {"same date last year", utc(2023, 3, 13, 10, 30), "Mar 13, 2023", "on Mar 13, 2023",
         "Mar 13, 2023 10:30 AM", "on Mar 13, 2023 10:30 AM"},
    };
    for (const DisplayCase& item : cases) {
        const QDateTime& date = item.date;
        EXPECT_EQ(stringForDisplayFromDate(date, false, false, wednesdayMorning), QString::fromUtf8(item.neither))
            << item.what;
        EXPECT_EQ(stringForDisplayFromDate(date, true, false, wednesdayMorning), QString::fromUtf8(item.prefixed))
            << item.what;
        EXPECT_EQ(stringForDisplayFromDate(date, false, true, wednesdayMorning), QString::fromUtf8(item.timeForced))
            << item.what;
        EXPECT_EQ(stringForDisplayFromDate(date, true, true, wednesdayMorning), QString::fromUtf8(item.both))
            << item.what;
    }
}

TEST(DisplayDate, weekRuleWinsOverTheYearRule)
{
    const DateTextEnvironment newYear{utc(2024, 1, 2, 10, 0), QStringLiteral("UTC"), QStringLiteral("en_US")};
    EXPECT_EQ(stringForDisplayFromDate(utc(2023, 12, 30, 18, 0), false, false, newYear), QStringLiteral("Saturday"));
    EXPECT_EQ(stringForDisplayFromDate(utc(2023, 12, 20, 18, 0), false, false, newYear),
              QStringLiteral("Dec 20, 2023"));
    EXPECT_EQ(stringForDisplayFromDate(utc(1999, 12, 31, 23, 59), false, false, newYear),
              QStringLiteral("Dec 31, 1999"));
}

struct ZoneCase {
    const char* what;
    DateTextEnvironment environment;
    QDateTime date;
    const char* expected;
};

TEST(DisplayDate, midnightAndWeekFollowTheTimeZone)
{
    // Central Europe moves to summer time at 02:00 on 31 March 2024.
    const QString berlin = QStringLiteral("Europe/Berlin");
    const QString english = QStringLiteral("en_US");
    const DateTextEnvironment tokyo{utc(2024, 3, 13, 10, 30), QStringLiteral("Asia/Tokyo"), english};
    const DateTextEnvironment changeDay{utc(2024, 3, 31, 10, 0), berlin, english};
    const DateTextEnvironment afterChange{utc(2024, 4, 2, 10, 0), berlin, english};
    const ZoneCase cases[] = {
        {"yesterday in UTC is today in Tokyo", tokyo, utc(2024, 3, 12, 23, 30), "8:30 AM"},
        {"Tokyo's midnight", tokyo, utc(2024, 3, 12, 15, 0), "Wednesday"},
        {"after local midnight", changeDay, utc(2024, 3, 30, 23, 30), "12:30 AM"},
        {"before local midnight", changeDay, utc(2024, 3, 30, 22, 59), "Saturday"},
        // Seven calendar days back is 12:00 in winter time (11:00 UTC), not 168 hours back (10:00 UTC).
        {"inside the calendar week", afterChange, utc(2024, 3, 26, 11, 30), "Tuesday"},
        {"outside the calendar week", afterChange, utc(2024, 3, 26, 10, 30), "Mar 26"},
    };
    for (const ZoneCase& item : cases)
        EXPECT_EQ(stringForDisplayFromDate(item.date, false, false, item.environment), QString::fromUtf8(item.expected))
            << item.what;
}

TEST(DisplayDate, wordsFollowTheLocale)
{
    const DateTextEnvironment german{utc(2024, 3, 13, 10, 30), QStringLiteral("UTC"), QStringLiteral("de_DE")};
    EXPECT_EQ(stringForDisplayFromDate(utc(2024, 3, 12, 12, 0), false, false, german), QStringLiteral("Dienstag"));
    EXPECT_EQ(stringForDisplayFromDate(utc(2023, 3, 13, 12, 0), false, false, german), QStringLiteral("März 13, 2023"));
}

TEST(DisplayDate, dateWithoutAValueGivesNoText)
{
    EXPECT_TRUE(stringForDisplayFromDate(QDateTime(), true, true, wednesdayMorning).isNull());
    // Valid for Qt, beyond the calendar's range.
    for (const qint64 milliseconds : {std::numeric_limits<qint64>::max() / 2, std::numeric_limits<qint64>::min() / 2}) {
        const QDateTime outOfRange = QDateTime::fromMSecsSinceEpoch(milliseconds, Qt::UTC);
        EXPECT_TRUE(stringForDisplayFromDate(outOfRange, false, false, wednesdayMorning).isNull()) << milliseconds;
        const DateTextEnvironment strangeNow{outOfRange, QStringLiteral("UTC"), QStringLiteral("en_US")};
        EXPECT_TRUE(stringForDisplayFromDate(utc(2024, 3, 12, 12, 0), false, false, strangeNow).isNull()) << milliseconds;
    }
}

TEST(DisplayDate, defaultsToTheCurrentMoment)
{
    // No moment given: the clock's, Wednesday 13 March 2024 10:30, decides what is today and this week.
    const DateTextEnvironment clocked{
        QDateTime(), QStringLiteral("UTC"), QStringLiteral("en_US"), [] { return utc(2024, 3, 13, 10, 30); }};
    EXPECT_EQ(stringForDisplayFromDate(utc(2024, 3, 13, 10, 25), false, false, clocked), QStringLiteral("10:25 AM"));
    EXPECT_EQ(stringForDisplayFromDate(utc(2024, 3, 12, 12, 0), false, false, clocked), QStringLiteral("Tuesday"));
    EXPECT_EQ(stringForDisplayFromDate(utc(2023, 3, 13, 10, 30), false, false, clocked), QStringLiteral("Mar 13, 2023"));
}

struct ClockCase {
    double seconds;
    const char* expected;
};

TEST(ClockText, hoursMinutesAndSeconds)
{
    const ClockCase cases[] = {
        {0, "0:00"},
        {59, "0:59"},
        {59.99, "0:59"},
        {61, "1:01"},
        {3599, "59:59"},
        {3600, "1:00:00"},
        {3725.9, "1:02:05"},
        {90000, "25:00:00"}, // hours are not wrapped at 24
        {-61, "0:00"},
        {std::numeric_limits<double>::quiet_NaN(), "0:00"},
        {1e300, "2147483647:00:00"},
        {std::numeric_limits<double>::infinity(), "2147483647:00:00"},
    };
    for (const ClockCase& item : cases)
        EXPECT_EQ(stringWithTimeInterval(item.seconds), QString::fromLatin1(item.expected)) << item.seconds;
}

} // namespace
} // namespace pairsift
