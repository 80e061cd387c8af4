#include "scan/views/ProcessingView.h"

#include "platform/DockTile.h"
#include "scan/ProcessingViewController.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace pairsift {
namespace {

class SilentTile : public DockTile {
public:
    QImage applicationIcon() override { return {}; }
    void display(const QImage&, double) override {}
    void restore() override {}
};

class ProcessingViewTest : public testing::Test {
protected:
    ProcessingViewController m_controller{std::make_shared<SilentTile>()};
    ProcessingView m_view{m_controller};
};

TEST_F(ProcessingViewTest, showsTheControllersTexts)
{
    m_controller.setStage(QStringLiteral("Performing fast comparison\u2026"));
    m_controller.setProgressString(QStringLiteral("25.0%"));
    m_controller.setElapsedTimeString(QStringLiteral("Elapsed: 00:00:30"));
    m_controller.setRemainingTimeString(QStringLiteral("Remaining: 00:01:30"));
    m_controller.setFileName(QStringLiteral("/data/photos/big.raw"));

    EXPECT_EQ(m_view.stageLabel()->text(), QStringLiteral("Performing fast comparison\u2026"));
    EXPECT_EQ(m_view.progressLabel()->text(), QStringLiteral("25.0%"));
    EXPECT_EQ(m_view.elapsedLabel()->text(), QStringLiteral("Elapsed: 00:00:30"));
    EXPECT_EQ(m_view.remainingLabel()->text(), QStringLiteral("Remaining: 00:01:30"));
    EXPECT_EQ(m_view.fileNameLabel()->text(), QStringLiteral("/data/photos/big.raw"));
}

TEST_F(ProcessingViewTest, theOverallBarFollowsDoneAndTotal)
{
    const struct {
        std::uint64_t done;
        std::uint64_t total;
        int value;
    } cases[] = {
        {50, 200, ProcessingView::barSteps / 4},
        {0, 100, 0},
        {200, 200, ProcessingView::barSteps},
        // Beyond the range of int.
        {3'000'000'000ULL, 6'000'000'000ULL, ProcessingView::barSteps / 2},
        {5, 0, 0},
    };
    for (const auto& entry : cases) {
        m_controller.setTotal(entry.total);
        m_controller.setDone(entry.done);
        EXPECT_EQ(m_view.progressBar()->value(), entry.value) << entry.done << " of " << entry.total;
    }
}

TEST_F(ProcessingViewTest, theFileBarShowsOnlyWhileTheFileProgressIsVisible)
{
    EXPECT_TRUE(m_view.fileProgressBar()->isHidden());

    m_controller.setFileTotal(4000);
    m_controller.setFileDone(3000);
    m_controller.setFileProgressVisible(true);
    EXPECT_FALSE(m_view.fileProgressBar()->isHidden());
    EXPECT_EQ(m_view.fileProgressBar()->value(), ProcessingView::barSteps * 3 / 4);
    // The file name stays either way.
    EXPECT_FALSE(m_view.fileNameLabel()->isHidden());

    m_controller.setFileProgressVisible(false);
    EXPECT_TRUE(m_view.fileProgressBar()->isHidden());
}

TEST_F(ProcessingViewTest, stopAsksTheRunningControllerToStopOnce)
{
    EXPECT_FALSE(m_view.stopButton()->isEnabled());

    m_controller.startTimer();
    ASSERT_TRUE(m_view.stopButton()->isEnabled());
    m_view.stopButton()->click();
    EXPECT_TRUE(m_controller.userStopped());
    EXPECT_FALSE(m_view.stopButton()->isEnabled());

    m_controller.stopTimer();
    EXPECT_FALSE(m_view.stopButton()->isEnabled());
}

} // namespace
} // namespace pairsift
