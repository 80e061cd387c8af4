#include "platform/RunOutcome.h"
#include "testkit/ConsoleCapture.h"

#include <gtest/gtest.h>

#include <new>

namespace pairsift {
namespace {

TEST(RunOutcome, anEscapingExceptionBecomesAFailureWithItsText)
{
    EXPECT_EQ(outcomeOf([] { return RunOutcome::stopped(); }), RunOutcome::stopped());
    EXPECT_EQ(outcomeOf([] { return RunOutcome::failed(QStringLiteral("disk full")); }).reason(),
        QStringLiteral("disk full"));

    test::ConsoleCapture console;
    const RunOutcome outOfMemory = outcomeOf([]() -> RunOutcome { throw std::bad_alloc(); });
    EXPECT_TRUE(outOfMemory.hasFailed());
    EXPECT_EQ(outOfMemory.reason(), QStringLiteral("std::bad_alloc"));

    const RunOutcome unknown = outcomeOf([]() -> RunOutcome { throw 42; });
    EXPECT_TRUE(unknown.hasFailed());
    EXPECT_FALSE(unknown.reason().isEmpty());
}

} // namespace
} // namespace pairsift
