// The processing view's texts from plain numbers, and the hand-over of progress between threads.
#include "scan/ProcessingProgressMailbox.h"
#include "scan/ProcessingTexts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace pairsift {
namespace {

TEST(ProcessingTexts, durationsReadAsHoursMinutesAndSecondsWithoutWrappingAtADay)
{
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "00:00:00"},
        {59.999, "00:00:59"},
        {60, "00:01:00"},
        {3600 + 2 * 60 + 3, "01:02:03"},
        {24 * 3600 - 1, "23:59:59"},
        {25 * 3600, "25:00:00"},
        {100 * 3600 + 61, "100:01:01"},
        {-5, "00:00:00"},
        {std::nan(""), "00:00:00"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(durationText(entry.seconds), QString::fromUtf8(entry.text)) << entry.seconds;
    // Absurd estimates stay a number rather than overflowing.
    EXPECT_FALSE(durationText(std::numeric_limits<double>::infinity()).startsWith(QLatin1Char('-')));
}

TEST(ProcessingTexts, percentageHasOneDecimal)
{
    const struct {
        std::uint64_t done;
        std::uint64_t total;
        const char* text;
    } cases[] = {
        {50, 200, "25.0%"},
        {0, 100, "0.0%"},
        {17, 40, "42.5%"},
        {1, 3, "33.3%"},
        {2, 3, "66.7%"},
        {200, 200, "100.0%"},
        {0, 0, "100.0%"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(percentageText(entry.done, entry.total), QString::fromUtf8(entry.text))
            << entry.done << " of " << entry.total;
}

TEST(ProcessingTexts, elapsedAndRemainingTimes)
{
    EXPECT_EQ(elapsedText(3723), QStringLiteral("Elapsed: 01:02:03"));
    EXPECT_EQ(elapsedText(25 * 3600), QStringLiteral("Elapsed: 25:00:00"));

    const struct {
        double elapsed;
        std::uint64_t done;
        std::uint64_t total;
        const char* text;
    } cases[] = {
        // 0.6 s per file, 150 files to go.
        {30, 50, 200, "Remaining: 00:01:30"},
        // No file finished yet: no average to go by.
        {30, 0, 200, "Remaining: --:--:--"},
        {0, 0, 100, "Remaining: --:--:--"},
        {30, 200, 200, "Remaining: 00:00:00"},
        {0, 0, 0, "Remaining: 00:00:00"},
        // 1 h per file, 30 to go: more than a day.
        {3600, 1, 31, "Remaining: 30:00:00"},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(remainingText(entry.elapsed, entry.done, entry.total), QString::fromUtf8(entry.text))
            << entry.elapsed << " s, " << entry.done << " of " << entry.total;
}

ProcessingProgress progressAt(std::uint64_t fileDone)
{
    return {QStringLiteral("stage"), 10, 3, QStringLiteral("/a/file"), 1000, fileDone, fileDone > 500};
}

TEST(ProcessingProgressMailbox, tellsTheReaderOnceUntilItTakesTheLatestValues)
{
    ProcessingProgressMailbox mailbox;
    EXPECT_TRUE(mailbox.publish(progressAt(100)));
    EXPECT_FALSE(mailbox.publish(progressAt(200)));
    EXPECT_FALSE(mailbox.publish(progressAt(900)));

    const ProcessingProgress taken = mailbox.take();
    EXPECT_EQ(taken.fileDone, 900u);
    EXPECT_TRUE(taken.fileProgressVisible);
    EXPECT_EQ(taken.fileName, QStringLiteral("/a/file"));

    // Taken: the next report has to tell the reader again.
    EXPECT_TRUE(mailbox.publish(progressAt(950)));
}

} // namespace
} // namespace pairsift
