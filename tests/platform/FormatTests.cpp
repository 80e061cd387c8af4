#include "platform/Format.h"

#include <gtest/gtest.h>

#include <clocale>

namespace pairsift {
namespace {

struct Described {
    QString description() const { return QStringLiteral("<described>"); }
};

enum class Colour { Red = 3 };

TEST(Format, convertsEachKindOfArgument)
{
    EXPECT_EQ(formatString("File '%@' at %s", QStringLiteral("/a b"), "c"), "File '/a b' at c");
    EXPECT_EQ(formatString("%d %i %ld %lld", -1, 2, -3L, 4LL), "-1 2 -3 4");
    EXPECT_EQ(formatString("%lu %llu %u", 18446744073709551615UL, 0ULL, 7U), "18446744073709551615 0 7");
    EXPECT_EQ(formatString("%1.2f|%.1f|%f", 1.5, 2.25, 0.125), "1.50|2.2|0.125000");
    EXPECT_EQ(formatString("%02d:%02d", 5, 7), "05:07");
    EXPECT_EQ(formatString("%x %X", 255u, 255u), "ff FF");
    EXPECT_EQ(formatString("%@", Described()), "<described>");
    EXPECT_EQ(formatString("%d", Colour::Red), "3");
    EXPECT_EQ(formatString("%d%%", 50), "50%");
    EXPECT_EQ(formatString("%@ and %@", 12, 2.5), "12 and 2.5");
}

TEST(Format, toleratesMissingArgumentsNullTextAndStrayPercent)
{
    EXPECT_EQ(formatString("a %@ b %d"), "a  b ");
    EXPECT_EQ(formatString("%@", QString()), "(null)");
    EXPECT_EQ(formatString("100%"), "100%");
    EXPECT_EQ(formatString(nullptr), QString());
    EXPECT_EQ(formatString("%k %n|%\xC3\xA4", 1, 2, 3), QString::fromUtf8("%k %n|%\xC3\xA4"));
    EXPECT_EQ(formatString("%-4s|%4s|%.2s", "ab", "cd", "efgh"), "ab  |  cd|ef");
}

TEST(Format, keepsUtf8LiteralsAndArguments)
{
    EXPECT_EQ(formatString("Größe: %@", QStringLiteral("Ä")), QStringLiteral("Größe: Ä"));
}

TEST(Format, ignoresTheProcessLocale)
{
    // scripts/deps generates this locale: its decimal separator is a comma.
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    EXPECT_EQ(formatString("%1.2f %.1f %f", 1.5, 2.25, 3.0), "1.50 2.2 3.000000");
    std::setlocale(LC_NUMERIC, "C");
}

} // namespace
} // namespace pairsift
