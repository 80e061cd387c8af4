// The main window comes back as the user left it, and never where it cannot be reached.
#include "app/AppTestSupport.h"

#include "app/MainView.h"
#include "app/MainWindow.h"

#include <QScreen>
#include <QSplitter>

namespace pairsift::test {
namespace {

using WindowMemoryTest = AppTest;

TEST_F(WindowMemoryTest, theFrameAndSplittersComeBackWhenTheyFitAScreenElseTheDefaultIsCentred)
{
    launch();
    const QRect screen = m_controller->window()->screen()->availableGeometry();
    const QRect defaultFrame = m_controller->window()->geometry();
    const struct {
        QRect left;
        bool isKept;
    } cases[] = {{QRect(screen.topLeft() + QPoint(24, 60), QSize(700, 500)), true},
                 {QRect(screen.left() - 3000, screen.top() + 60, 700, 500), false}};
    for (const auto& testCase : cases) {
        MainWindow* window = m_controller->window();
        window->setGeometry(testCase.left);
        QSplitter* outer = window->mainView()->findChild<QSplitter*>();
        ASSERT_NE(outer, nullptr);
        const int total = outer->sizes().value(0) + outer->sizes().value(1);
        outer->setSizes({total / 2 + 7, total - total / 2 - 7});
        const QList<int> sizes = outer->sizes();
        quit();
        launch();
        window = m_controller->window();
        if (testCase.isKept) {
            EXPECT_EQ(window->geometry(), testCase.left);
            EXPECT_EQ(window->mainView()->findChild<QSplitter*>()->sizes(), sizes);
        } else {
            EXPECT_EQ(window->geometry(), defaultFrame) << "the default size, centred";
        }
    }
}

} // namespace
} // namespace pairsift::test
