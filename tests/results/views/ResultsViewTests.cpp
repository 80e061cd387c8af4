#include "results/ResultsTestSupport.h"

#include "model/QuickLookImage.h"
#include "results/ResultsListModel.h"
#include "results/SelectionDetails.h"
#include "results/views/PreviewPictureView.h"
#include "results/views/PreviewWindow.h"
#include "results/views/ResultsView.h"
#include "results/views/SelectionDetailsView.h"
#include "settings/PairsiftDefaults.h"
#include "support/foundation/PairsiftColors.h"
#include "testkit/EventLoopWait.h"
#include "ui/Animations.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QStyleOptionViewItem>
#include <QTest>

#include <functional>
#include <tuple>

namespace pairsift {
namespace {

class ResultsViewTest : public test::ResultsFixture {
protected:
    void SetUp() override
    {
        Animations::setDuration(0);
        a = addGroup(QStringLiteral("a"), 3);
        controller.loadFilesFromDatabase();
        view.resize(900, 400);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        list().expand(groupIndex(a));
    }
    KeyForwardingOutlineView& list() { return *view.dupView(); }
    QList<bool> marks()
    {
        QList<bool> result;
        for (const FileItemPtr& file : group(a)->files())
            result.append(file->markedForRemoval());
        return result;
    }
    // Clicks the check box of a row as the user does.
    void clickBox(const QModelIndex& index, Qt::KeyboardModifiers modifiers)
    {
        QStyleOptionViewItem option;
        option.initFrom(&list());
        option.rect = list().visualRect(index);
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        const QRect box = list().style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &list());
        QTest::mouseClick(list().viewport(), Qt::LeftButton, modifiers, box.center());
    }
    QString previewed()
    {
        PreviewWindow* panel = view.sharedPreviewPanel();
        return panel && panel->currentPreviewItem() ? panel->currentPreviewItem()->name() : QString();
    }
    void selectRows(const QModelIndexList& rows)
    {
        list().selectionModel()->clearSelection();
        for (const QModelIndex& row : rows)
            list().selectionModel()->select(row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    QByteArray a;
    ResultsView view{controller};
};

// The rows name no file on disk: the preview is made on its worker from the workspace icon, which the
// main thread draws for it.
TEST_F(ResultsViewTest, aFileThatIsNoPictureIsPreviewedByItsIconAtTheFullSize)
{
    const QImage placeholder = controller.details()->preview();
    list().setCurrentIndex(fileIndex(a, 1));
    ASSERT_TRUE(test::waitUntil([&] { return controller.details()->preview() != placeholder; }));
    EXPECT_EQ(controller.details()->preview().size(), QSize(96, 96));
    EXPECT_EQ(group(a)->files()[1]->preview(), controller.details()->preview());
}

// With a GUI application a file that is no picture has its workspace icon; the empty path names no file.
TEST_F(ResultsViewTest, aPreviewIsTheIconOfAPathThatNamesAFile)
{
    const struct {
        QString path;
        QSize expected;
    } cases[] = {
        {QStringLiteral("/loc/a1"), {64, 64}},
        {QStringLiteral("notes.txt"), {64, 64}}, // relative: still a file's name
        {QStringLiteral(""), {0, 0}},
        {QString(), {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(imageWithPreviewOfFileAtPath(c.path, {64, 64}, true).size(), c.expected) << c.path.toStdString();
}

TEST_F(ResultsViewTest, afterSelectAllACtrlClickOnAFileDeselectsOnlyThatFile)
{
    list().selectAll();
    const QRect second = list().visualRect(fileIndex(a, 1, ResultsListModel::FileSizeColumn));
    QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::ControlModifier, second.center());
    const QList<std::pair<QModelIndex, bool>> rows = {
        {groupIndex(a), true}, {fileIndex(a, 0), true}, {fileIndex(a, 1), false}, {fileIndex(a, 2), true}};
    for (const auto& [row, isSelected] : rows)
        EXPECT_EQ(controller.selectionModel()->isRowSelected(row), isSelected) << row.row();
}

TEST_F(ResultsViewTest, boxClicksMarkAndAnOptionClickKeepsOnlyTheClickedFile)
{
    clickBox(fileIndex(a, 2), Qt::NoModifier);
    EXPECT_EQ(marks(), (QList<bool>{false, false, true}));
    clickBox(fileIndex(a, 1), Qt::AltModifier);
    EXPECT_EQ(marks(), (QList<bool>{true, false, true}));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 2 files (200 B)"));
    clickBox(groupIndex(a), Qt::NoModifier); // from mixed: every file
    EXPECT_EQ(marks(), (QList<bool>{true, true, true}));
    EXPECT_EQ(controller.selectionInfoText(), QStringLiteral("Selected 0 files (0 B)"));
}

TEST_F(ResultsViewTest, previewFollowsTheArrowsWhileTheListKeepsTheKeyboard)
{
    controller.selectItemInGroup(group(a), 0);
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_Space);
    ASSERT_TRUE(view.isPreviewVisible());
    EXPECT_EQ(previewed(), QStringLiteral("/loc/a0"));
    EXPECT_EQ(QApplication::focusWidget(), &list());
    EXPECT_TRUE(view.sharedPreviewPanel()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(previewed(), QStringLiteral("/loc/a1"));
    // A key pressed in the preview reaches the list.
    QTest::keyClick(view.sharedPreviewPanel(), Qt::Key_Down);
    EXPECT_EQ(list().currentIndex(), fileIndex(a, 2));
    EXPECT_EQ(previewed(), QStringLiteral("/loc/a2"));
    QTest::keyClick(view.sharedPreviewPanel(), Qt::Key_Space);
    EXPECT_FALSE(view.isPreviewVisible());
}

TEST_F(ResultsViewTest, aPictureFillsThePreviewFromItsFirstFrameNeverAboveItsOwnSizeAndEscCloses)
{
    const QByteArray digest(20, 'p');
    const QSize pictureSize(900, 700);
    QImage image(pictureSize, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const QString path = tree.path(QStringLiteral("beach.png"));
    ASSERT_TRUE(image.save(path));
    for (const QString& copy : {path, tree.path(QStringLiteral("beach copy.png"))}) {
        ASSERT_TRUE(store->addFile(copy, 100, QDateTime(), QStringLiteral("directory"), tree.root()));
        ASSERT_TRUE(store->updateFile(copy, digest));
    }
    controller.loadFilesFromDatabase();
    list().expand(groupIndex(digest));
    controller.selectItemInGroup(group(digest), 0);
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_Space);
    PreviewWindow* panel = view.sharedPreviewPanel();
    ASSERT_TRUE(panel && view.isPreviewVisible());
    PreviewPictureView* picture = panel->pictureView();
    ASSERT_TRUE(test::waitUntil([&] { return !picture->picture().isNull(); }));

    // Smaller and larger than the picture: it fills the room one way, keeps its shape, never grows past itself.
    for (const QSize& inside : {panel->size(), QSize(300, 500), QSize(1400, 1000)}) {
        panel->resize(inside);
        QCoreApplication::processEvents();
        const QRect shown = picture->pictureRect();
        EXPECT_TRUE(picture->rect().contains(shown));
        EXPECT_EQ(shown.center(), picture->rect().center());
        EXPECT_TRUE(shown.width() == std::min(picture->width(), pictureSize.width())
                    || shown.height() == std::min(picture->height(), pictureSize.height()));
        EXPECT_NEAR(double(shown.width()) / shown.height(), 900.0 / 700.0, 0.01);
        EXPECT_LE(shown.width(), pictureSize.width());
    }
    EXPECT_EQ(picture->pictureRect().size(), pictureSize);

    QTest::keyClick(&list(), Qt::Key_Escape);
    EXPECT_FALSE(view.isPreviewVisible());
}

TEST_F(ResultsViewTest, thePreviewStepsThroughEverySelectedFileAndIsControlledOnlyWhileOpen)
{
    // Chosen while the preview was closed: opening it from the menu still shows this selection.
    controller.selectItemInGroup(group(a), 0);
    view.launchQuickLook();
    view.launchQuickLook();
    selectRows({fileIndex(a, 2), groupIndex(a), fileIndex(a, 1)});
    EXPECT_EQ(view.previewPanel(), nullptr);
    view.togglePreviewPanel();
    PreviewWindow* panel = view.sharedPreviewPanel();
    ASSERT_TRUE(view.isPreviewVisible());
    EXPECT_EQ(view.previewPanel(), panel);
    // The group stands for its kept file, which its own row already brings: three distinct files.
    EXPECT_EQ(panel->numberOfItems(), 3);
    QStringList stepped{previewed()};
    for (QToolButton* button : {panel->nextButton(), panel->nextButton(), panel->nextButton(), panel->previousButton()}) {
        QTest::mouseClick(button, Qt::LeftButton);
        stepped.append(previewed());
    }
    EXPECT_EQ(stepped, (QStringList{"/loc/a0", "/loc/a1", "/loc/a2", "/loc/a0", "/loc/a2"}));

    // A reload keeps the file on show while it is still among the items.
    selectRows({fileIndex(a, 2)});
    EXPECT_EQ(panel->numberOfItems(), 1);
    EXPECT_EQ(previewed(), QStringLiteral("/loc/a2"));
    view.togglePreviewPanel();
    EXPECT_FALSE(view.isPreviewVisible());
    EXPECT_EQ(view.previewPanel(), nullptr);
}

// A file of a collapsed group stays selected, out of sight: the preview leaves it out until it is shown.
TEST_F(ResultsViewTest, thePreviewTakesOnlyTheSelectedRowsTheListShows)
{
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    ASSERT_TRUE(list().isExpanded(groupIndex(a)));
    ASSERT_FALSE(list().isExpanded(groupIndex(b)));
    const auto collected = [this] {
        QStringList names;
        for (const FileItemPtr& file : view.selectedItemsForQuickLook())
            names.append(file->name());
        return names;
    };
    const struct {
        const char* selection;
        std::function<void()> select;
        QStringList whileExpanded;
        QStringList whileCollapsed;
    } cases[] = {
        {"a file", [&] { controller.selectItemInGroup(group(a), 1); }, {"/loc/a1"}, {}},
        // Group a stands for its kept file once its own files are out of sight; b is collapsed throughout.
        {"every row", [&] { list().selectAll(); }, {"/loc/a0", "/loc/a1", "/loc/a2", "/loc/b0"}, {"/loc/a0", "/loc/b0"}},
    };
    for (const auto& c : cases) {
        list().expand(groupIndex(a));
        c.select();
        list().collapse(groupIndex(a));
        QCoreApplication::processEvents();
        view.launchQuickLook();
        ASSERT_TRUE(view.isPreviewVisible());
        EXPECT_EQ(collected(), c.whileCollapsed) << c.selection << ", collapsed, then opened";
        EXPECT_EQ(view.sharedPreviewPanel()->numberOfItems(), c.whileCollapsed.size()) << c.selection;
        // While the preview is open it follows the rows that appear and disappear.
        const struct {
            const char* step;
            std::function<void()> change;
            const QStringList& shown;
        } steps[] = {
            {"a expanded", [&] { list().expand(groupIndex(a)); }, c.whileExpanded},
            {"all collapsed", [&] { controller.collapseAll(); }, c.whileCollapsed},
            {"all expanded", [&] { controller.expandAll(); }, c.whileExpanded},
            {"all collapsed again", [&] { controller.collapseAll(); }, c.whileCollapsed},
        };
        for (const auto& step : steps) {
            step.change();
            QCoreApplication::processEvents();
            EXPECT_EQ(collected(), step.shown) << c.selection << ", " << step.step << " while open";
        }
        view.launchQuickLook();
    }
}

// The details show a selected row the list shows: a file of a collapsed group is no row.
TEST_F(ResultsViewTest, theDetailsShowOnlyASelectedRowTheListShows)
{
    const QByteArray b = addGroup(QStringLiteral("b"), 2);
    controller.loadFilesFromDatabase();
    const auto clickRow = [this](const QModelIndex& row) {
        const QRect cell = list().visualRect(row.siblingAtColumn(ResultsListModel::FileSizeColumn));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    };
    const struct {
        const char* selection;
        std::function<void()> select;
        QString whileCollapsed;
        QString whileExpanded;
    } cases[] = {
        {"a file", [&] { clickRow(fileIndex(a, 1)); }, QString(), "/loc/a1"},
        {"every row", [&] { clickRow(fileIndex(a, 1)); list().selectAll(); }, "a0", "/loc/a1"},
        // Its files were not shown, so not selected: they stay out once shown.
        {"every row, a collapsed", [&] {
             clickRow(fileIndex(a, 1));
             list().collapse(groupIndex(a));
             list().selectAll();
         }, "a0", "a0"},
    };
    for (const auto& c : cases) {
        list().expand(groupIndex(a));
        list().expand(groupIndex(b));
        c.select();
        for (const auto& [step, isExpanded, shown] :
             {std::tuple("collapsed", false, c.whileCollapsed), std::tuple("expanded again", true, c.whileExpanded)}) {
            isExpanded ? list().expand(groupIndex(a)) : list().collapse(groupIndex(a));
            QCoreApplication::processEvents();
            EXPECT_EQ(view.detailsView()->nameLabel()->text(), shown) << c.selection << ", " << step;
            for (const QByteArray& digest : {a, b})
                EXPECT_EQ(controller.isGroupExpanded(group(digest)), list().isExpanded(groupIndex(digest))) << step;
        }
    }
}

TEST_F(ResultsViewTest, zoomFramesAreTheIconColumnOfAShownRowOnScreen)
{
    // Listed above a: b, then c, both collapsed.
    const QByteArray b = addGroup(QStringLiteral("b"), 40);
    addGroup(QStringLiteral("c"), 40, 50);
    controller.loadFilesFromDatabase();
    controller.selectItemInGroup(group(a), 1);
    view.quickLookSelectedItems();
    PreviewWindow& panel = *new PreviewWindow(view, controller.icons(), &view);
    const FileItemPtr shown = group(a)->fileAtIndex(1);
    const QRect frame = view.sourceFrameOnScreenForPreviewItem(panel, shown);
    const QModelIndex nameCell = fileIndex(a, 1, ResultsListModel::NameColumn);
    ASSERT_FALSE(frame.isNull());
    EXPECT_EQ(frame.size(), QSize(16, list().visualRect(nameCell).height()));
    EXPECT_EQ(list().indexAt(list().viewport()->mapFromGlobal(frame.topLeft())), nameCell);
    EXPECT_EQ(view.frameForURL(panel, QUrl::fromLocalFile(QStringLiteral("/loc/a1"))), frame);

    // Rows not shown: a file of a collapsed group, a file pushed below the view, nothing at the path.
    const FileItemPtr folded = group(b)->fileAtIndex(0);
    EXPECT_EQ(view.visibleItemWithFileInfo(folded), nullptr);
    EXPECT_TRUE(view.frameForURL(panel, QUrl::fromLocalFile(QStringLiteral("/loc/b0"))).isNull());
    list().expand(groupIndex(b));
    EXPECT_EQ(view.visibleItemWithFileInfo(shown), nullptr);
    EXPECT_TRUE(view.sourceFrameOnScreenForPreviewItem(panel, shown).isNull());
    list().scrollToBottom();
    EXPECT_EQ(view.visibleItemWithFileInfo(shown), shown);
    selectRows({});
    view.quickLookSelectedItems();
    EXPECT_TRUE(view.sourceFrameOnScreenForPreviewItem(panel, shown).isNull()) << "nothing collected, no zoom";
}

TEST_F(ResultsViewTest, thePreviewOpensWhollyOnTheMainWindowsScreen)
{
    const QRect screen = view.screen()->availableGeometry();
    controller.selectItemInGroup(group(a), 0);
    view.move(screen.right() - 200, screen.bottom() - 150);
    view.launchQuickLook();
    PreviewWindow* panel = view.sharedPreviewPanel();
    EXPECT_TRUE(screen.contains(panel->frameGeometry())) << "opened beside a window near the corner";

    // A frame the user left where no screen is now is not restored; one on a screen is.
    const struct {
        QPoint left;
        bool isKept;
    } cases[] = {{{screen.left() - 4000, screen.top() + 10}, false}, {screen.topLeft() + QPoint(5, 7), true}};
    for (const auto& testCase : cases) {
        panel->move(testCase.left);
        view.launchQuickLook();
        view.launchQuickLook();
        EXPECT_TRUE(screen.contains(panel->frameGeometry()));
        EXPECT_EQ(panel->frameGeometry().topLeft() == testCase.left, testCase.isKept);
    }
}

TEST_F(ResultsViewTest, onlyColumnsWithAnOrderTakeHeaderClicks)
{
    QHeaderView* header = list().header();
    const auto clickSection = [header](int column) {
        const int middle = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(middle, header->height() / 2));
    };
    QList<int> pressed;
    QObject::connect(header, &QHeaderView::sectionPressed, [&pressed](int column) { pressed.append(column); });
    for (int column : {int(ResultsListModel::DateCreatedColumn), int(ResultsListModel::MarkedForRemovalColumn),
                       int(ResultsListModel::FileSizeColumn)})
        clickSection(column);
    EXPECT_EQ(pressed, QList<int>{ResultsListModel::FileSizeColumn}) << "the others do not even look pressed";
    EXPECT_EQ(header->sortIndicatorSection(), ResultsListModel::FileSizeColumn);
    EXPECT_EQ(PairsiftDefaults::sortKey(), QStringLiteral("fileSize"));
}

TEST_F(ResultsViewTest, detailsFollowTheHighlightWhenTheKeepChoiceChanges)
{
    controller.selectItemInGroup(group(a), 0);
    const QModelIndex headName = fileIndex(a, 0, ResultsListModel::NameColumn);
    EXPECT_EQ(headName.data().toString(), QStringLiteral("/loc/a0"));
    EXPECT_EQ(headName.data(Qt::ForegroundRole), QVariant(topItemColor()));

    QTest::mouseClick(view.detailsView()->preferNewFilesButton(), Qt::LeftButton);
    EXPECT_EQ(PairsiftDefaults::preferFiles(), 1);
    EXPECT_TRUE(view.detailsView()->preferNewFilesButton()->isChecked());
    // The newest file is kept now; the highlight stayed on a0, now last, and the details show it.
    EXPECT_EQ(fileIndex(a, 0, ResultsListModel::NameColumn).data().toString(), QStringLiteral("/loc/a2"));
    EXPECT_EQ(list().currentIndex().row(), 2);
    EXPECT_TRUE(list().selectionModel()->isRowSelected(2, groupIndex(a)));
    EXPECT_EQ(view.detailsView()->nameLabel()->text(), QStringLiteral("/loc/a0"));
    EXPECT_TRUE(list().isExpanded(groupIndex(a)));
}

} // namespace
} // namespace pairsift
