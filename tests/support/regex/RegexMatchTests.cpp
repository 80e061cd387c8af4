#include "support/regex/RegexOperations.h"

#include <gtest/gtest.h>

#include <limits>

using namespace pairsift;

namespace {

constexpr std::uint64_t ToEnd = RegexRange::ToEnd;

// A smiling face outside the basic plane: two UTF-16 units.
const QString Face = QString::fromUtf16(u"\U0001F600");

} // namespace

TEST(RegexMatch, stringByMatchingAnswersNullForNoMatchAndEmptyForEmptyMatch)
{
    struct Case {
        QString subject;
        QString pattern;
        qint64 capture;
        QString expected; // null: no match or the group took no part
    };
    const QString copyPattern = QStringLiteral("(?: copy *)(\\d+)*");
    const Case cases[] = {
        {"photo copy 2.jpg", copyPattern, 0, " copy 2"},
        {"photo copy 2.jpg", copyPattern, 1, "2"},
        {"photo copy.jpg", copyPattern, 1, QString()},
        {"abc", "x", 0, QString()},
        {"abc", "x*", 0, ""},
        {"abc", "(x*)b", 1, ""},
        {"abc", "b", 0, "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject + " ~ " + c.pattern).toStdString());
        const QString found = stringByMatching(c.subject, c.pattern, c.capture);
        EXPECT_EQ(found.isNull(), c.expected.isNull());
        EXPECT_EQ(found, c.expected);
    }
}

TEST(RegexMatch, rangesCountUtf16UnitsAndSeeOnlyTheRequestedRange)
{
    struct Case {
        QString subject;
        QString pattern;
        RegexRange range;
        RegexRange expected;
    };
    const RegexRange none = RegexRange::notFound();
    const Case cases[] = {
        {"abcabc", "c", {0, ToEnd}, {2, 1}},
        {"abcabc", "c", {3, 3}, {5, 1}},
        {"abcabc", "c", {3, ToEnd}, {5, 1}},
        {"abcabc", "c", {3, 2}, none},
        // Anchors and word boundaries stop at the range's edges.
        {"xxabc", "^abc", {0, ToEnd}, none},
        {"xxabc", "^abc", {2, 3}, {2, 3}},
        {"abcdef", "\\bcd", {0, ToEnd}, none},
        {"abcdef", "\\bcd", {2, 4}, {2, 2}},
        {"abcdef", "cd\\b", {2, 2}, {2, 2}},
        {"abcdef", "cd$", {0, 4}, {2, 2}},
        {"abc", "x*", {3, 0}, {3, 0}},
        // A character outside the basic plane is two units.
        {"a" + Face + "b", "b", {0, ToEnd}, {3, 1}},
        {"a" + Face + "b", ".b", {0, ToEnd}, {1, 3}},
        {"a" + Face + "b", "\\x{1F600}", {0, ToEnd}, {1, 2}},
        {Face + Face, "^.", {2, ToEnd}, {2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject + " ~ " + c.pattern).toStdString());
        EXPECT_EQ(rangeOfRegex(c.subject, c.pattern, c.range), c.expected);
        EXPECT_EQ(isMatchedByRegex(c.subject, c.pattern, c.range), c.expected.isFound());
    }
}

TEST(RegexMatch, captureRangesAreInSubjectCoordinates)
{
    const QString subject = QStringLiteral("key=value; other=x");
    EXPECT_EQ(rangeOfRegex(subject, "(\\w+)=(\\w+)", 2), (RegexRange{4, 5}));
    EXPECT_EQ(rangeOfRegex(subject, "(\\w+)=(\\w+)", 0, RegexRange{9, ToEnd}, 1), (RegexRange{11, 5}));
    EXPECT_EQ(rangeOfRegex(subject, "(\\w+)=(y)?", 2), RegexRange::notFound());
    EXPECT_EQ(stringByMatching(subject, "(\\w+)=(\\w+)", 0, RegexRange{9, ToEnd}, 2), "x");
}

TEST(RegexMatch, rangesOutsideTheSubjectThrowWithoutOverflowing)
{
    const QString subject = QStringLiteral("abc");
    const std::uint64_t huge = std::uint64_t(1) << 63;
    const RegexRange accepted[] = {{0, 3}, {3, 0}, {3, ToEnd}, {0, ToEnd}, {2, 1}};
    const RegexRange rejected[] = {{0, 4}, {4, 0}, {4, ToEnd}, {1, ToEnd - 1}, {huge, huge}, {1, 3}};
    for (const RegexRange& range : accepted) {
        SCOPED_TRACE(range.location);
        EXPECT_NO_THROW(rangeOfRegex(subject, "x*", range));
    }
    for (const RegexRange& range : rejected) {
        SCOPED_TRACE(range.location);
        EXPECT_THROW(rangeOfRegex(subject, "x*", range), RegexRangeException);
        EXPECT_THROW(componentsSeparatedByRegex(subject, ",", range), RegexRangeException);
    }
}

TEST(RegexMatch, lengthToTheEndRunsFromTheLocation)
{
    EXPECT_EQ(componentsMatchedByRegex("abcdef", ".", RegexRange{4, ToEnd}), (QStringList{"e", "f"}));
    EXPECT_TRUE(isMatchedByRegex("abcdef", "^c", RegexRange{2, ToEnd}));
}

TEST(RegexMatch, captureIndexOutsideThePatternThrows)
{
    for (const qint64 capture : {-1, 2, 100}) {
        SCOPED_TRACE(capture);
        try {
            stringByMatching("abc", "(b)", capture);
            ADD_FAILURE() << "no exception";
        } catch (const RegexInvalidArgumentException& exception) {
            EXPECT_EQ(exception.reason(), "*** -[QString stringByMatching:capture:]: The capture argument is not valid.");
        }
        EXPECT_THROW(componentsMatchedByRegex("abc", "(b)", capture), RegexInvalidArgumentException);
    }
}

TEST(RegexMatch, invalidPatternAnswersNothingWithoutThrowing)
{
    Error error;
    EXPECT_TRUE(stringByMatching("abc", "(").isNull());
    EXPECT_EQ(rangeOfRegex("abc", "(", 0, RegexRange::wholeString(), 0, &error), RegexRange::notFound());
    EXPECT_EQ(error.domain, "RXICURegexErrorDomain");
    EXPECT_GT(error.code, 0);
    EXPECT_FALSE(isMatchedByRegex("abc", "[a", 0, RegexRange::wholeString(), nullptr));
    EXPECT_FALSE(captureComponentsMatchedByRegex("abc", "(").has_value());
}

TEST(RegexMatch, errorOutParameterIsResetOnSuccess)
{
    Error error{"stale", 1, "stale", "stale"};
    EXPECT_EQ(stringByMatching("abc", "b", 0, RegexRange::wholeString(), 0, &error), "b");
    EXPECT_TRUE(error.domain.isEmpty());
    EXPECT_EQ(error.code, 0);
}

TEST(RegexMatch, optionsReachTheEngine)
{
    EXPECT_FALSE(isMatchedByRegex("ABC", "abc"));
    EXPECT_TRUE(isMatchedByRegex("ABC", "abc", RegexOption::CaseInsensitive, RegexRange::wholeString()));
    EXPECT_EQ(rangeOfRegex("a\nb", "^b"), RegexRange::notFound());
    EXPECT_EQ(rangeOfRegex("a\nb", "^b", RegexOption::Multiline, RegexRange::wholeString(), 0), (RegexRange{2, 1}));
    EXPECT_TRUE(isMatchedByRegex("a.c", "a.c", RegexOption::Literal, RegexRange::wholeString()));
    EXPECT_FALSE(isMatchedByRegex("abc", "a.c", RegexOption::Literal, RegexRange::wholeString()));
}

TEST(RegexMatch, captureCountAndValidity)
{
    struct Case {
        QString pattern;
        RXRegexOptions options;
        qint64 expected;
    };
    const Case cases[] = {
        {"(a)(b)?", 0, 2}, {"a(?:b)", 0, 0}, {"(", 0, -1}, {"", 0, -1}, {"a", 0x80000000u, -1}, {"((a)|(b))", 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern.toStdString());
        Error error;
        EXPECT_EQ(captureCountForRegex(c.pattern, c.options, &error), c.expected);
        EXPECT_EQ(captureCountWithOptions(c.pattern, c.options), c.expected);
        EXPECT_EQ(isRegexValidWithOptions(c.pattern, c.options), c.expected >= 0);
        EXPECT_EQ(error.code > 0, c.expected < 0);
    }
    EXPECT_EQ(captureCount("(x)"), 1);
    EXPECT_TRUE(isRegexValid("x"));
}

TEST(RegexMatch, subjectChangedInPlaceIsReadAgain)
{
    static const QString pattern = QStringLiteral("(\\d+)");
    QString subject = QStringLiteral("a 12 b 345");
    subject.detach();
    const QChar* storage = subject.constData();
    EXPECT_EQ(stringByMatching(subject, pattern, 1), "12");
    subject[2] = QLatin1Char('7'); // same storage, same length
    ASSERT_EQ(subject.constData(), storage);
    EXPECT_EQ(stringByMatching(subject, pattern, 1), "72");
    EXPECT_EQ(stringByMatching(subject, pattern, 0, RegexRange{4, RegexRange::ToEnd}, 1), "345");
    EXPECT_EQ(stringByMatching(subject, pattern, 1), "72");
}
