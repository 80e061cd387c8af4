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

TEST(DaysAgoText, todayYesterdayAndDaysCountedFromMidnightOrInWholeDays)
{
    const struct {
        const char* what;
        const DateTextEnvironment& environment;
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
