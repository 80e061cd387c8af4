#include "support/regex/RegexOperations.h"

#include <gtest/gtest.h>

using namespace pairsift;

namespace {

QString repeated(const QString& piece, int count)
{
    return piece.repeated(count);
}

} // namespace

TEST(RegexCollections, splitTable)
{
    struct Case {
        QString subject;
        QString pattern;
        QStringList expected;
    };
    const Case cases[] = {
        {"a,b", ",", {"a", "b"}},
        {"a,,", ",", {"a"}},
        {",a", ",", {"", "a"}},
        {"", ",", {}},
        {",,", ",", {}},
        {"a,,b", ",", {"a", "", "b"}},
        {"abc", ",", {"abc"}},
        {"abc", "x*", {"a", "b", "c"}},
        // Captured separators follow their piece; a separator after the last non-empty piece stays.
        {"a,b", "(,)", {"a", ",", "b"}},
        {"a,,", "(,)", {"a", ","}},
        {"a1b2", "(\\d)", {"a", "1", "b", "2"}},
        {"a-b_c", "(-)|(_)", {"a", "-", "", "b", "", "_", "c"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject + " / " + c.pattern).toStdString());
        const std::optional<QStringList> pieces = componentsSeparatedByRegex(c.subject, c.pattern);
        ASSERT_TRUE(pieces.has_value());
        EXPECT_EQ(*pieces, c.expected);
        for (const QString& piece : *pieces)
            EXPECT_FALSE(piece.isNull());
    }
}

TEST(RegexCollections, splitWithinARangeSeesOnlyThatRange)
{
    EXPECT_EQ(componentsSeparatedByRegex("x,a,b,y", ",", RegexRange{2, 3}), (QStringList{"a", "b"}));
    EXPECT_EQ(componentsSeparatedByRegex(",a,b", "^,"), (QStringList{"", "a,b"}));
    EXPECT_EQ(componentsSeparatedByRegex(",a,b", "^,", RegexRange{2, 2}), (QStringList{"", "b"}));
    EXPECT_FALSE(componentsSeparatedByRegex("a,b", "(").has_value());
}

TEST(RegexCollections, captureComponentsOfTheFirstMatch)
{
    struct Case {
        QString subject;
        QString pattern;
        std::optional<QStringList> expected;
    };
    const QString copyPattern = QStringLiteral("(\\scopy)(?:(?:\\s)(\\d+))*");
    const Case cases[] = {
        {"x ab y ab", "(a)(b)", QStringList{"ab", "a", "b"}},
        {"x b y", "(a)?(b)", QStringList{"b", "", "b"}},
        {"xyz", "(a)(b)", QStringList{}},
        {"xyz", "(", std::nullopt},
        {"photo copy 3 12.jpg", copyPattern, QStringList{" copy 3 12", " copy", "12"}},
        {"photo copy.jpg", copyPattern, QStringList{" copy", " copy", ""}},
        {"photo (7).jpg", "(?:\\()(\\d+)(?:\\))", QStringList{"(7)", "7"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.subject + " ~ " + c.pattern).toStdString());
        EXPECT_EQ(captureComponentsMatchedByRegex(c.subject, c.pattern), c.expected);
    }
}

TEST(RegexCollections, matchedStringsAndCapturesOfAllMatches)
{
    EXPECT_EQ(componentsMatchedByRegex("a1b22c", "\\d+"), (QStringList{"1", "22"}));
    EXPECT_EQ(componentsMatchedByRegex("a1 b c3", "([a-z])(\\d)?", 2), (QStringList{"1", "", "3"}));
    EXPECT_EQ(componentsMatchedByRegex("abc", "x"), QStringList{});
    EXPECT_EQ(componentsMatchedByRegex("ab", "x*"), (QStringList{"", "", ""}));
    EXPECT_EQ(arrayOfCaptureComponentsMatchedByRegex("a1 b c2", "([a-z])(\\d)?"),
              (QList<QStringList>{{"a1", "a", "1"}, {"b", "b", ""}, {"c2", "c", "2"}}));
    EXPECT_EQ(arrayOfCaptureComponentsMatchedByRegex("abc", "(x)"), QList<QStringList>{});
    EXPECT_FALSE(arrayOfCaptureComponentsMatchedByRegex("abc", "(").has_value());
}

TEST(RegexCollections, captureDictionaries)
{
    const RegexKeysAndCaptures keys = {{"name", 1}, {"sign", 2}, {"value", 3}, {"all", 0}};
    const QString pattern = QStringLiteral("(\\w+)(=)?(\\w*)");
    EXPECT_EQ(dictionaryByMatchingRegex("size=10", pattern, keys),
              (RegexCaptureDictionary{{"name", "size"}, {"sign", "="}, {"value", "10"}, {"all", "size=10"}}));
    // A group that took no part is left out; one that matched nothing is "".
    EXPECT_EQ(dictionaryByMatchingRegex("size", pattern, keys),
              (RegexCaptureDictionary{{"name", "size"}, {"value", ""}, {"all", "size"}}));
    EXPECT_EQ(dictionaryByMatchingRegex("--", pattern, keys), RegexCaptureDictionary{});
    EXPECT_FALSE(dictionaryByMatchingRegex("x", "(", keys).has_value());
    EXPECT_EQ(arrayOfDictionariesByMatchingRegex("a=1 b", pattern, {{"name", 1}, {"sign", 2}}),
              (QList<RegexCaptureDictionary>{{{"name", "a"}, {"sign", "="}}, {{"name", "b"}}}));
    EXPECT_EQ(arrayOfDictionariesByMatchingRegex("--", pattern, keys), QList<RegexCaptureDictionary>{});
}

TEST(RegexCollections, keyAndCapturePairsHaveNoLimit)
{
    RegexKeysAndCaptures keys;
    for (int index = 0; index < 70; ++index)
        keys.append({QStringLiteral("key%1").arg(index), index % 2});
    const std::optional<RegexCaptureDictionary> dictionary = dictionaryByMatchingRegex("xaby", "a(b)", keys);
    ASSERT_TRUE(dictionary.has_value());
    EXPECT_EQ(dictionary->size(), 70);
    EXPECT_EQ(dictionary->value("key68"), "ab");
    EXPECT_EQ(dictionary->value("key69"), "b");
}

TEST(RegexCollections, badKeysThrow)
{
    try {
        dictionaryByMatchingRegex("ab", "(a)", {{"first", 1}, {QString(), 0}});
        ADD_FAILURE() << "no exception";
    } catch (const RegexInvalidArgumentException& exception) {
        EXPECT_EQ(exception.reason(), "*** -[QString dictionaryByMatchingRegex:withKeysAndCaptures:]: The capture key "
                                      "(key 2 of 2) is NULL.");
    }
    try {
        arrayOfDictionariesByMatchingRegex("ab", "(a)", {{"first", 1}, {"second", 2}});
        ADD_FAILURE() << "no exception";
    } catch (const RegexInvalidArgumentException& exception) {
        EXPECT_EQ(exception.reason(), "*** -[QString arrayOfDictionariesByMatchingRegex:withKeysAndCaptures:]: The "
                                      "capture argument 2 (capture 2 of 2) for key 'second' is not valid.");
    }
}

TEST(RegexCollections, moreThan2048MatchesAreAllReturned)
{
    const int count = 5000;
    const QString subject = repeated(QStringLiteral("ab,"), count);
    const std::optional<QStringList> matched = componentsMatchedByRegex(subject, "b");
    ASSERT_TRUE(matched.has_value());
    EXPECT_EQ(matched->size(), count);

    const std::optional<QStringList> pieces = componentsSeparatedByRegex(subject, "(,)");
    ASSERT_TRUE(pieces.has_value());
    ASSERT_EQ(pieces->size(), 2 * count);
    EXPECT_EQ(pieces->at(2 * count - 2), "ab");
    EXPECT_EQ(pieces->at(2 * count - 1), ",");

    const std::optional<QList<QStringList>> captures = arrayOfCaptureComponentsMatchedByRegex(subject, "(a)(b)(,)");
    ASSERT_TRUE(captures.has_value());
    ASSERT_EQ(captures->size(), count);
    EXPECT_EQ(captures->last(), (QStringList{"ab,", "a", "b", ","}));
}
