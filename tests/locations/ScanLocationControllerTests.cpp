#include "locations/ScanLocationTableViewController.h"

#include "platform/UserDefaults.h"
#include "locations/ScanLocationDelegate.h"
#include "locations/ScanLocationListModel.h"
#include "settings/PairsiftDefaults.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

class RecordingDelegate : public ScanLocationDelegate {
public:
    void scanLocationControllerUpdatedLocations(ScanLocationTableViewController* controller,
        const QList<LocationItemPtr>& locations) override
    {
        ++calls;
        lastController = controller;
        lastCount = locations.size();
    }

    int calls = 0;
    ScanLocationTableViewController* lastController = nullptr;
    qsizetype lastCount = -1;
};

// Settings go to a file in a temporary folder; the locations are folders named by one letter.
class ScanLocationControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setConfigurationFolder(m_tree.makeFolder(QStringLiteral("config")));
        m_controller.setDelegate(&m_delegate);
    }
    void TearDown() override { UserDefaults::setConfigurationFolder(m_tree.path(QStringLiteral("unused"))); }

    QString folder(const QString& name) const { return m_tree.makeFolder(name); }

    QStringList folders(const QStringList& names) const
    {
        QStringList paths;
        for (const QString& name : names)
            paths.append(folder(name));
        return paths;
    }

    // The last component of each location's path, in order.
    static QStringList names(const QList<LocationItemPtr>& locations)
    {
        QStringList result;
        for (const LocationItemPtr& location : locations)
            result.append(location->path().section(QLatin1Char('/'), -1));
        return result;
    }

    QStringList listedNames() const { return names(m_controller.locations()); }

    // Lists the folders without telling the delegate.
    void list(const QStringList& names)
    {
        for (const QString& path : folders(names))
            m_controller.addDirectory(path);
    }

    test::TemporaryTree m_tree;
    RecordingDelegate m_delegate;
    ScanLocationTableViewController m_controller;
};

TEST_F(ScanLocationControllerTest, addDistinctDirectoriesSkipsListedPaths)
{
    QList<int> scrolls;
    QObject receiver;
    QObject::connect(&m_controller, &ScanLocationTableViewController::scrollToRowRequested, &receiver,
                     [&scrolls](int row) { scrolls.append(row); });
    m_controller.addDistinctDirectories(folders({"A", "B"}));
    EXPECT_EQ(listedNames(), (QStringList{"A", "B"}));
    EXPECT_EQ(m_controller.selectedRows(), QList<int>{1});
    EXPECT_EQ(scrolls, (QList<int>{0, 1}));
    EXPECT_EQ(m_delegate.calls, 2);
    EXPECT_EQ(m_delegate.lastController, &m_controller);
    EXPECT_EQ(m_delegate.lastCount, 2);

    // The same folders again, one written with a trailing separator, and an empty path.
    m_controller.addDistinctDirectories({folder("A") + QLatin1Char('/'), folder("B"), QString()});
    EXPECT_EQ(listedNames(), (QStringList{"A", "B"}));
    EXPECT_EQ(scrolls.size(), 2);
    EXPECT_EQ(m_delegate.calls, 2);
}

TEST_F(ScanLocationControllerTest, addDirectoryAppendsSilentlyAndIgnoresEmptyPaths)
{
    m_controller.addDirectory(QString());
    m_controller.addDirectory(folder("A"));
    m_controller.addDirectory(folder("A"));
    EXPECT_EQ(listedNames(), (QStringList{"A", "A"}));
    EXPECT_EQ(m_controller.model()->rowCount(), 2);
    EXPECT_EQ(m_delegate.calls, 0);
}

TEST_F(ScanLocationControllerTest, recentLocationsKeepTheNewestFiveInOrder)
{
    int menuRebuilds = 0;
    QObject receiver;
    QObject::connect(&m_controller, &ScanLocationTableViewController::recentLocationsChanged, &receiver,
                     [&menuRebuilds] { ++menuRebuilds; });
    const struct {
        QStringList added;
        QStringList recent;
    } steps[] = {
        {{"A", "B", "C"}, {"A", "B", "C"}},
        {{"B", "A"}, {"A", "B", "C"}},
        {{"D", "E"}, {"A", "B", "C", "D", "E"}},
        {{"F"}, {"B", "C", "D", "E", "F"}},
        {{"G", "H", "B"}, {"E", "F", "G", "H", "B"}},
    };
    int step = 0;
    for (const auto& testCase : steps) {
        m_controller.addRecentDirectories(folders(testCase.added));
        EXPECT_EQ(names(m_controller.recentLocations()), testCase.recent) << "step " << step;
        EXPECT_EQ(names(PairsiftDefaults::recentLocations().value_or(QList<LocationItemPtr>())), testCase.recent)
            << "saved at step " << step;
        ++step;
    }
    EXPECT_EQ(menuRebuilds, step);
    EXPECT_TRUE(m_controller.locations().isEmpty());
    EXPECT_EQ(m_delegate.calls, 0);
}

TEST_F(ScanLocationControllerTest, removeDirectoryRemovesTheSelection)
{
    list({"A", "B", "C", "D"});
    m_controller.removeDirectory();
    EXPECT_EQ(m_delegate.calls, 0);

    m_controller.setSelectedRows({0, 2});
    EXPECT_EQ(m_controller.selectionCount(), 2);
    m_controller.removeDirectory();
    EXPECT_EQ(listedNames(), (QStringList{"B", "D"}));
    EXPECT_EQ(m_controller.selectionCount(), 0);
    EXPECT_EQ(m_delegate.calls, 1);
    EXPECT_EQ(m_delegate.lastCount, 2);
}

TEST_F(ScanLocationControllerTest, pruneRemovesMissingFoldersAndFiles)
{
    list({"gone", "kept", "file", "Lib.photolibrary"});
    QDir(folder("gone")).removeRecursively();
    QDir(folder("file")).removeRecursively();
    m_tree.writeFile(QStringLiteral("file"), "not a folder");

    m_controller.pruneDirectories();
    EXPECT_EQ(listedNames(), (QStringList{"kept", "Lib.photolibrary"}));
    EXPECT_EQ(m_delegate.calls, 2);
    EXPECT_EQ(m_delegate.lastCount, 2);

    m_controller.pruneDirectories();
    EXPECT_EQ(m_delegate.calls, 2);
}

TEST_F(ScanLocationControllerTest, resetErrorsClearsStatusesAndRefreshesRows)
{
    list({"A", "B"});
    m_controller.locations().at(1)->setStatus(LocationItem::UnreadableStatus);
    const QModelIndex second = m_controller.model()->index(1, 0);
    EXPECT_EQ(second.data(ScanLocationListModel::StatusImageRole).toString(), QStringLiteral("error"));

    QList<int> changedRows;
    QObject receiver;
    QObject::connect(m_controller.model(), &QAbstractItemModel::dataChanged, &receiver,
                     [&changedRows](const QModelIndex& first) { changedRows.append(first.row()); });
    m_controller.resetErrors();
    EXPECT_EQ(m_controller.locations().at(1)->status(), 0);
    EXPECT_TRUE(second.data(ScanLocationListModel::StatusImageRole).toString().isNull());
    EXPECT_EQ(changedRows, QList<int>{1});
}

TEST_F(ScanLocationControllerTest, hasDirectoryNeedsTheExactPath)
{
    list({"A"});
    EXPECT_TRUE(m_controller.hasDirectory(m_controller.locations().at(0)->path()));
    EXPECT_FALSE(m_controller.hasDirectory(m_controller.locations().at(0)->path() + QLatin1Char('/')));
    EXPECT_FALSE(m_controller.hasDirectory(m_controller.locations().at(0)->path().toUpper()));
}

TEST_F(ScanLocationControllerTest, moveCommandsAreOfferedOnlyWhereTheyApply)
{
    const struct {
        QStringList listed;
        QList<int> selected;
        bool canMoveUp;
        bool canMoveDown;
    } cases[] = {
        {{"A", "B", "C", "D", "E"}, {}, false, false},
        {{"A", "B", "C", "D", "E"}, {0}, false, true},
        {{"A", "B", "C", "D", "E"}, {4}, true, false},
        {{"A", "B", "C", "D", "E"}, {0, 4}, false, false},
        {{"A", "B", "C", "D", "E"}, {1, 3}, true, true},
        {{"A"}, {0}, false, false},
    };
    for (const auto& testCase : cases) {
        ScanLocationTableViewController controller;
        for (const QString& path : folders(testCase.listed))
            controller.addDirectory(path);
        controller.setSelectedRows(testCase.selected);
        EXPECT_EQ(controller.canMoveSelectedLocationsUp(), testCase.canMoveUp) << testCase.selected.size();
        EXPECT_EQ(controller.canMoveSelectedLocationsDown(), testCase.canMoveDown) << testCase.selected.size();
    }
}

TEST_F(ScanLocationControllerTest, movesShiftTheSelectionByOneRow)
{
    const struct {
        QList<int> selected;
        bool isUp;
        QStringList order;
        QList<int> selectedAfter;
    } cases[] = {
        {{1, 4}, true, {"B", "A", "C", "E", "D"}, {0, 3}},
        {{1, 2}, true, {"B", "C", "A", "D", "E"}, {0, 1}},
        {{1, 2}, false, {"A", "D", "B", "C", "E"}, {2, 3}},
        {{0, 2}, false, {"B", "A", "D", "C", "E"}, {1, 3}},
    };
    for (const auto& testCase : cases) {
        RecordingDelegate delegate;
        ScanLocationTableViewController controller;
        controller.setDelegate(&delegate);
        for (const QString& path : folders({"A", "B", "C", "D", "E"}))
            controller.addDirectory(path);
        controller.setSelectedRows(testCase.selected);

        EXPECT_TRUE(testCase.isUp ? controller.moveSelectedSourcesUp() : controller.moveSelectedSourcesDown());
        EXPECT_EQ(names(controller.locations()), testCase.order);
        EXPECT_EQ(controller.selectedRows(), testCase.selectedAfter);
        EXPECT_EQ(controller.model()->index(0, 0).data().toString(), controller.locations().at(0)->path());
        EXPECT_EQ(delegate.calls, 1);
    }
}

TEST_F(ScanLocationControllerTest, movesThatWouldLeaveTheListChangeNothing)
{
    list({"A", "B", "C"});
    const struct {
        QList<int> selected;
        bool isUp;
    } cases[] = {{{0}, true}, {{0, 2}, true}, {{2}, false}, {{}, true}, {{}, false}};
    for (const auto& testCase : cases) {
        m_controller.setSelectedRows(testCase.selected);
        EXPECT_FALSE(testCase.isUp ? m_controller.moveSelectedSourcesUp() : m_controller.moveSelectedSourcesDown());
        EXPECT_EQ(listedNames(), (QStringList{"A", "B", "C"}));
        EXPECT_EQ(m_controller.selectedRows(), testCase.selected);
    }
    EXPECT_EQ(m_delegate.calls, 0);
}

TEST_F(ScanLocationControllerTest, selectionAnnouncesTheMoveCommands)
{
    list({"A", "B", "C"});
    int announcements = 0;
    QObject receiver;
    QObject::connect(&m_controller, &ScanLocationTableViewController::canMoveSelectedLocationsChanged, &receiver,
                     [&announcements] { ++announcements; });
    m_controller.setSelectedRows({1});
    EXPECT_GE(announcements, 1);
    const int before = announcements;
    m_controller.moveSelectedSourcesUp();
    EXPECT_GT(announcements, before);
    EXPECT_FALSE(m_controller.canMoveSelectedLocationsUp());
}

TEST_F(ScanLocationControllerTest, locationsAndRecentLocationsSurviveARestart)
{
    m_controller.addDistinctDirectories(folders({"C", "A", "B"}));
    m_controller.saveLocationsToPrefs();
    m_controller.addRecentDirectories(folders({"R1", "R2"}));

    // A fresh store reads the file written above.
    UserDefaults::setConfigurationFolder(m_tree.path(QStringLiteral("config")));
    RecordingDelegate delegate;
    ScanLocationTableViewController restarted;
    restarted.setDelegate(&delegate);
    int menuRebuilds = 0;
    QObject::connect(&restarted, &ScanLocationTableViewController::recentLocationsChanged, &restarted,
                     [&menuRebuilds] { ++menuRebuilds; });
    restarted.loadLocationsFromPrefs();
    restarted.loadRecentLocationsFromPrefs();

    EXPECT_EQ(names(restarted.locations()), (QStringList{"C", "A", "B"}));
    EXPECT_EQ(restarted.locations().at(0)->path(), m_controller.locations().at(0)->path());
    EXPECT_EQ(names(restarted.recentLocations()), (QStringList{"R1", "R2"}));
    EXPECT_EQ(delegate.calls, 1);
    EXPECT_EQ(menuRebuilds, 1);
}

TEST_F(ScanLocationControllerTest, nothingStoredLoadsEmptyLists)
{
    list({"A"});
    m_controller.loadLocationsFromPrefs();
    m_controller.loadRecentLocationsFromPrefs();
    EXPECT_TRUE(m_controller.locations().isEmpty());
    EXPECT_TRUE(m_controller.recentLocations().isEmpty());
    EXPECT_EQ(m_delegate.calls, 1);
}

} // namespace
} // namespace pairsift
