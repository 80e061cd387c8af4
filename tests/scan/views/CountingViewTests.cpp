#include "scan/views/CountingView.h"

#include "model/Session.h"
#include "platform/UserDefaults.h"
#include "scan/CountingViewController.h"
#include "store/PairsiftDatabase.h"
#include "support/TemporaryTree.h"
#include "support/foundation/PathClassification.h"

#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

using test::TemporaryTree;

class CountingViewTest : public testing::Test {
protected:
    CountingViewTest()
        : m_previousSystemPaths(setSystemPathTable(SystemPathTable{}))
    {
        UserDefaults::setConfigurationFolder(m_outside.path(QStringLiteral("settings")));
        m_db = PairsiftDatabase::databaseWithPath(m_outside.path(QStringLiteral("store.db3")));
        m_session = std::make_shared<Session>(m_db, nullptr);
        m_controller = std::make_unique<CountingViewController>();
        m_view = std::make_unique<CountingView>(*m_controller);
    }
    ~CountingViewTest() override
    {
        m_view.reset();
        m_controller.reset();
        UserDefaults::setConfigurationFolder(QString());
        setSystemPathTable(m_previousSystemPaths);
    }

    // Scans the tree, checking the counting state on the way, and answers once the scan reported.
    std::optional<bool> scanTree(bool pressStop)
    {
        std::optional<bool> result;
        QEventLoop loop;
        m_controller->addFilesInLocations({LocationItem::withPath(m_tree.root())}, {}, m_db, m_session, nullptr,
            [&](bool finished) {
                result = finished;
                loop.quit();
            });
        EXPECT_TRUE(m_view->stopButton()->isEnabled());
        EXPECT_EQ(m_view->progressIndicator()->maximum(), 0);
        if (pressStop) {
            m_view->stopButton()->click();
            EXPECT_TRUE(m_controller->userStopped());
            EXPECT_FALSE(m_view->stopButton()->isEnabled());
        }
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (!result)
            loop.exec();
        EXPECT_TRUE(result.has_value()) << "the scan never reported";
        return result;
    }

    TemporaryTree m_tree;
    TemporaryTree m_outside;
    SystemPathTable m_previousSystemPaths;
    std::shared_ptr<PairsiftDatabase> m_db;
    std::shared_ptr<Session> m_session;
    std::unique_ptr<CountingViewController> m_controller;
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
