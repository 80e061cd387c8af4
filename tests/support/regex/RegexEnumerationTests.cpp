#include "support/regex/RegexBlockOperations.h"
#include "support/regex/RegexException.h"
#include "support/regex/RegexOperations.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <unicode/utypes.h>

using namespace pairsift;

namespace {

struct Step {
    QStringList strings;
    QList<RegexRange> ranges;
};

// Every step the block saw; `stopAfter` steps, then it sets the flag.
QList<Step> stepsOf(bool isSplit, const QString& subject, const QString& pattern,
                    RXRegexEnumerationOptions enumerationOptions = 0, int stopAfter = -1, bool* answer = nullptr)
{
    QList<Step> steps;
    const RegexMatchBlock block = [&](std::span<const QString> strings, std::span<const RegexRange> ranges,
                                      bool& stop) {
        Step step{{}, QList<RegexRange>(ranges.begin(), ranges.end())};
        // Deep copies: reused strings are valid only while the enumeration runs.
        for (const QString& string : strings)
            step.strings.append(QString(string.constData(), string.size()));
        steps.append(std::move(step));
        stop = steps.size() == stopAfter;
    };
    const RegexRange all = RegexRange::wholeString();
    const bool isComplete = isSplit
        ? enumerateStringsSeparatedByRegex(subject, pattern, 0, all, nullptr, enumerationOptions, block)
        : enumerateStringsMatchedByRegex(subject, pattern, 0, all, nullptr, enumerationOptions, block);
    if (answer)
        *answer = isComplete;
    return steps;
}

} // namespace

TEST(RegexEnumeration, matchStepsCarryTheCapturesAndAStopEndsThem)
{
    bool isComplete = false;
    const QList<Step> steps = stepsOf(false, "a1 b c2", "([a-z])(\\d)?", 0, -1, &isComplete);
    EXPECT_TRUE(isComplete);
    ASSERT_EQ(steps.size(), 3);
    EXPECT_EQ(steps[0].strings, (QStringList{"a1", "a", "1"}));
    EXPECT_EQ(steps[1].strings, (QStringList{"b", "b", ""}));
    EXPECT_EQ(steps[1].ranges, (QList<RegexRange>{{3, 1}, {3, 1}, RegexRange::notFound()}));
    EXPECT_EQ(steps[2].ranges[0], (RegexRange{5, 2}));

    EXPECT_EQ(stepsOf(false, "a1 b c2", "([a-z])(\\d)?", 0, 1, &isComplete).size(), 1);
    EXPECT_TRUE(isComplete);
    EXPECT_TRUE(stepsOf(false, "xyz", "a", 0, -1, &isComplete).isEmpty());
    EXPECT_TRUE(isComplete);
}

TEST(RegexEnumeration, splitStepsAreExactlyTheSplitPieces)
{
    struct Case {
        QString subject;
        QString pattern;
    };
    const Case cases[] = {
        {",a,b", ","}, {"a,b,,", ","}, {"a,,b", ","}, {",,", ","}, {"", ","}, {"abc", "x*"},
        {"a,,", "(,)"}, {",a,,b,", "(,)"}, {"a-b_c", "(-)|(_)"}, {"ab", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject + " / " + c.pattern).toStdString());
        bool isComplete = false;
        QStringList flattened;
        for (const Step& step : stepsOf(true, c.subject, c.pattern, 0, -1, &isComplete))
            flattened += step.strings;
        EXPECT_TRUE(isComplete);
        EXPECT_EQ(flattened, componentsSeparatedByRegex(c.subject, c.pattern));
    }
    // A piece with its separator's capture per step; the trailing piece alone.
    const QList<Step> steps = stepsOf(true, "a,b", "(,)");
    ASSERT_EQ(steps.size(), 2);
    EXPECT_EQ(steps[0].strings, (QStringList{"a", ","}));
    EXPECT_EQ(steps[1].strings, QStringList{"b"});
}

TEST(RegexEnumeration, everyInvalidOptionCombinationThrows)
{
    struct Case {
        RXRegexEnumerationOptions options;
        bool isValidForMatch;
        bool isValidForReplace;
    };
    const Case cases[] = {
        {0, true, true},         {0x200, true, true},      {0x400, false, true},   {0x800, true, true},
        {0x600, false, true},    {0xC00, false, true},     {0xA00, false, false},  {0xE00, false, false},
        {0x100, false, false},   {0x1000, false, false},   {0x1, false, false},    {0x80000200, false, false},
    };
    const RegexMatchBlock match = [](std::span<const QString>, std::span<const RegexRange>, bool&) {};
    const RegexReplacementBlock replace = [](std::span<const QString>, std::span<const RegexRange>, bool&) {
        return QStringLiteral("x");
    };
    const auto isAccepted = [](const std::function<void()>& call, const char* selector) {
        try {
            call();
            return true;
        } catch (const RegexInvalidArgumentException& exception) {
            EXPECT_EQ(exception.reason(), QStringLiteral("*** -[QString %1]: The RXRegexEnumerationOptions argument is "
                                                         "not valid.")
                                              .arg(QLatin1StringView(selector)));
            return false;
        }
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options);
        const RegexRange all = RegexRange::wholeString();
        EXPECT_EQ(isAccepted([&] { enumerateStringsMatchedByRegex("ab", "a", 0, all, nullptr, c.options, match); },
                             "enumerateStringsMatchedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                  c.isValidForMatch);
        EXPECT_EQ(isAccepted([&] { enumerateStringsSeparatedByRegex("ab", "a", 0, all, nullptr, c.options, match); },
                             "enumerateStringsSeparatedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                  c.isValidForMatch);
        QString receiver = QStringLiteral("ab");
        EXPECT_EQ(isAccepted([&] { replaceOccurrencesOfRegex(receiver, "a", 0, all, nullptr, c.options, replace); },
                             "replaceOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                  c.isValidForReplace);
    }
}

TEST(RegexEnumeration, stringOptionsChangeOnlyTheStrings)
{
    const QList<Step> plain = stepsOf(false, "a1 b2", "([a-z])(\\d)");
    const QList<Step> reused = stepsOf(false, "a1 b2", "([a-z])(\\d)", RXRegexEnumerationReusedCapturedStrings);
    const QList<Step> rangesOnly = stepsOf(false, "a1 b2", "([a-z])(\\d)", RXRegexEnumerationCapturedStringsNotRequired);
    ASSERT_EQ(reused.size(), 2);
    ASSERT_EQ(rangesOnly.size(), 2);
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(reused[index].strings, plain[index].strings);
        EXPECT_TRUE(rangesOnly[index].strings.isEmpty());
        EXPECT_EQ(rangesOnly[index].ranges, plain[index].ranges);
    }
}

TEST(RegexEnumeration, blockReplacement)
{
    const RegexReplacementBlock upper = [](std::span<const QString> strings, std::span<const RegexRange>, bool&) {
        return strings[1].toUpper() + strings[2];
    };
    const RegexReplacementBlock deleteAll = [](std::span<const QString>, std::span<const RegexRange>, bool&) {
        return QString();
    };
    const RegexReplacementBlock firstOnly = [](std::span<const QString>, std::span<const RegexRange>, bool& stop) {
        stop = true;
        return QStringLiteral("#");
    };
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("a1 b c2", "([a-z])(\\d)?", upper), "A1 B C2");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("a1b2", "\\d", deleteAll), "ab");
    const QString deleted = stringByReplacingOccurrencesOfRegex("12", "\\d", deleteAll);
    EXPECT_EQ(deleted, "");
    EXPECT_FALSE(deleted.isNull());
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("a1b2", "\\d", firstOnly), "a#b2");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("xyz", "a", firstOnly), "xyz");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("a1b2c3", "\\d", 0, RegexRange{2, 3}, nullptr, 0, deleteAll), "bc");
    EXPECT_TRUE(stringByReplacingOccurrencesOfRegex("ab", "(", deleteAll).isNull());

    QString receiver = QStringLiteral("a1b2");
    EXPECT_EQ(replaceOccurrencesOfRegex(receiver, "\\d", 0, RegexRange{2, 2}, nullptr, 0, deleteAll), 1);
    EXPECT_EQ(receiver, "a1b");
}

TEST(RegexEnumeration, fiveThousandCaptureGroups)
{
    const QString pattern = QStringLiteral("(a)").repeated(5000);
    const QString subject = "x" + QString(5000, QLatin1Char('a')) + "y";
    const QList<Step> steps = stepsOf(false, subject, pattern);
    ASSERT_EQ(steps.size(), 1);
    ASSERT_EQ(steps[0].ranges.size(), 5001);
    EXPECT_EQ(steps[0].ranges[5000], (RegexRange{5000, 1}));
    EXPECT_EQ(steps[0].strings[5000], "a");

    const RegexReplacementBlock lastGroup = [](std::span<const QString> strings, std::span<const RegexRange>, bool&) {
        return QString::number(strings.size()) + strings.back();
    };
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(subject, pattern, lastGroup), "x5001ay");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(subject, pattern, QStringLiteral("[$5000]")), "x[a]y");
}

TEST(RegexEnumeration, theNewTextReplacesTheRangeWhateverTheBlockDidToTheReceiver)
{
    static const QString pattern = QStringLiteral("\\d");
    const auto editing = [](QString& receiver, std::function<void(QString&)> edit, int& calls) {
        return RegexReplacementBlock([&receiver, edit, &calls](std::span<const QString> strings, std::span<const RegexRange>, bool&) {
            ++calls;
            EXPECT_TRUE(isMatchedByRegex(strings[0], pattern));
            edit(receiver);
            return QStringLiteral("#");
        });
    };
    const struct {
        const char* name;
        std::optional<RegexRange> range;
        std::function<void(QString&)> edit;
        const char* expected;
    } cases[] = {
        {"untouched", std::nullopt, [](QString&) {}, "#a#b#"},
        {"shortened, whole string", std::nullopt, [](QString& text) { text.chop(1); }, "#a#b#"},
        {"lengthened, whole string", RegexRange::wholeString(), [](QString& text) { text.append(u'z'); }, "#a#b#"},
        {"changed inside the range", RegexRange{1, 3}, [](QString& text) { text[2] = u'Q'; }, "1a#b3"},
        {"lengthened after the range", RegexRange{0, 3}, [](QString& text) { text.append(u'z'); }, "#a#b3zz"},
    };
    for (const auto& testCase : cases) {
        QString receiver = QStringLiteral("1a2b3");
        int calls = 0;
        const RegexReplacementBlock block = editing(receiver, testCase.edit, calls);
        const qint64 count = testCase.range ? replaceOccurrencesOfRegex(receiver, pattern, 0, *testCase.range, nullptr, 0, block)
                                            : replaceOccurrencesOfRegex(receiver, pattern, block);
        // The enumeration read its own copy to the end.
        EXPECT_EQ(count, calls) << testCase.name;
        EXPECT_EQ(receiver, testCase.expected) << testCase.name;
    }

    // A range the block cut away cannot take the new text; the receiver keeps the block's changes.
    QString receiver = QStringLiteral("1a2b3");
    int calls = 0;
    try {
        replaceOccurrencesOfRegex(receiver, pattern, 0, RegexRange{2, 3}, nullptr, 0,
                                  editing(receiver, [](QString& text) { text.chop(1); }, calls));
        ADD_FAILURE() << "no exception";
    } catch (const RegexRangeException& exception) {
        EXPECT_EQ(exception.reason(), "*** -[QString replaceOccurrencesOfRegex:options:inRange:error:enumerationOptions:"
                                      "usingBlock:]: Range or index out of bounds.");
    }
    EXPECT_EQ(receiver, "1a2");
}

TEST(RegexEnumeration, failuresAnswerNoWithTheirErrors)
{
    const RegexMatchBlock ignore = [](std::span<const QString>, std::span<const RegexRange>, bool&) {};
    const RegexRange all = RegexRange::wholeString();
    Error error;
    const QString subject(2000000, QLatin1Char('a'));
    EXPECT_FALSE(enumerateStringsMatchedByRegex(subject, "(a|b)*c", 0, all, &error, 0, ignore));
    EXPECT_EQ(error.domain, "RXICURegexErrorDomain");
    EXPECT_EQ(error.code, U_REGEX_STACK_OVERFLOW);
    EXPECT_EQ(error.description, "An unexpected error occurred.");

    EXPECT_FALSE(enumerateStringsSeparatedByRegex("abc", "(", 0, all, &error, 0, ignore));
    EXPECT_EQ(error.description, "There was an error compiling the regular expression.");
    QString receiver = QStringLiteral("abc");
    EXPECT_EQ(replaceOccurrencesOfRegex(receiver, "(", [](auto, auto, bool&) { return QString(); }), -1);
}
