#include "support/foundation/DateHelper.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

QDateTime utc(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

const QString english = QStringLiteral("en_US");
// Wednesday 13 March 2024, 10:30 in UTC; 19:30 in Tokyo.
const DateTextEnvironment wednesdayMorning{utc(2024, 3, 13, 10, 30), QStringLiteral("UTC"), english};
const DateTextEnvironment tokyo{utc(2024, 3, 13, 10, 30), QStringLiteral("Asia/Tokyo"), english};

// "Now" in a zone, to count days across its changes of clock.
DateTextEnvironment nowIn(const char* zone, const QDateTime& now)
{
    return {now, QString::fromUtf8(zone), english};
}

TEST(DaysAgoText, todayYesterdayAndDaysCountedFromMidnightOrInWholeDays)
{
    // Berlin: 31 March has 23 hours (01:00 UTC, CET to CEST), 27 October 25 hours (01:00 UTC, back).
    const DateTextEnvironment berlinAfterShortDay = nowIn("Europe/Berlin", utc(2024, 3, 31, 22, 30));
    const DateTextEnvironment berlinEndOfLongDay = nowIn("Europe/Berlin", utc(2024, 10, 27, 22, 30));
    // The clock skips midnight: Santiago on 8 September (-04 to -03 at 04:00 UTC), Havana on 10 March
    // (-05 to -04 at 05:00 UTC); both days begin at 01:00.
    const char* santiago = "America/Santiago";
    const char* havana = "America/Havana";
    const struct {
        const char* what;
        DateTextEnvironment environment;
        QDateTime date;
        bool againstMidnight;
        const char* expected;
    } cases[] = {
        {"earlier today", wednesdayMorning, utc(2024, 3, 13, 0, 0, 1), true, "Today"},
        {"exactly today's midnight", wednesdayMorning, utc(2024, 3, 13, 0, 0), true, "Today"},
        {"yesterday's first second", wednesdayMorning, utc(2024, 3, 12, 0, 0), true, "Yesterday"},
        {"yesterday's last second", wednesdayMorning, utc(2024, 3, 12, 23, 59, 59), true, "Yesterday"},
        {"the day before", wednesdayMorning, utc(2024, 3, 11, 23, 59, 59), true, "2 days ago"},
        {"a leap year back", wednesdayMorning, utc(2023, 3, 13, 12, 0), true, "366 days ago"},
        {"Tokyo's midnight", tokyo, utc(2024, 3, 12, 15, 0), true, "Today"},
        {"before Tokyo's midnight", tokyo, utc(2024, 3, 12, 14, 59, 59), true, "Yesterday"},
        {"tomorrow, less than a day ahead of its start", wednesdayMorning, utc(2024, 3, 14, 20, 0), true, "Today"},
        {"tomorrow, now at the first moment of a day without midnight", nowIn(santiago, utc(2024, 9, 8, 4, 0)),
         utc(2024, 9, 9, 15, 0), true, "-1 days ago"},
        {"noon of a 23-hour yesterday", berlinAfterShortDay, utc(2024, 3, 31, 10, 0), true, "Yesterday"},
        {"midnight of a 23-hour yesterday", berlinAfterShortDay, utc(2024, 3, 30, 23, 0), true, "Yesterday"},
        {"the day before a 23-hour day", berlinAfterShortDay, utc(2024, 3, 30, 11, 0), true, "2 days ago"},
        {"early in a 25-hour today", berlinEndOfLongDay, utc(2024, 10, 26, 22, 10), true, "Today"},
        {"the day before a 25-hour today", berlinEndOfLongDay, utc(2024, 10, 26, 10, 0), true, "Yesterday"},
        {"the first moment of a day without midnight", nowIn(santiago, utc(2024, 9, 8, 15, 0)),
         utc(2024, 9, 8, 4, 0), true, "Today"},
        {"the last second before a skipped midnight", nowIn(santiago, utc(2024, 9, 8, 15, 0)),
         utc(2024, 9, 8, 3, 59, 59), true, "Yesterday"},
        {"a day without midnight, early next day", nowIn(santiago, utc(2024, 9, 9, 3, 30)), utc(2024, 9, 8, 15, 0),
         true, "Yesterday"},
        {"the day before a day without midnight", nowIn(santiago, utc(2024, 9, 9, 3, 30)), utc(2024, 9, 7, 16, 0),
         true, "2 days ago"},
        {"Havana's first moment of the day", nowIn(havana, utc(2024, 3, 11, 0, 0)), utc(2024, 3, 10, 5, 0), true,
         "Today"},
        {"the day before in Havana", nowIn(havana, utc(2024, 3, 11, 0, 0)), utc(2024, 3, 9, 17, 0), true,
         "Yesterday"},
        {"Havana's day without midnight, days later", nowIn(havana, utc(2024, 3, 12, 13, 0)), utc(2024, 3, 10, 16, 0),
         true, "2 days ago"},
        {"Beirut's day without midnight", nowIn("Asia/Beirut", utc(2024, 4, 1, 9, 0)), utc(2024, 3, 31, 9, 0), true,
         "Yesterday"},
        {"Asuncion's day without midnight", nowIn("America/Asuncion", utc(2024, 10, 7, 15, 0)),
         utc(2024, 10, 6, 15, 0), true, "Yesterday"},
        {"Sao Paulo's day without midnight", nowIn("America/Sao_Paulo", utc(2018, 11, 5, 14, 0)),
         utc(2018, 11, 4, 14, 0), true, "Yesterday"},
        {"less than a whole day", wednesdayMorning, utc(2024, 3, 12, 10, 31), false, "Today"},
        {"one whole day", wednesdayMorning, utc(2024, 3, 12, 10, 30), false, "Yesterday"},
        {"three whole days", wednesdayMorning, utc(2024, 3, 10, 10, 30), false, "3 days ago"},
    };
    for (const auto& item : cases)
        EXPECT_EQ(stringDaysAgoAgainstMidnight(item.date, item.againstMidnight, item.environment),
                  QString::fromUtf8(item.expected))
            << item.what;
    EXPECT_EQ(stringDaysAgo(utc(2024, 3, 12, 23, 0), wednesdayMorning), QStringLiteral("Yesterday"));
}

TEST(DateHelper, weekdayAndTheBoundsOfDayAndWeek)
{
    const QString berlin = QStringLiteral("Europe/Berlin");
    const struct {
        const char* what;
        DateTextEnvironment environment;
        QDateTime date;
        int weekday;
        QDateTime dayStart;
        QDateTime weekStart;
        QDateTime weekEnd;
    } cases[] = {
        {"a Wednesday", wednesdayMorning, utc(2024, 3, 13, 10, 30), 4, utc(2024, 3, 13, 0, 0), utc(2024, 3, 10, 0, 0),
         utc(2024, 3, 16, 10, 30)},
        {"weeks starting on Monday", {{}, QStringLiteral("UTC"), QStringLiteral("de_DE")}, utc(2024, 3, 13, 10, 30), 4,
         utc(2024, 3, 13, 0, 0), utc(2024, 3, 11, 0, 0), utc(2024, 3, 16, 10, 30)},
        {"a Sunday", wednesdayMorning, utc(2024, 3, 10, 8, 0), 1, utc(2024, 3, 10, 0, 0), utc(2024, 3, 10, 0, 0),
         utc(2024, 3, 16, 8, 0)},
        // Summer time begins on Sunday 31 March: that day's midnight is still winter time (UTC+1).
        {"a week over the change of summer time", {{}, berlin, english}, utc(2024, 4, 2, 10, 0), 3,
         utc(2024, 4, 1, 22, 0), utc(2024, 3, 30, 23, 0), utc(2024, 4, 6, 10, 0)},
    };
    for (const auto& item : cases) {
        EXPECT_EQ(weekday(item.date, item.environment), item.weekday) << item.what;
        EXPECT_EQ(beginningOfDay(item.date, item.environment), item.dayStart) << item.what;
        EXPECT_EQ(beginningOfWeek(item.date, item.environment), item.weekStart) << item.what;
        EXPECT_EQ(endOfWeek(item.date, item.environment), item.weekEnd) << item.what;
    }
}

TEST(DateHelper, textsReadBackOnlyWhenTheWholeTextIsADate)
{
    const QDateTime date = utc(2024, 3, 13, 10, 30, 5);
    EXPECT_EQ(string(date, wednesdayMorning), QStringLiteral("2024-03-13 10:30:05"));
    EXPECT_EQ(dateFromString(stringFromDate(date, wednesdayMorning), wednesdayMorning), date);
    EXPECT_EQ(dateFromString(QStringLiteral("2024-03-13"), dateFormatString(), tokyo), utc(2024, 3, 12, 15, 0));
    EXPECT_EQ(stringWithDateStyle(date, DateFormatterStyle::Full, DateFormatterStyle::None, tokyo),
              QStringLiteral("Wednesday, March 13, 2024"));
    for (const char* text : {"2024-02-30", "2024-03-13 10:30:05 and more", "13/03/2024", ""})
        EXPECT_FALSE(dateFromString(QString::fromUtf8(text), wednesdayMorning).isValid()) << text;
}

TEST(DateHelper, anInvalidDateGivesNothing)
{
    const QDateTime none;
    EXPECT_FALSE(daysAgo(none, wednesdayMorning));
    EXPECT_TRUE(stringDaysAgo(none, wednesdayMorning).isNull());
    EXPECT_FALSE(weekday(none, wednesdayMorning));
    EXPECT_TRUE(stringWithDateStyle(none, DateFormatterStyle::Short, DateFormatterStyle::Short).isNull());
    EXPECT_FALSE(beginningOfWeek(none, wednesdayMorning).isValid());
}

} // namespace
} // namespace pairsift
