#include "support/regex/RegexCache.h"
#include "support/regex/RegexOperations.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

#include <unicode/uregex.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <thread>
#include <vector>

using namespace pairsift;

namespace {

// The first `count` generated patterns that fall into one set.
QStringList patternsInOneSet(int count)
{
    QStringList patterns;
    const int set = RegexCache::setOf(RegexCache::hashOf(QStringLiteral("p0")), 0);
    for (int index = 0; patterns.size() < count; ++index) {
        const QString pattern = QStringLiteral("p%1").arg(index);
        if (RegexCache::setOf(RegexCache::hashOf(pattern), 0) == set)
            patterns.append(pattern);
    }
    return patterns;
}

bool lease(RegexCache& cache, const QString& pattern, RXRegexOptions options = 0, Error* error = nullptr)
{
    RegexPending pending;
    const RegexLease lease = cache.lease(pattern, options, error, pending);
    return static_cast<bool>(lease);
}

} // namespace

TEST(RegexRecencyWord, victimIsTheLeastRecentlyUsedWay)
{
    std::uint16_t word = RecencyWordStart;
    std::deque<int> useOrder; // least recent first
    for (const int expected : {3, 2, 1, 0}) {
        ASSERT_EQ(victimWay(word), expected);
        word = touchedRecencyWord(word, expected);
        useOrder.push_back(expected);
    }
    QRandomGenerator random(7);
    for (int step = 0; step < 500; ++step) {
        ASSERT_EQ(victimWay(word), useOrder.front());
        const int way = random.bounded(4);
        word = touchedRecencyWord(word, way);
        useOrder.erase(std::find(useOrder.begin(), useOrder.end(), way));
        useOrder.push_back(way);
    }
}

TEST(RegexRecencyWordDeathTest, wordWithoutAFreeRowEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(victimWay(0xFFFF), "Invalid parameter not satisfying: leastRecentlyUsed < \\(4UL\\)");
}

TEST(RegexCacheGeometry, fourWaysFillFromThreeDownAndTheFifthEvictsTheLeastRecent)
{
    RegexCache cache;
    const QStringList patterns = patternsInOneSet(5);
    const int set = RegexCache::setOf(RegexCache::hashOf(patterns[0]), 0);
    for (int index = 0; index < 4; ++index) {
        ASSERT_TRUE(lease(cache, patterns[index]));
        EXPECT_EQ(cache.indexOf(patterns[index], 0), set * 4 + 3 - index);
    }
    ASSERT_TRUE(lease(cache, patterns[0])); // way 3 is now the most recent, way 2 the least
    ASSERT_TRUE(lease(cache, patterns[4]));
    EXPECT_EQ(cache.indexOf(patterns[4], 0), set * 4 + 2);
    EXPECT_EQ(cache.indexOf(patterns[1], 0), -1);
    EXPECT_EQ(cache.indexOf(patterns[0], 0), set * 4 + 3);
}

TEST(RegexCacheGeometry, equalTextFindsTheEntryAndOptionsSeparateEntries)
{
    RegexCache cache;
    const QString first = QStringLiteral("(a+)b");
    const QString second = QString::fromUtf8("(a+)b"); // other storage, same text
    ASSERT_NE(first.constData(), second.constData());
    ASSERT_TRUE(lease(cache, first));
    const int index = cache.indexOf(first, 0);
    ASSERT_GE(index, 0);
    const std::uint16_t word = cache.recencyWord(index / 4);
    ASSERT_TRUE(lease(cache, second));
    EXPECT_EQ(cache.indexOf(second, 0), index);
    EXPECT_EQ(cache.recencyWord(index / 4), word); // found again, nothing evicted or added

    ASSERT_TRUE(lease(cache, first, RegexOption::CaseInsensitive));
    EXPECT_NE(cache.indexOf(first, RegexOption::CaseInsensitive), index);
    EXPECT_EQ(cache.indexOf(first, 0), index);
}

TEST(RegexCacheGeometry, invalidPatternIsNeverCachedAndReportedEveryCall)
{
    RegexCache cache;
    for (int call = 0; call < 3; ++call) {
        Error error;
        EXPECT_FALSE(lease(cache, "(", 0, &error));
        EXPECT_EQ(error.domain, "RXICURegexErrorDomain");
        EXPECT_EQ(error.description, "There was an error compiling the regular expression.");
        EXPECT_EQ(cache.indexOf("(", 0), -1);
    }
    Error error;
    EXPECT_FALSE(isRegexValidWithOptions("(", 0, &error));
    EXPECT_FALSE(isRegexValidWithOptions("(", 0, &error));
    EXPECT_GT(error.code, 0);
}

TEST(RegexCacheGeometry, aBorrowedPatternIsCopiedIntoItsEntry)
{
    RegexCache cache;
    QChar buffer[] = {u'a', u'+'};
    const QString borrowed = QString::fromRawData(buffer, 2);
    ASSERT_TRUE(lease(cache, borrowed));
    // The owner rewrites its buffer, as one enumeration step does for the next.
    buffer[0] = u'b';
    EXPECT_NE(cache.indexOf(QStringLiteral("a+"), 0), -1) << "the entry keeps the pattern it compiled";
    RegexPending pending;
    const RegexLease rewritten = cache.lease(borrowed, 0, nullptr, pending);
    ASSERT_TRUE(rewritten);
    QString subject = QStringLiteral("b");
    UErrorCode status = U_ZERO_ERROR;
    uregex_setText(rewritten.regex(), reinterpret_cast<const UChar*>(subject.utf16()), 1, &status);
    EXPECT_TRUE(uregex_matches(rewritten.regex(), 0, &status)) << "the same buffer now holds another pattern";
}

TEST(RegexCacheGeometry, clearEmptiesEveryEntry)
{
    RegexCache cache;
    ASSERT_TRUE(lease(cache, "a"));
    ASSERT_TRUE(lease(cache, "b"));
    cache.clear();
    EXPECT_EQ(cache.indexOf("a", 0), -1);
    EXPECT_EQ(cache.indexOf("b", 0), -1);
    EXPECT_TRUE(lease(cache, "a"));
}

TEST(RegexCacheThreads, manyThreadsWithMorePatternsThanEntriesGetCorrectResults)
{
    constexpr int PatternCount = 80;
    QStringList patterns;
    for (int index = 0; index < PatternCount; ++index)
        patterns.append(QStringLiteral("(\\d+)x%1\\b").arg(index));
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&, thread] {
            QRandomGenerator random(thread);
            for (int step = 0; step < 3000; ++step) {
                const int index = random.bounded(PatternCount);
                const int number = random.bounded(100000);
                const QString subject = QStringLiteral("a %1x%2 b %3x%2").arg(number).arg(index).arg(number + 1);
                // Alternate between the shared pattern string and a fresh copy of its text.
                const QString pattern = step % 2 ? patterns[index] : QString::fromUtf8(patterns[index].toUtf8());
                try {
                    if (stringByMatching(subject, pattern, 1) != QString::number(number))
                        ++wrong;
                    const std::optional<QStringList> all = componentsMatchedByRegex(subject, pattern, 1);
                    if (all != QStringList{QString::number(number), QString::number(number + 1)})
                        ++wrong;
                    if (isMatchedByRegex(subject, patterns[(index + 1) % PatternCount]))
                        ++wrong;
                } catch (const RegexException&) {
                    ++wrong;
                }
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(RegexCacheThreads, exceptionsInOneThreadLeaveTheCacheUsableForOthers)
{
    std::atomic<bool> isDone{false};
    std::atomic<int> thrown{0};
    std::thread failing([&] {
        static const QString pattern = QStringLiteral("(b)");
        for (int step = 0; step < 2000; ++step) {
            try {
                if (step % 2)
                    rangeOfRegex("abc", pattern, RegexRange{2, 5});
                else
                    stringByMatching("abc", pattern, 3);
            } catch (const RegexException&) {
                ++thrown;
            }
        }
        isDone = true;
    });
    int answered = 0;
    while (!isDone) {
        EXPECT_EQ(stringByMatching("abc", "(b)", 1), "b");
        ++answered;
    }
    failing.join();
    EXPECT_EQ(thrown.load(), 2000);
    EXPECT_GT(answered, 0);
    EXPECT_EQ(stringByMatching("abc", "(b)", 1), "b");
}
