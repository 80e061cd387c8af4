#include "support/regex/RegexErrorReporting.h"
#include "support/regex/RegexOperations.h"
#include "support/regex/RegexReplace.h"

#include <gtest/gtest.h>

#include <unicode/utypes.h>

using namespace pairsift;

namespace {

const QString Smile = QString::fromUtf8("\xF0\x9F\x98\x80"); // one code point, two UTF-16 units

template <typename Call>
QString reasonOf(Call call)
{
    try {
        call();
    } catch (const RegexException& exception) {
        return exception.name() + ": " + exception.reason();
    }
    return QStringLiteral("no exception");
}

} // namespace

TEST(RegexReplace, templateTable)
{
    struct Case {
        QString subject;
        QString pattern;
        QString replacement;
        RegexRange range;
        QString expected;
    };
    const QString longTemplate = QStringLiteral("0123456789").repeated(10);
    const Case cases[] = {
        {"a1b22", "\\d+", "#", RegexRange::wholeString(), "a#b#"},
        {"xab yab", "(a)(b)", "$2$1", RegexRange::wholeString(), "xba yba"},
        {"xyz", "a", "-", RegexRange::wholeString(), "xyz"},
        {"abc", ".", "", RegexRange::wholeString(), ""},
        {"a.b", "\\.", "\\$", RegexRange::wholeString(), "a$b"},
        // Only the range's characters make up the result, and the engine sees the range's edges.
        {"a1b2c3", "\\d", "#", RegexRange{2, 3}, "b#c"},
        {"abc", "^", "^", RegexRange{1, 2}, "^bc"},
        {"abc", "x*", "-", RegexRange{1, 0}, "-"},
        {"", "a", "-", RegexRange::wholeString(), ""},
        {"x" + Smile + "y" + Smile, Smile, "o", RegexRange::wholeString(), "xoyo"},
        {Smile + "a", ".", "[$0]", RegexRange::wholeString(), "[" + Smile + "][a]"},
        {"a" + Smile, "a(.)", "$1", RegexRange{0, 3}, Smile},
        // Longer than the first estimate: the measured second pass writes it.
        {QString(100, QLatin1Char('a')), "a", longTemplate, RegexRange::wholeString(), longTemplate.repeated(100)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject.left(20) + " / " + c.pattern + " / " + c.replacement.left(20)).toStdString());
        const QString replaced = stringByReplacingOccurrencesOfRegex(c.subject, c.pattern, c.replacement, c.range);
        EXPECT_EQ(replaced, c.expected);
        EXPECT_FALSE(replaced.isNull());
    }
    EXPECT_TRUE(stringByReplacingOccurrencesOfRegex("abc", "(", "x").isNull());
}

TEST(RegexReplace, inPlaceTable)
{
    struct Case {
        QString receiver;
        QString pattern;
        QString replacement;
        RegexRange range;
        QString expected;
        qint64 count;
    };
    const Case cases[] = {
        {"a1b22", "\\d+", "#", RegexRange::wholeString(), "a#b#", 2},
        {"xyz", "a", "-", RegexRange::wholeString(), "xyz", 0},
        {"a1b2c3", "\\d", "", RegexRange{2, 3}, "a1bc3", 1},
        {"abc", "x*", "-", RegexRange{1, 0}, "a-bc", 1},
        {"abc", "(", "-", RegexRange::wholeString(), "abc", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.receiver + " / " + c.pattern).toStdString());
        QString receiver = c.receiver;
        EXPECT_EQ(replaceOccurrencesOfRegex(receiver, c.pattern, c.replacement, c.range), c.count);
        EXPECT_EQ(receiver, c.expected);
    }
    QString changed = QStringLiteral("a-b-c");
    ASSERT_EQ(replaceOccurrencesOfRegex(changed, "-", "+++"), 2);
    EXPECT_EQ(rangeOfRegex(changed, "c"), (RegexRange{8, 1}));
}

TEST(RegexReplace, failuresThrowWithTheirTexts)
{
    QString receiver = QStringLiteral("ab");
    EXPECT_EQ(reasonOf([&] { replaceOccurrencesOfRegex(receiver, "(a)(b)", "$9"); }),
              QStringLiteral("RXICURegexException: *** -[QString replaceOccurrencesOfRegex:withString:]: ICU regular "
                             "expression error #%1, U_INDEX_OUTOFBOUNDS_ERROR.")
                  .arg(int(U_INDEX_OUTOFBOUNDS_ERROR)));
    EXPECT_EQ(receiver, "ab");
    EXPECT_EQ(reasonOf([] { stringByReplacingOccurrencesOfRegex("ab", "a", QString()); }),
              "NSInvalidArgumentException: *** -[QString stringByReplacingOccurrencesOfRegex:withString:]: The "
              "replacement string argument is NULL.");
}

TEST(RegexReplace, resultLengthIsSummedBeyondThirtyTwoBits)
{
    // Eleven matches of 100,000 units, each replaced by 2,000 copies of itself: every match fits the engine's
    // 32-bit count, their sum (2.2 billion) does not.
    const QString subject = (QString(100000, QLatin1Char('a')) + ",").repeated(11);
    EXPECT_EQ(reasonOf([&] { stringByReplacingOccurrencesOfRegex(subject, "a+", QStringLiteral("$0").repeated(2000)); }),
              "NSInternalInconsistencyException: *** -[QString stringByReplacingOccurrencesOfRegex:withString:]: "
              "Replaced string length exceeds INT_MAX.");
}

TEST(RegexReplace, templateLimitCountsTheRangeInSixtyFourBits)
{
    struct Case {
        std::uint64_t rangeLength;
        std::uint64_t replacementLength;
        bool isRefused;
    };
    const Case cases[] = {
        {0, 1073741823, false}, // sum 2147483646
        {1, 1073741823, false},
        {2, 1073741823, true}, // sum 2147483647
        {0, 1073741824, true},
        {0, 1500000000, true}, // twice the template wraps a 32-bit sum
        {2147483646, 0, false},
        {0, 2147483647, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rangeLength) + " / " + std::to_string(c.replacementLength));
        const RegexPending pending = rx_checkReplacementLimits(c.rangeLength, c.replacementLength);
        ASSERT_EQ(isPending(pending), c.isRefused);
        if (c.isRefused) {
            EXPECT_EQ(std::get<RegexPendingException>(pending).reason, "Replacement string length exceeds INT_MAX.");
        }
    }
}
