// The preferences window offscreen: panes made once and kept, the top edge fixed while the window
// fits each pane, the frame kept, controls that write and follow their settings, editing filters.
#include "settings/FakePreferencesHost.h"

#include "platform/UserDefaults.h"
#include "settings/FilterListModel.h"
#include "settings/HVRFileSizeUnit.h"
#include "settings/PairsiftDefaults.h"
#include "settings/PsfPrefsFiltersController.h"
#include "settings/PsfPrefsGeneralController.h"
#include "settings/views/PreferencesPanelController.h"
#include "settings/views/PsfPrefsFiltersView.h"
#include "settings/views/PsfPrefsUpdatesView.h"
#include "testkit/TemporaryTree.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QScreen>
#include <QSpinBox>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

class PreferencesWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setConfigurationFolder(m_tree.path(QStringLiteral("config")));
        PairsiftDefaults::registerDefaultsWithLogger(nullptr);
        PreferencesPanelController::setAnimated(false);
        m_host.logFilePath = m_tree.path(QStringLiteral("Logs/Pairsift-2024-01-02_030405.log"));
        m_host.filterList = {Filter(QStringLiteral("CVSROOT"))};
    }
    void TearDown() override { UserDefaults::setConfigurationFolder(QString()); }

    QAction* toolbarItem(PreferencesPanelController& panel, const char* identifier)
    {
        return panel.toolbar()->findChild<QAction*>(QString::fromLatin1(identifier));
    }

    TemporaryTree m_tree;
    FakePreferencesHost m_host;
};

TEST_F(PreferencesWindowTest, panesAreMadeOnceAndTheTopEdgeStays)
{
    PreferencesPanelController panel(m_host);
    panel.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.window()));
    QWidget* general = panel.viewForTag(0);
    EXPECT_TRUE(general->isVisible());
    EXPECT_TRUE(toolbarItem(panel, "General")->isChecked());

    const QRect generalFrame = panel.window()->geometry();
    toolbarItem(panel, "Filters")->trigger();
    QWidget* filters = panel.viewForTag(1);
    EXPECT_EQ(panel.currentViewTag(), 1);
    EXPECT_TRUE(filters->isVisible());
    EXPECT_FALSE(general->isVisible());
    const QRect filtersFrame = panel.window()->geometry();
    EXPECT_NE(filtersFrame.height(), generalFrame.height());
    EXPECT_EQ(filtersFrame.topLeft(), generalFrame.topLeft());
    EXPECT_EQ(filtersFrame.size() - filters->size(), generalFrame.size() - general->size());

    // Any other tag shows General, the same view as before; the same pane again leaves the frame.
    panel.switchView(7);
    EXPECT_EQ(panel.viewForTag(7), general);
    EXPECT_TRUE(general->isVisible());
    EXPECT_TRUE(toolbarItem(panel, "General")->isChecked());
    EXPECT_EQ(panel.window()->geometry(), generalFrame);
    panel.switchView(0);
    EXPECT_EQ(panel.window()->geometry(), generalFrame);
    EXPECT_EQ(panel.viewForTag(1), filters);
}

TEST_F(PreferencesWindowTest, theFrameIsKeptUnderItsNameAndRestored)
{
    QPoint place;
    {
        PreferencesPanelController panel(m_host);
        panel.showWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.window()));
        panel.window()->move(panel.window()->pos() + QPoint(30, 20));
        QApplication::processEvents();
        place = panel.window()->geometry().topLeft();
        const QStringList saved = UserDefaults::standard().stringValue("PairsiftPrefPanel").split(' ');
        ASSERT_EQ(saved.size(), 4);
        EXPECT_EQ(QPoint(saved[0].toInt(), saved[1].toInt()), place);
    }
    PreferencesPanelController reopened(m_host);
    reopened.showWindow();
    EXPECT_EQ(reopened.window()->geometry().topLeft(), place);
}

TEST_F(PreferencesWindowTest, aFrameOffEveryScreenGivesWayToThePlaceOverTheMainWindow)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget mainWindow;
    QRect mainFrame(QPoint(), QSize(300, 200));
    mainFrame.moveCenter(available.center());
    mainWindow.setGeometry(mainFrame);
    const char* const savedFrames[] = {"-4000 -3000 500 300", "0 0 500 300" /* the title bar above the screen */,
                                       "", "not a frame"};
    for (const char* saved : savedFrames) {
        UserDefaults::standard().setValue(QStringLiteral("PairsiftPrefPanel"), QString::fromLatin1(saved));
        PreferencesPanelController panel(m_host);
        panel.setMainWindow(&mainWindow);
        panel.showWindow();
        const QRect frame = panel.window()->geometry();
        EXPECT_TRUE(available.contains(frame)) << saved;
        EXPECT_GT(frame.top(), available.top()) << saved;
        // Centred with its title bar, as the main window's frame includes its own.
        const int titleBar = panel.window()->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        EXPECT_LE((frame.adjusted(0, -titleBar, 0, 0).center() - mainWindow.frameGeometry().center()).manhattanLength(), 1)
            << saved;
    }
}

TEST_F(PreferencesWindowTest, generalPaneShowsTheCurrentLogPathEachTime)
{
    PreferencesPanelController panel(m_host);
    EXPECT_EQ(panel.generalController()->currentLogFilePath(), m_host.logFilePath);
    m_host.logFilePath = m_tree.path(QStringLiteral("Logs/other.log"));
    panel.switchView(0);
    auto* path = panel.viewForTag(0)->findChild<QLineEdit*>();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->text(), m_host.logFilePath);
}

TEST_F(PreferencesWindowTest, generalControlsWriteTheirSettingsAndFollowThem)
{
    PreferencesPanelController panel(m_host);
    QWidget* general = panel.viewForTag(0);
    QCheckBox* logging = nullptr;
    for (QCheckBox* box : general->findChildren<QCheckBox*>()) {
        if (box->text().contains(QStringLiteral("log file")))
            logging = box;
    }
    ASSERT_NE(logging, nullptr);
    auto* unit = general->findChild<QComboBox*>();
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(unit->currentText(), QStringLiteral("KBytes"));
    EXPECT_FALSE(logging->isChecked());

    QTest::mouseClick(logging, Qt::LeftButton);
    EXPECT_TRUE(PairsiftDefaults::logging());
    unit->setCurrentIndex(2);
    EXPECT_EQ(UserDefaults::standard().integerValue("small_file_size_unit"), 2);

    UserDefaults::standard().setValue("logging", QStringLiteral("NO"));
    UserDefaults::standard().setValue("small_file_size_unit", 0);
    EXPECT_FALSE(logging->isChecked());
    EXPECT_EQ(unit->currentText(), QStringLiteral("bytes"));
}

TEST_F(PreferencesWindowTest, theThresholdShowsWhatTheScanUsesAndOnlyAnEntryIsWritten)
{
    const struct {
        qint64 storedSize;
        qint64 storedUnit;
        int shownSize;
        int shownUnit;
    } cases[] = {{0, 1, 100, 1}, {-5, 1, -5, 1}, {250, 0, 250, 0}, {0, 7, 100, 1}};
    for (const auto& testCase : cases) {
        UserDefaults::standard().setValue("small_file_size", testCase.storedSize);
        UserDefaults::standard().setValue("small_file_size_unit", testCase.storedUnit);
        QList<qint64> written;
        const auto observer = UserDefaults::standard().addObserver("small_file_size", [&written](const QVariant& value) {
            written.append(value.toLongLong());
        });
        {
            PreferencesPanelController panel(m_host);
            QWidget* general = panel.viewForTag(0);
            panel.window()->show();
            auto* size = general->findChild<QSpinBox*>();
            auto* unit = general->findChild<QComboBox*>();
            ASSERT_TRUE(size && unit);
            EXPECT_EQ(size->value(), testCase.shownSize) << testCase.storedSize;
            EXPECT_EQ(unit->currentIndex(), testCase.shownUnit) << testCase.storedSize;
            EXPECT_EQ(size->value() * HVRFileSizeUnit::defaultFileSizeUnits().at(unit->currentIndex()).mul(),
                      PairsiftDefaults::smallFileSize());
            if (testCase.storedSize == 250) {
                // Typed digit by digit, then confirmed: one write, of the number entered.
                size->setFocus();
                size->selectAll();
                QTest::keyClicks(size, QStringLiteral("150"));
                QTest::keyClick(size, Qt::Key_Return);
            }
        }
        UserDefaults::standard().removeObserver(observer);
        EXPECT_EQ(written, testCase.storedSize == 250 ? QList<qint64>{150} : QList<qint64>{}) << testCase.storedSize;
    }
}

TEST_F(PreferencesWindowTest, addingWhileEditingCommitsTheEditAndEditsTheNewFilter)
{
    PreferencesPanelController panel(m_host);
    panel.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(panel.window()));
    panel.switchView(1);
    auto* view = static_cast<PsfPrefsFiltersView*>(panel.viewForTag(1));
    QTableView* table = view->filterTableView();
    table->edit(table->model()->index(0, 0));
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("node_modules"));

    panel.filtersController()->addFilter();

    ASSERT_EQ(m_host.filterList.size(), 2);
    EXPECT_EQ(m_host.filterList[0].glob(), QStringLiteral("node_modules"));
    EXPECT_EQ(m_host.filterList[1].glob(), QStringLiteral("<New Filter>"));
    EXPECT_EQ(table->currentIndex().row(), 1);
    QLineEdit* newEditor = nullptr;
    for (QLineEdit* candidate : table->viewport()->findChildren<QLineEdit*>()) {
        if (candidate->isVisible())
            newEditor = candidate;
    }
    ASSERT_NE(newEditor, nullptr);
    EXPECT_EQ(newEditor->selectedText(), QStringLiteral("<New Filter>"));

    // Typing replaces the selected text; Return ends the edit into the main window's list.
    QTest::keyClicks(newEditor, QStringLiteral(".git"));
    EXPECT_EQ(newEditor->text(), QStringLiteral(".git"));
    QTest::keyClick(newEditor, Qt::Key_Return);
    QApplication::processEvents(); // the editor commits on Return through a queued call
    EXPECT_EQ(m_host.filterList[1].glob(), QStringLiteral(".git"));
}

TEST_F(PreferencesWindowTest, updatesPaneSaysPlainlyWhenThereIsNoFeed)
{
    for (const bool hasFeed : {false, true}) {
        m_host.isFeedConfigured = hasFeed;
        PreferencesPanelController panel(m_host);
        QWidget* updates = panel.viewForTag(99);
        auto* notice = updates->findChild<QLabel*>(QStringLiteral("notAvailable"));
        EXPECT_EQ(notice != nullptr, !hasFeed);
        if (notice) {
            EXPECT_EQ(notice->text(), PsfPrefsUpdatesView::notAvailableText());
        }
        EXPECT_EQ(updates->findChild<QCheckBox*>() != nullptr, hasFeed);
    }
}

} // namespace
} // namespace pairsift::test
