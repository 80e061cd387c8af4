#include "ResultsTestSupport.h"

#include "results/ResultsListModel.h"
#include "results/SelectionDetails.h"
#include "settings/PairsiftDefaults.h"

#include <QSignalSpy>

#include <algorithm>
#include <atomic>
#include <functional>
#include <tuple>

namespace pairsift {
namespace {

using Model = ResultsListModel;

class ResultsControllerTest : public test::ResultsFixture {
protected:
    void expand(const QByteArray& digest) { controller.itemDidExpand(groupIndex(digest)); }
    QString selectedName() const
    {
        const ResultsController::Item item = controller.selectedItem();
        return item.file ? item.file->name() : item.group ? QStringLiteral("group ") + item.group->fileName() : QString();
    }
};

TEST_F(ResultsControllerTest, markingStatusCountsPartlyMarkedGroupsOnly)
{
    controller.loadFilesFromDatabase();
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("No duplicate files."));
    EXPECT_FALSE(controller.isNonEmpty());

    const QByteArray a = addGroup(QStringLiteral("a"), 3, 100);
    const QByteArray b = addGroup(QStringLiteral("b"), 2, 5000);
    controller.loadFilesFromDatabase();
    EXPECT_TRUE(controller.isNonEmpty());
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 0 files (0 B)"));

    QSignalSpy changes(&controller, &ResultsController::markingStatusChanged);
    ASSERT_TRUE(controller.model()->setMarked(fileIndex(a, 1), int(Qt::Checked), false));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 1 file (100 B)"));
    EXPECT_EQ(controller.markedCount(), 1u);
    // A fully marked group is left alone by staging, so it counts nothing.
    ASSERT_TRUE(controller.model()->setMarked(groupIndex(b), int(Qt::Checked), false));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 1 file (100 B)"));
    ASSERT_TRUE(controller.model()->setMarked(fileIndex(a, 2), int(Qt::Checked), false));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 2 files (200 B)"));
    EXPECT_EQ(changes.count(), 3);
}

TEST_F(ResultsControllerTest, expandedGroupsComeBackOnceAfterEveryReload)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 2);
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    const QByteArray gone(20, 'z');
    // The store holds a key twice and a key of a group that is not listed.
    ASSERT_TRUE(store->saveExpandedGroups({a, gone, a}));
    session.loadExpandedGroups();
    EXPECT_EQ(session.expandedGroups(), (QList<QByteArray>{a, gone}));

    QSignalSpy requests(&controller, &ResultsController::expandRowsRequested);
    controller.loadFilesFromDatabase();
    ASSERT_EQ(requests.count(), 1);
    EXPECT_EQ(requests.last().at(0).value<QModelIndexList>(), QModelIndexList{groupIndex(a)});

    // The view reports each expansion again; the memory keeps one key per group.
    expand(a);
    expand(b);
    expand(b);
    controller.sortDescriptorsDidChange(Model::NameColumn, Qt::AscendingOrder);
    EXPECT_EQ(session.expandedGroups(), (QList<QByteArray>{a, gone, b}));
    EXPECT_EQ(requests.last().at(0).value<QModelIndexList>(), (QModelIndexList{groupIndex(a), groupIndex(b)}));

    controller.collapseAll();
    EXPECT_EQ(session.expandedGroups(), QList<QByteArray>{gone});
    controller.expandAll();
    EXPECT_EQ(session.expandedGroups(), (QList<QByteArray>{gone, a, b}));
    controller.itemDidCollapse(groupIndex(a));
    EXPECT_FALSE(controller.isGroupExpanded(group(a)));
}

TEST_F(ResultsControllerTest, headerClickOrdersGroupsAndStoresTheOrder)
{
    const QByteArray small = addGroup(QStringLiteral("z"), 3, 10);
    const QByteArray large = addGroup(QStringLiteral("m"), 2, 20);
    controller.loadFilesFromDatabase();
    struct Case {
        int column;
        Qt::SortOrder order;
        QByteArray first;
        QString storedKey;
    };
    const std::vector<Case> cases{
        {Model::NameColumn, Qt::AscendingOrder, large, QStringLiteral("name")},
        {Model::FileSizeColumn, Qt::DescendingOrder, large, QStringLiteral("fileSize")},
        {Model::TotalSizeColumn, Qt::DescendingOrder, large, QStringLiteral("total")},
        {Model::TotalSizeColumn, Qt::AscendingOrder, small, QStringLiteral("total")},
        // No group order on this column: nothing changes.
        {Model::DateCreatedColumn, Qt::DescendingOrder, small, QStringLiteral("total")},
    };
    for (const Case& c : cases) {
        controller.model()->sort(c.column, c.order);
        EXPECT_EQ(controller.model()->rowForDigest(c.first), 0) << c.column;
        EXPECT_EQ(PairsiftDefaults::sortKey(), c.storedKey);
    }
    EXPECT_TRUE(PairsiftDefaults::sortAscending());
}

TEST_F(ResultsControllerTest, loadedFilesKeepTheLoadersFileOrderAndHeldReloadsLeaveTheSessionAlone)
{
    const QByteArray small = addGroup(QStringLiteral("z"), 2, 10);
    const QByteArray large = addGroup(QStringLiteral("m"), 2, 20);
    PairsiftDefaults::setSortKey(QStringLiteral("total"));
    PairsiftDefaults::setSortAscending(false);
    // Newest first, as a loader would order them for "prefer_files" 1; the store gives them oldest first.
    std::vector<FileItemPtr> files = Session::readFilesWithDigest(*store);
    std::reverse(files.begin(), files.end());
    controller.displayLoadedFiles(Session::groupLoadedFiles(files));
    ASSERT_EQ(controller.model()->rowForDigest(large), 0);
    EXPECT_EQ(group(small)->head()->name(), QStringLiteral("/loc/z1"));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 0 files (0 B)"));

    controller.setReloadsHeld(true);
    controller.model()->sort(Model::TotalSizeColumn, Qt::AscendingOrder);
    controller.sortAndDisplayFiles();
    EXPECT_EQ(controller.model()->rowForDigest(large), 0);
    EXPECT_EQ(group(small)->head()->name(), QStringLiteral("/loc/z1"));
    EXPECT_TRUE(PairsiftDefaults::sortAscending()) << "the order is stored for the next load";
    controller.setReloadsHeld(false);
    controller.sortAndDisplayFiles();
    EXPECT_EQ(controller.model()->rowForDigest(small), 0);
    EXPECT_EQ(group(small)->head()->name(), QStringLiteral("/loc/z0"));
}

TEST_F(ResultsControllerTest, reloadSelectsTheSameFileByDigestAndPathOnlyInExpandedGroups)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 3);
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    expand(a);

    // The oldest file is kept first; keeping newer files moves a0 to the end, and the selection follows it.
    controller.selectItemInGroup(group(a), 0);
    EXPECT_EQ(selectedName(), QStringLiteral("/loc/a0"));
    PairsiftDefaults::setPreferFiles(1);
    EXPECT_EQ(selectedName(), QStringLiteral("/loc/a0"));
    EXPECT_EQ(controller.selectionModel()->currentIndex(), fileIndex(a, 2));
    // The details follow the highlight.
    EXPECT_EQ(controller.details()->selectedFileName(), QStringLiteral("/loc/a0"));
    EXPECT_EQ(group(a)->head()->name(), QStringLiteral("/loc/a2"));

    // A file of a collapsed group has no row: the selection stays where it was.
    controller.selectItemInGroup(group(b), 1);
    EXPECT_EQ(selectedName(), QStringLiteral("/loc/a0"));
    controller.selectGroup(group(b));
    EXPECT_EQ(selectedName(), QStringLiteral("group b1"));

    // A file selected in a group that is collapsed before the reload is not selected afterwards.
    controller.selectItemInGroup(group(a), 1);
    controller.itemDidCollapse(groupIndex(a));
    controller.loadFilesFromDatabase();
    EXPECT_EQ(selectedName(), QString());
    EXPECT_FALSE(controller.details()->isAnySelected());
}

TEST_F(ResultsControllerTest, aGroupSelectedWithItsFilesKeepsOneRangeUntilPartOfItGoes)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 3);
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    ResultsSelectionModel& selection = *controller.selectionModel();
    // As the outline view selects every shown row: the group rows, and each group's files as a range.
    QItemSelection all(groupIndex(a), groupIndex(b, Model::ColumnCount - 1));
    for (const QByteArray& digest : {a, b})
        all.select(fileIndex(digest, 0), fileIndex(digest, group(digest)->count() - 1, Model::ColumnCount - 1));
    selection.select(all, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    const auto everyGroupExpanded = [](const QModelIndex&) { return true; };
    EXPECT_EQ(selection.selection().size(), 1);
    EXPECT_EQ(selection.selectedRowsInOrder(everyGroupExpanded).size(), 7);

    // A Ctrl+click takes one file away; the rest stays selected.
    selection.setCurrentIndex(fileIndex(a, 1), QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
    const QList<std::pair<QModelIndex, bool>> rows = {{groupIndex(a), true}, {fileIndex(a, 0), true},
        {fileIndex(a, 1), false}, {fileIndex(a, 2), true}, {groupIndex(b), true}, {fileIndex(b, 1), true}};
    for (const auto& [row, isSelected] : rows)
        EXPECT_EQ(selection.isRowSelected(row), isSelected) << row.row() << " of " << row.parent().row();
    EXPECT_EQ(selectedName(), QStringLiteral("group a0"));

    // A collapsed group's files are left out, whether selected as ranges (a's now) or with their group (b's).
    const struct {
        QByteArray expanded;
        QModelIndexList shown;
    } cases[] = {
        {a, {groupIndex(a), fileIndex(a, 0), fileIndex(a, 2), groupIndex(b)}},
        {b, {groupIndex(a), groupIndex(b), fileIndex(b, 0), fileIndex(b, 1)}},
    };
    for (const auto& c : cases) {
        const QModelIndex expanded = groupIndex(c.expanded);
        EXPECT_EQ(selection.selectedRowsInOrder([&](const QModelIndex& group) { return group == expanded; }), c.shown)
            << c.expanded.toHex().toStdString();
    }

    // A reload selects the one remembered row.
    controller.loadFilesFromDatabase();
    EXPECT_FALSE(selection.isRowSelected(fileIndex(b, 1)));
    EXPECT_EQ(selection.selectedRowsInOrder(everyGroupExpanded).size(), 1);
}

// A collapsed group's files stay selected, out of sight: the selected item (the details, reveal) is always
// a row the list shows, the current row first.
TEST_F(ResultsControllerTest, theSelectedItemIsARowTheListShows)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 3);
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    ResultsSelectionModel& selection = *controller.selectionModel();
    const SelectionDetails& details = *controller.details();
    controller.setRevealer([](const QString&) {});
    const auto selectRows = [&](const QModelIndexList& rows, const QModelIndex& current) {
        selection.clearSelection();
        for (const QModelIndex& row : rows)
            selection.select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selection.setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    };
    const struct {
        const char* selection;
        std::function<void()> select;
        QString whileCollapsed;
        QString whileExpanded;
    } cases[] = {
        {"a file", [&] { selectRows({fileIndex(a, 1)}, fileIndex(a, 1)); }, QString(), "/loc/a1"},
        {"a file current, a group below", [&] { selectRows({groupIndex(b), fileIndex(a, 1)}, fileIndex(a, 1)); },
         "group b0", "/loc/a1"},
        {"a file current, a file above", [&] { selectRows({fileIndex(a, 2), fileIndex(b, 1)}, fileIndex(b, 1)); },
         "/loc/b1", "/loc/b1"},
        {"two files, neither current", [&] { selectRows({fileIndex(a, 1), fileIndex(b, 0)}, groupIndex(b)); },
         "/loc/b0", "/loc/a1"},
        {"every row, a file current", [&] {
             selection.setCurrentIndex(fileIndex(a, 1), QItemSelectionModel::NoUpdate);
             selection.selectAll({0, 1});
         }, "group a0", "/loc/a1"},
    };
    for (const auto& c : cases) {
        expand(a);
        expand(b);
        c.select();
        for (const auto& [step, isExpanded, shown] :
             {std::tuple("collapsed", false, c.whileCollapsed), std::tuple("expanded again", true, c.whileExpanded)}) {
            if (isExpanded)
                expand(a);
            else
                controller.itemDidCollapse(groupIndex(a));
            EXPECT_EQ(selectedName(), shown) << c.selection << ", " << step;
            QCoreApplication::processEvents();
            const ResultsController::Item item = controller.selectedItem();
            EXPECT_EQ(details.selectedFile(), item.file) << c.selection << ", " << step;
            EXPECT_EQ(details.selectedGroup(), item.file ? nullptr : item.group) << c.selection << ", " << step;
            EXPECT_EQ(controller.revealInFinder(), shown.startsWith(QLatin1Char('/'))) << c.selection << ", " << step;
        }
    }
}

// Expand All and Collapse All tell of each group: the details follow once, not once per group.
TEST_F(ResultsControllerTest, expandingOrCollapsingManyGroupsRefreshesTheDetailsOnce)
{
    QList<QByteArray> digests;
    for (const QString& prefix : {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")})
        digests.append(addGroup(prefix, 2));
    controller.loadFilesFromDatabase();
    // As the view does: every group row, one by one.
    const auto tellOfEachGroup = [&](void (ResultsController::*notice)(const QModelIndex&)) {
        for (const QByteArray& digest : digests)
            (controller.*notice)(groupIndex(digest));
    };
    QObject::connect(&controller, &ResultsController::expandAllRequested, [&] { tellOfEachGroup(&ResultsController::itemDidExpand); });
    QObject::connect(&controller, &ResultsController::collapseAllRequested, [&] { tellOfEachGroup(&ResultsController::itemDidCollapse); });
    controller.expandAll();
    controller.selectItemInGroup(group(digests[1]), 1);
    QCoreApplication::processEvents();
    QSignalSpy refreshes(controller.details(), &SelectionDetails::selectionChanged);
    QSignalSpy shownRows(&controller, &ResultsController::shownRowsChanged);
    const struct {
        const char* step;
        std::function<void()> change;
        bool isFileShown;
    } steps[] = {
        {"collapse all", [&] { controller.collapseAll(); }, false},
        {"expand all", [&] { controller.expandAll(); }, true},
        {"collapse all again", [&] { controller.collapseAll(); }, false},
    };
    for (const auto& step : steps) {
        refreshes.clear();
        shownRows.clear();
        step.change();
        EXPECT_EQ(refreshes.count(), 0) << step.step << ": not before the list is done";
        QCoreApplication::processEvents();
        EXPECT_EQ(refreshes.count(), 1) << step.step;
        EXPECT_EQ(shownRows.count(), 1) << step.step;
        EXPECT_EQ(controller.details()->isFileSelected(), step.isFileShown) << step.step;
    }
}

TEST_F(ResultsControllerTest, detailsDescribeTheSelectedFileOrGroup)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 3, 1536);
    controller.loadFilesFromDatabase();
    SelectionDetails& details = *controller.details();
    EXPECT_TRUE(details.selectedFileName().isNull());
    EXPECT_FALSE(details.preview().isNull()); // the placeholder

    controller.selectGroup(group(a));
    EXPECT_TRUE(details.isGroupSelected());
    EXPECT_EQ(details.selectedFileName(), QStringLiteral("a0"));
    EXPECT_EQ(details.selectedFileSize(), QStringLiteral("1.50 KB × 3 = 4.50 KB"));
    EXPECT_EQ(details.selectedFileDate(), QStringLiteral("(Multiple files)"));

    expand(a);
    controller.selectItemInGroup(group(a), 1);
    EXPECT_TRUE(details.isFileSelected());
    EXPECT_EQ(details.selectedFileName(), QStringLiteral("/loc/a1"));
    EXPECT_EQ(details.selectedFileSize(), QStringLiteral("1.50 KB"));
    EXPECT_TRUE(details.selectedFileDate().contains(QStringLiteral("2020")));

    EXPECT_TRUE(details.preferOldFiles());
    details.setPreferNewFiles(true);
    EXPECT_EQ(PairsiftDefaults::preferFiles(), 1);
    EXPECT_FALSE(details.preferOldFiles());
}

TEST_F(ResultsControllerTest, aPictureThatArrivesAfterTheSelectionMovedIsNotShown)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 2);
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    SelectionDetails& details = *controller.details();
    std::atomic<bool> isReleased{false};
    details.setThumbnailMaker([&](FileItem& file) {
        while (!isReleased.load())
            std::this_thread::yield();
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(file.name().contains(QLatin1Char('a')) ? Qt::red : Qt::blue);
        file.setPreview(picture);
        return true;
    });
    QSignalSpy previews(&details, &SelectionDetails::previewChanged);
    controller.selectGroup(group(a));
    controller.selectGroup(group(b));
    const int shownBeforePictures = previews.count();
    isReleased = true;
    const FileItemPtr headA = group(a)->head();
    const FileItemPtr headB = group(b)->head();
    ASSERT_TRUE(test::waitUntil([&] { return !headA->preview().isNull() && previews.count() > shownBeforePictures; }));
    QCoreApplication::processEvents();
    // Only b's picture was announced and is shown; a's is kept by its file.
    EXPECT_EQ(previews.count(), shownBeforePictures + 1);
    EXPECT_EQ(details.preview().pixel(0, 0), QColor(Qt::blue).rgb());
    EXPECT_EQ(headA->preview().pixel(0, 0), QColor(Qt::red).rgb());
}

TEST_F(ResultsControllerTest, revealShowsOnlyAFile)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 2);
    controller.loadFilesFromDatabase();
    QStringList revealed;
    controller.setRevealer([&](const QString& path) { revealed.append(path); });
    EXPECT_FALSE(controller.revealInFinder());
    controller.selectGroup(group(a));
    EXPECT_FALSE(controller.revealInFinder());
    expand(a);
    controller.selectItemInGroup(group(a), 1);
    EXPECT_TRUE(controller.revealInFinder());
    EXPECT_EQ(revealed, QStringList{QStringLiteral("/loc/a1")});
}

TEST_F(ResultsControllerTest, quickLookTakesEachFileOnceAndAGroupAsItsKeptFile)
{
    const QByteArray a = addGroup(QStringLiteral("a"), 2);
    controller.loadFilesFromDatabase();
    const QList<FileItemPtr> files = controller.filesForRows({groupIndex(a), fileIndex(a, 0), fileIndex(a, 1)});
    EXPECT_EQ(files, (QList<FileItemPtr>{group(a)->files()[0], group(a)->files()[1]}));
}

} // namespace
} // namespace pairsift
