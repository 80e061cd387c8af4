#include "scan/views/CountingView.h"

#include "scan/CountingTestSupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

class CountingViewTest : public test::CountingTest {
protected:
    CountingViewTest()
        : m_view(std::make_unique<CountingView>(*m_controller))
    {
    }

    // Scans the tree, checking the counting state on the way, and answers once the scan reported.
    std::optional<bool> scanTree(bool pressStop)
    {
        m_completion.reset();
        m_controller->addFilesInLocations({LocationItem::withPath(m_tree.root())}, {}, m_db, m_session, nullptr,
            completionRecorder());
        EXPECT_TRUE(m_view->stopButton()->isEnabled());
        EXPECT_EQ(m_view->progressIndicator()->maximum(), 0);
        if (pressStop) {
            m_view->stopButton()->click();
            EXPECT_TRUE(m_controller->userStopped());
            EXPECT_FALSE(m_view->stopButton()->isEnabled());
        }
        return waitForCompletion();
    }

    std::unique_ptr<CountingView> m_view;
};

TEST_F(CountingViewTest, idleViewStandsStill)
{
    EXPECT_EQ(m_view->countLabel()->text(), QStringLiteral("0"));
    EXPECT_FALSE(m_view->stopButton()->isEnabled());
    EXPECT_EQ(m_view->progressIndicator()->maximum(), 1);
}

TEST_F(CountingViewTest, stopButtonStopsTheController)
{
    scanTree(true);
    EXPECT_TRUE(m_controller->userStopped());
    EXPECT_FALSE(m_view->stopButton()->isEnabled());
    EXPECT_EQ(m_view->progressIndicator()->maximum(), 1);
}

TEST_F(CountingViewTest, finishedScanLeavesTheCountingState)
{
    EXPECT_EQ(scanTree(false), std::optional<bool>(true));
    EXPECT_FALSE(m_view->stopButton()->isEnabled());
    EXPECT_EQ(m_view->progressIndicator()->maximum(), 1);
}

TEST_F(CountingViewTest, labelShowsTheRefreshedCount)
{
    for (int index = 0; index < 3; ++index)
        m_tree.writeFile(
            QStringLiteral("f%1.bin").arg(index), test::patternBytes(200 * 1024, static_cast<quint32>(index)));
    ASSERT_EQ(scanTree(false), std::optional<bool>(true));
    ASSERT_EQ(m_controller->fileCount(), 3u);

    m_controller->timerFunction();

    EXPECT_EQ(m_view->countLabel()->text(), QStringLiteral("3"));
}

} // namespace
} // namespace pairsift
