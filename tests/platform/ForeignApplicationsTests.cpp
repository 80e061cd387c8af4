#include "platform/ForeignApplications.h"
#include "platform/ScriptingBridge.h"
#include "platform/WaitClock.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(ForeignApplications, thisSystemFindsNoOtherApplication)
{
    const std::shared_ptr<ForeignApplications> applications = ForeignApplications::shared();
    EXPECT_FALSE(applications->isRunning(QStringLiteral("com.apple.iPhoto")));
    EXPECT_FALSE(applications->isInstalled(QStringLiteral("com.apple.iphoto"), QStringLiteral("iPhoto.app")));
}

TEST(ScriptingBridge, thisSystemRunsNoScriptAndStartsNoApplication)
{
    const std::shared_ptr<ScriptingBridge> bridge = ScriptingBridge::shared();
    Error error;
    EXPECT_FALSE(bridge->runScript(QStringLiteral("tell application \"Viewer\" to quit"), &error).has_value());
    EXPECT_EQ(error.domain, QLatin1String(ScriptingBridge::errorDomain));
    EXPECT_EQ(error.code, ScriptingBridge::UnavailableError);
    EXPECT_FALSE(error.description.isEmpty());

    const ScriptableApplicationPtr application = bridge->application(QStringLiteral("com.example.Viewer"));
    EXPECT_EQ(application->bundleIdentifier(), QStringLiteral("com.example.Viewer"));
    EXPECT_FALSE(application->launch());
    EXPECT_FALSE(application->isRunning());
    EXPECT_FALSE(application->quit(saveOptionYes));
    EXPECT_TRUE(application->elements(QStringLiteral("photos")).isEmpty());
    EXPECT_EQ(application->makeElement(QStringLiteral("keywords"), QStringLiteral("keyword"), {}), nullptr);
}

TEST(ScriptableApplication, theSaveOptionIsTheFourCharacterCodeEndingInASpace)
{
    EXPECT_EQ(saveOptionYes, 0x79657320u);
}

// Advances only when slept on; counts the sleeps.
class SteppingClock : public WaitClock {
public:
    Duration now() const override { return m_now; }
    void sleepFor(Duration duration) override
    {
        m_now += duration;
        ++sleeps;
    }
    int sleeps = 0;

private:
    Duration m_now{0};
};

TEST(WaitClock, pollingSleepsBeforeEachQuestionAndStopsAtTheLimit)
{
    using std::chrono::seconds;
    const struct {
        int doneAtQuestion; // 0: never
        bool isDone;
        int sleeps;
    } cases[] = {
        {1, true, 1},
        {3, true, 3},
        {120, true, 120},
        {121, false, 120},
        {0, false, 120},
    };
    for (const auto& testCase : cases) {
        SteppingClock clock;
        int questions = 0;
        const bool isDone
            = clock.pollUntil([&] { return ++questions == testCase.doneAtQuestion; }, seconds(1), seconds(120));
        EXPECT_EQ(isDone, testCase.isDone) << testCase.doneAtQuestion;
        EXPECT_EQ(clock.sleeps, testCase.sleeps) << testCase.doneAtQuestion;
    }
}

TEST(WaitClock, aReplacementServesUntilItIsWithdrawn)
{
    const auto replacement = std::make_shared<SteppingClock>();
    EXPECT_EQ(WaitClock::setShared(replacement), nullptr);
    EXPECT_EQ(WaitClock::shared(), replacement);
    EXPECT_EQ(WaitClock::setShared(nullptr), replacement);
    EXPECT_NE(WaitClock::shared(), replacement);
}

} // namespace
} // namespace pairsift
