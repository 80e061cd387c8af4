#include "app/AppTestSupport.h"

#include "app/MainView.h"
#include "app/MainWindow.h"
#include "model/NotFound.h"
#include "model/Session.h"
#include "results/ResultsController.h"
#include "results/ResultsListModel.h"
#include "results/SelectionDetails.h"
#include "results/views/ResultsView.h"
#include "settings/PairsiftDefaults.h"
#include "ui/KeyForwardingOutlineView.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>

namespace pairsift::test {
namespace {

// The main window's real results list after a scan of two locations: "a" listed before "b".
class MainWindowResultsTest : public AppTest {
protected:
    void scanTree()
    {
        // Written first, so older: the default keeps it.
        writeFile(QStringLiteral("a/one.txt"), QByteArray(1000, 'x'));
        writeFile(QStringLiteral("a/one copy.txt"), QByteArray(1000, 'x'));
        writeFile(QStringLiteral("a/two.bin"), QByteArray(3000, 'y'));
        writeFile(QStringLiteral("a/sub/two.bin"), QByteArray(3000, 'y'));
        // Older, but in the second location.
        writeFile(QStringLiteral("b/three.dat"), QByteArray(5000, 'w'));
        writeFile(QStringLiteral("a/three.dat"), QByteArray(5000, 'w'));
        launchAndScan({QStringLiteral("a"), QStringLiteral("b")});
    }
    ResultsView& view() const { return *m_controller->window()->mainView()->resultsView(); }
    ResultsListModel& model() const { return *results().model(); }
    // The listed group holding the file.
    QModelIndex groupOf(const QString& relative) const
    {
        for (int row = 0; row < model().rowCount(); ++row) {
            if (model().groupForIndex(model().index(row, 0))->indexOfFileWithName(filesPath(relative)) != NotFound)
                return model().index(row, 0);
        }
        return {};
    }
    QString selectedPath() const
    {
        const FileItemPtr file = results().selectedItem().file;
        return file ? file->name() : QString();
    }
    QString detailsPath() const
    {
        const FileItemPtr& file = results().details()->selectedFile();
        return file ? file->name() : QString();
    }
    // Expands the group of the file and selects the file.
    void selectFile(const QString& relative)
    {
        const QModelIndex group = groupOf(relative);
        view().dupView()->expand(group);
        const FileGroupPtr listed = model().groupForIndex(group);
        results().selectItemInGroup(listed, listed->indexOfFileWithName(filesPath(relative)));
        ASSERT_EQ(selectedPath(), filesPath(relative));
    }
};

TEST_F(MainWindowResultsTest, aScanShowsItsGroupsInTheWindowsListWithTheKeptFileFirst)
{
    scanTree();
    ASSERT_EQ(view().dupView()->model(), &model());
    ASSERT_EQ(model().rowCount(), 3);
    const struct {
        const char* member;
        const char* kept;
    } cases[] = {{"a/one copy.txt", "a/one.txt"}, {"b/three.dat", "a/three.dat"}};
    for (const auto& entry : cases) {
        const QModelIndex group = groupOf(QString::fromUtf8(entry.member));
        ASSERT_TRUE(group.isValid()) << entry.member;
        EXPECT_EQ(model().fileForIndex(model().index(0, 0, group))->name(), filesPath(QString::fromUtf8(entry.kept)));
    }
    EXPECT_EQ(m_controller->window()->mainView()->selectionInfoLabel()->text(), QStringLiteral("Selected 0 files (0 B)"));
    model().setData(model().index(1, ResultsListModel::MarkedForRemovalColumn, groupOf(QStringLiteral("a/one.txt"))),
                    static_cast<int>(Qt::Checked), Qt::CheckStateRole);
    EXPECT_EQ(m_controller->window()->mainView()->selectionInfoLabel()->text(), results().selectionInfoText());
    EXPECT_NE(results().selectionInfoText(), QStringLiteral("Selected 0 files (0 B)"));
}

TEST_F(MainWindowResultsTest, aPreferFilesChangeKeepsTheHighlightedFileAndTheDetailsInStep)
{
    scanTree();
    selectFile(QStringLiteral("a/one.txt"));
    ASSERT_EQ(results().selectionModel()->currentIndex().row(), 0);

    PairsiftDefaults::setPreferFiles(1);
    QCoreApplication::processEvents();
    // The newer copy is kept now, and the highlight moved with the file.
    EXPECT_EQ(results().selectionModel()->currentIndex().row(), 1);
    EXPECT_EQ(selectedPath(), filesPath(QStringLiteral("a/one.txt")));
    EXPECT_EQ(detailsPath(), selectedPath());
    EXPECT_EQ(session().groupCount(), 3u);
}

TEST_F(MainWindowResultsTest, aReloadFromTheStoreKeepsTheSelectionAndTheExpandedGroups)
{
    scanTree();
    selectFile(QStringLiteral("a/sub/two.bin"));
    const FileItemPtr before = results().selectedItem().file;

    m_controller->loadFilesFromDatabase();
    ASSERT_TRUE(waitFor(&MainWindowController::resultsLoaded));
    const FileItemPtr after = results().selectedItem().file;
    ASSERT_TRUE(after);
    EXPECT_NE(after, before) << "the reload makes new file items";
    EXPECT_EQ(after->name(), filesPath(QStringLiteral("a/sub/two.bin")));
    EXPECT_EQ(results().details()->selectedFile(), after);
    EXPECT_TRUE(view().dupView()->isExpanded(groupOf(QStringLiteral("a/two.bin"))));
    EXPECT_EQ(session().expandedGroups().size(), 1);
}

TEST_F(MainWindowResultsTest, theViewMenuExpandsAndCollapsesEveryGroup)
{
    scanTree();
    MainWindow& window = *m_controller->window();
    ASSERT_TRUE(window.expandAllAction()->isEnabled());
    for (const auto& [action, expanded] : {std::pair(window.expandAllAction(), true), std::pair(window.collapseAllAction(), false)}) {
        action->trigger();
        for (int row = 0; row < model().rowCount(); ++row)
            EXPECT_EQ(view().dupView()->isExpanded(model().index(row, 0)), expanded) << row;
        EXPECT_EQ(session().expandedGroups().size(), expanded ? 3 : 0);
    }
}

} // namespace
} // namespace pairsift::test
