// The preferences' controllers without widgets: pane tags, frame arithmetic, settings written at once
// and followed, the filter list, the log reveal and the folder chooser.
#include "FakePreferencesHost.h"

#include "platform/OpenPanel.h"
#include "platform/UserDefaults.h"
#include "settings/FilterEditing.h"
#include "settings/FilterListModel.h"
#include "settings/OpenPanelChooseDir.h"
#include "settings/PairsiftDefaults.h"
#include "settings/PreferencesPanes.h"
#include "settings/PsfPrefsFiltersController.h"
#include "settings/PsfPrefsGeneralController.h"
#include "settings/PsfPrefsUpdatesController.h"
#include "settings/UpdateCheckSettings.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/TemporaryTree.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace pairsift::test {
namespace {

class PreferencesTest : public testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setConfigurationFolder(m_tree.path(QStringLiteral("config")));
        PairsiftDefaults::registerDefaultsWithLogger(nullptr);
    }
    void TearDown() override { UserDefaults::setConfigurationFolder(QString()); }

    static QStringList globs(const QList<Filter>& filters)
    {
        QStringList texts;
        for (const Filter& filter : filters)
            texts.append(filter.glob());
        return texts;
    }

    TemporaryTree m_tree;
    FakePreferencesHost m_host;
};

TEST(PreferencesPanes, mapsTagsToPanesAndOthersToGeneral)
{
    const std::pair<qint64, PreferencesPane> cases[] = {
        {0, PreferencesPane::General}, {1, PreferencesPane::Filters}, {99, PreferencesPane::Updates},
        {2, PreferencesPane::General}, {-1, PreferencesPane::General}, {100, PreferencesPane::General},
    };
    for (const auto& [tag, pane] : cases)
        EXPECT_EQ(paneForTag(tag), pane) << tag;
}

TEST(PreferencesPanes, newFrameKeepsTheTopEdge)
{
    const QSize chrome(0, 40);
    const struct {
        const char* name;
        QRect current;
        QSize content;
        QRect expected;
    } cases[] = {
        {"tall_to_short_moves_the_bottom_up", {100, 200, 480, 440}, {480, 150}, {100, 200, 480, 190}},
        {"short_to_tall_moves_the_bottom_down", {100, 200, 480, 190}, {500, 400}, {100, 200, 500, 440}},
        {"same_pane_leaves_the_frame", {100, 200, 480, 190}, {480, 150}, {100, 200, 480, 190}},
    };
    for (const auto& frameCase : cases)
        EXPECT_EQ(newFrameForNewContentView(frameCase.current, chrome, frameCase.content), frameCase.expected)
            << frameCase.name;
}

TEST_F(PreferencesTest, generalSettingsAreWrittenAtOnceAndReachTheFacade)
{
    PsfPrefsGeneralController general(nullptr);
    general.setIgnoreSmallFiles(true);
    general.setSmallFileSize(5);
    general.setSmallFileSizeUnit(2);
    EXPECT_EQ(PairsiftDefaults::smallFileSize(), 5.0 * 1048576);
    general.setIgnoreSmallFiles(false);
    EXPECT_FALSE(PairsiftDefaults::ignoreSmallFiles());
    general.setConfirmDeleteLocation(false);
    EXPECT_FALSE(PairsiftDefaults::confirmDeleteLocation());
    // The setter of this one also writes the file.
    EXPECT_EQ(UserDefaults(UserDefaults::standard().filePath()).boolValue("confirm_delete_location"), false);

    QList<bool> loggingSeen;
    const auto observer = PairsiftDefaults::observeLogging([&](bool logging) { loggingSeen.append(logging); });
    general.setLogging(true);
    general.setLogging(false);
    PairsiftDefaults::unobserveLogging(observer);
    EXPECT_EQ(loggingSeen, (QList<bool>{true, false}));
}

TEST_F(PreferencesTest, generalPaneFollowsChangesMadeElsewhere)
{
    PsfPrefsGeneralController general(nullptr);
    int changed = 0;
    QObject::connect(&general, &PsfPrefsGeneralController::settingsChanged, [&changed] { ++changed; });
    UserDefaults::standard().setValue("small_file_size", 250);
    UserDefaults::standard().setValue("small_file_size_unit", 0);
    PairsiftDefaults::setConfirmDeleteLocation(false);
    UserDefaults::standard().setValue("unrelated", 1);
    EXPECT_EQ(changed, 3);
    EXPECT_EQ(general.smallFileSize(), 250);
    EXPECT_EQ(general.smallFileSizeUnit(), 0);
    EXPECT_FALSE(general.confirmDeleteLocation());

    // An index the scan would not use shows as the one it does use.
    for (const qint64 stored : {qint64(3), qint64(-1)}) {
        UserDefaults::standard().setValue("small_file_size_unit", stored);
        EXPECT_EQ(general.smallFileSizeUnit(), 1) << stored;
    }
    EXPECT_EQ(general.fileSizeUnits().at(general.smallFileSizeUnit()).title(), QStringLiteral("KBytes"));
}

TEST_F(PreferencesTest, revealShowsTheLogFileElseItsFolderElseNothing)
{
    const QString logs = m_tree.makeFolder(QStringLiteral("Logs"));
    const QString written = m_tree.writeFile(QStringLiteral("Logs/Pairsift-1.log"), "x");
    const struct {
        QString logFile;
        QString revealed;
    } cases[] = {
        {written, written},
        {logs + QStringLiteral("/Pairsift-2.log"), logs},
        {m_tree.path(QStringLiteral("NoLogs/Pairsift-3.log")), QString()},
        {QString(), QString()},
    };
    for (const auto& revealCase : cases) {
        QStringList revealed;
        PsfPrefsGeneralController general([&](const QString& path) { revealed.append(path); });
        general.setCurrentLogFilePath(revealCase.logFile);
        general.revealLogsInFinder();
        EXPECT_EQ(revealed, revealCase.revealed.isNull() ? QStringList() : QStringList{revealCase.revealed})
            << revealCase.logFile.toStdString();
    }
}

// The table as the controller drives it: whether an edit in progress lets itself be ended.
class FakeFilterTable : public FilterEditing {
public:
    bool endEditing() override
    {
        ++endCalls;
        return acceptsEnd;
    }
    void editRow(int row) override { editedRows.append(row); }

    bool acceptsEnd = true;
    int endCalls = 0;
    QList<int> editedRows;
};

TEST_F(PreferencesTest, addFilterEndsTheEditFirstAndDoesNothingWhenRefused)
{
    m_host.filterList = {Filter(QStringLiteral("CVSROOT"))};
    PsfPrefsFiltersController filters(m_host);
    FakeFilterTable table;
    filters.setFilterTableView(&table);

    table.acceptsEnd = false;
    filters.addFilter();
    EXPECT_EQ(table.endCalls, 1);
    EXPECT_EQ(globs(m_host.filterList), QStringList{QStringLiteral("CVSROOT")});
    EXPECT_TRUE(table.editedRows.isEmpty());

    table.acceptsEnd = true;
    filters.addFilter();
    EXPECT_EQ(globs(m_host.filterList), (QStringList{QStringLiteral("CVSROOT"), QStringLiteral("<New Filter>")}));
    EXPECT_EQ(table.editedRows, QList<int>{1});
    EXPECT_EQ(filters.filterArrayController()->rowCount(), 2);
}

TEST_F(PreferencesTest, filterEditsReachTheMainWindowsListAtOnce)
{
    m_host.filterList = {Filter(QStringLiteral("a")), Filter(QStringLiteral("b")), Filter(QStringLiteral("c")),
        Filter(QStringLiteral("d"))};
    PsfPrefsFiltersController filters(m_host);
    FilterListModel& model = *filters.filterArrayController();

    EXPECT_TRUE(model.setData(model.index(1), QStringLiteral("build/")));
    EXPECT_TRUE(model.setData(model.index(2), QString()));
    EXPECT_EQ(globs(m_host.filterList), (QStringList{"a", "build/", "", "d"}));
    EXPECT_EQ(model.data(model.index(1)), QStringLiteral("build/"));

    filters.removeFilters({3, 0, 3});
    EXPECT_EQ(globs(m_host.filterList), (QStringList{"build/", ""}));
    // Saved only when the main window closes, as the list it keeps.
    EXPECT_EQ(globs(PairsiftDefaults::filterArray()), QStringList{QStringLiteral("CVSROOT")});
}

TEST_F(PreferencesTest, updatesPaneWritesTheUpdatersSettings)
{
    PsfPrefsUpdatesController updates(m_host);
    EXPECT_FALSE(updates.isUpdateAvailable());
    m_host.isFeedConfigured = true;
    EXPECT_TRUE(updates.isUpdateAvailable());

    EXPECT_FALSE(UpdateCheckSettings::automaticallyChecksForUpdates());
    EXPECT_EQ(updates.updateCheckIntervalIndex(), 0);
    int changed = 0;
    QObject::connect(&updates, &PsfPrefsUpdatesController::settingsChanged, [&changed] { ++changed; });
    updates.setAutomaticallyChecksForUpdates(true);
    updates.setUpdateCheckIntervalIndex(1);
    updates.setUpdateCheckIntervalIndex(7);
    EXPECT_TRUE(UpdateCheckSettings::automaticallyChecksForUpdates());
    EXPECT_EQ(UpdateCheckSettings::updateCheckInterval(), 7 * 24 * 3600);
    EXPECT_EQ(changed, 2);
    UpdateCheckSettings::setUpdateCheckInterval(30 * 24 * 3600);
    EXPECT_EQ(updates.updateCheckIntervalIndex(), 2);
}

// Answers every panel with a fixed choice and keeps the options it was shown.
class FakeOpenPanel : public OpenPanel {
public:
    void run(const Options& options, Completion done) override
    {
        shown = options;
        done(choice);
    }
    std::optional<QString> choice;
    Options shown;
};

TEST_F(PreferencesTest, chooseDirectoryCreatesTheFolderAndFallsBackToItOnCancel)
{
    const QString folder = m_tree.path(QStringLiteral("new/folder"));
    FakeOpenPanel panel;
    QStringList answers;
    chooseDirectory(panel, folder, [&](const QString& path) { answers.append(path); });
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(panel.shown.directory, folder);
    EXPECT_EQ(panel.shown.prompt, QStringLiteral("Choose Folder"));
    EXPECT_TRUE(panel.shown.canChooseDirectories && panel.shown.canCreateDirectories);
    EXPECT_FALSE(panel.shown.canChooseFiles);

    panel.choice = m_tree.path(QStringLiteral("chosen"));
    chooseDirectory(panel, folder, [&](const QString& path) { answers.append(path); });
    EXPECT_EQ(answers, (QStringList{folder, m_tree.path(QStringLiteral("chosen"))}));
}

TEST_F(PreferencesTest, chooseDirectoryLogsAFolderItCannotMakeAndStillAsks)
{
    const QString file = m_tree.writeFile(QStringLiteral("plain"), "x");
    FakeOpenPanel panel;
    ConsoleCapture console;
    QString answer;
    chooseDirectory(panel, file, [&](const QString& path) { answer = path; });
    EXPECT_TRUE(console.texts().contains(QStringLiteral("Unable to create directory: %1, error: (nil)").arg(file)))
        << console.text().toStdString();
    EXPECT_EQ(answer, file);
}

} // namespace
} // namespace pairsift::test
