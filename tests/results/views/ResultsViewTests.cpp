#include "results/ResultsTestSupport.h"

#include "results/ResultsListModel.h"
#include "results/views/PreviewWindow.h"
#include "results/views/ResultsView.h"
#include "results/views/SelectionDetailsView.h"
#include "settings/PairsiftDefaults.h"
#include "support/foundation/PairsiftColors.h"

#include <QApplication>
#include <QLabel>
#include <QRadioButton>
#include <QStyleOptionViewItem>
#include <QTest>

namespace pairsift {
namespace {

class ResultsViewTest : public test::ResultsFixture {
protected:
    void SetUp() override
    {
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
    QString firstPreviewed() { return view.previewPanel()->items().value(0) ? view.previewPanel()->items()[0]->name() : QString(); }

    QByteArray a;
    ResultsView view{controller};
};

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
    EXPECT_EQ(firstPreviewed(), QStringLiteral("/loc/a0"));
    EXPECT_EQ(QApplication::focusWidget(), &list());
    EXPECT_TRUE(view.previewPanel()->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));

    QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(firstPreviewed(), QStringLiteral("/loc/a1"));
    // A key pressed in the preview reaches the list.
    QTest::keyClick(view.previewPanel(), Qt::Key_Down);
    EXPECT_EQ(list().currentIndex(), fileIndex(a, 2));
    EXPECT_EQ(firstPreviewed(), QStringLiteral("/loc/a2"));
    QTest::keyClick(view.previewPanel(), Qt::Key_Space);
    EXPECT_FALSE(view.isPreviewVisible());
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
