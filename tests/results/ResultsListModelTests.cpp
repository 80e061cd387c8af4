#include "ResultsTestSupport.h"

#include "results/ResultsListModel.h"
#include "support/foundation/ImageAndTextCellData.h"
#include "support/foundation/PairsiftColors.h"

#include <QColor>

namespace pairsift {
namespace {

using Model = ResultsListModel;

class ResultsListModelTest : public test::ResultsFixture {
protected:
    void SetUp() override
    {
        a = addGroup(QStringLiteral("a"), 3, 100);
        b = addGroup(QStringLiteral("b"), 2, 2048);
        controller.loadFilesFromDatabase();
    }
    Model& model() { return *controller.model(); }
    QList<bool> marks(const QByteArray& digest)
    {
        QList<bool> result;
        for (const FileItemPtr& file : group(digest)->files())
            result.append(file->markedForRemoval());
        return result;
    }
    void setMarks(const QByteArray& digest, const QList<bool>& values)
    {
        for (int index = 0; index < values.size(); ++index)
            group(digest)->files()[index]->setMarkedForRemoval(values[index]);
    }

    QByteArray a;
    QByteArray b;
};

TEST_F(ResultsListModelTest, rowsAreGroupsThenTheirFilesKeptFileFirst)
{
    // "total", descending by default: b (4 KB) before a (300 B).
    ASSERT_EQ(model().rowCount(), 2);
    EXPECT_EQ(model().rowForDigest(b), 0);
    EXPECT_EQ(model().rowCount(groupIndex(a)), 3);
    EXPECT_EQ(model().rowCount(fileIndex(a, 0)), 0);
    EXPECT_FALSE(model().hasChildren(fileIndex(a, 0)));
    EXPECT_EQ(model().parent(fileIndex(a, 2)), groupIndex(a));
    EXPECT_FALSE(model().index(3, 0, groupIndex(a)).isValid());
    EXPECT_EQ(model().fileForIndex(fileIndex(a, 0))->name(), QStringLiteral("/loc/a0"));
}

TEST_F(ResultsListModelTest, columnsShowTheGroupAndFileTexts)
{
    const auto text = [&](const QModelIndex& index) { return index.data().toString(); };
    EXPECT_EQ(text(groupIndex(a, Model::NameColumn)), QStringLiteral("a0"));
    EXPECT_EQ(groupIndex(a, Model::NameColumn).data().value<ImageAndTextCellData>().text, QStringLiteral("a0"));
    EXPECT_EQ(text(groupIndex(b, Model::FileSizeColumn)), QStringLiteral("2 × 2.00 KB"));
    EXPECT_EQ(text(groupIndex(b, Model::TotalSizeColumn)), QStringLiteral("4.00 KB"));
    EXPECT_EQ(text(groupIndex(b, Model::DateCreatedColumn)), QStringLiteral(""));
    EXPECT_EQ(text(fileIndex(a, 1, Model::NameColumn)), QStringLiteral("/loc/a1"));
    EXPECT_EQ(text(fileIndex(a, 1, Model::FileSizeColumn)), QStringLiteral("100 B"));
    EXPECT_EQ(text(fileIndex(a, 1, Model::TotalSizeColumn)), QStringLiteral(""));
    EXPECT_FALSE(text(fileIndex(a, 1, Model::DateCreatedColumn)).isEmpty());
    EXPECT_EQ(Model::columnIdentifier(Model::MarkedForRemovalColumn), QStringLiteral("markedForRemoval"));
    EXPECT_FALSE(model().headerData(Model::MarkedForRemovalColumn, Qt::Horizontal, Qt::DecorationRole).isNull());
}

TEST_F(ResultsListModelTest, checkBoxesAndColoursFollowTheMarks)
{
    struct Case {
        QList<bool> marks;
        Qt::CheckState groupBox;
        QVariant groupName;       // colour plain and highlighted
        QVariant headName;        // colour when not highlighted
        QVariant secondName;
    };
    const QVariant none;
    const QVariant grey = ignoredTextColor();
    const QVariant green = topItemColor();
    const std::vector<Case> cases{
        {{false, false, false}, Qt::Unchecked, none, green, none},
        {{false, true, false}, Qt::PartiallyChecked, none, green, none},
        {{true, true, true}, Qt::Checked, grey, grey, grey},
    };
    for (const Case& c : cases) {
        setMarks(a, c.marks);
        EXPECT_EQ(groupIndex(a).data(Qt::CheckStateRole).toInt(), c.groupBox);
        EXPECT_EQ(fileIndex(a, 1).data(Qt::CheckStateRole).toInt(), c.marks[1] ? Qt::Checked : Qt::Unchecked);
        const QModelIndex name = groupIndex(a, Model::NameColumn);
        EXPECT_EQ(name.data(Qt::ForegroundRole), c.groupName);
        EXPECT_EQ(name.data(Model::HighlightedForegroundRole), c.groupName);
        EXPECT_EQ(fileIndex(a, 0, Model::NameColumn).data(Qt::ForegroundRole), c.headName);
        EXPECT_EQ(fileIndex(a, 1, Model::NameColumn).data(Qt::ForegroundRole), c.secondName);
        // A highlighted file row takes the highlight's colour.
        EXPECT_EQ(fileIndex(a, 0, Model::NameColumn).data(Model::HighlightedForegroundRole), none);
    }
    // A group's size column is grey unless highlighted.
    EXPECT_EQ(groupIndex(b, Model::FileSizeColumn).data(Qt::ForegroundRole), grey);
    EXPECT_EQ(groupIndex(b, Model::FileSizeColumn).data(Model::HighlightedForegroundRole), none);
    EXPECT_EQ(topItemColor(), QColor::fromRgb(0x0E, 0x81, 0x22));
}

TEST_F(ResultsListModelTest, optionClickLeavesOnlyTheClickedFileUnmarked)
{
    const std::vector<QList<bool>> before{{false, false, false}, {true, true, true}, {true, false, true}};
    for (const QList<bool>& prior : before) {
        for (const bool value : {true, false}) {
            setMarks(a, prior);
            ASSERT_TRUE(model().setMarked(fileIndex(a, 1), value ? Qt::Checked : Qt::Unchecked, true));
            EXPECT_EQ(marks(a), (QList<bool>{true, false, true}));
        }
    }
}

TEST_F(ResultsListModelTest, boxEditsSetAFileOrTheWholeGroup)
{
    struct Case {
        QList<bool> before;
        QModelIndex index;
        QVariant value;
        QList<bool> after;
    };
    const QModelIndex box = groupIndex(a);
    // Qt's check box goes from off and from mixed to Checked, from on to Unchecked; mixed counts as marked.
    const std::vector<Case> cases{
        {{false, false, false}, box, int(Qt::Checked), {true, true, true}},
        {{false, true, false}, box, int(Qt::Checked), {true, true, true}},
        {{true, true, true}, box, int(Qt::Unchecked), {false, false, false}},
        {{false, false, false}, box, int(Qt::PartiallyChecked), {true, true, true}},
        {{true, true, true}, box, QStringLiteral("2"), {false, false, false}},
        {{false, false, false}, fileIndex(a, 2), int(Qt::Checked), {false, false, true}},
        {{true, true, true}, fileIndex(a, 0), int(Qt::Unchecked), {false, true, true}},
    };
    for (const Case& c : cases) {
        setMarks(a, c.before);
        EXPECT_TRUE(model().setData(c.index, c.value, Qt::CheckStateRole));
        EXPECT_EQ(marks(a), c.after);
    }
    setMarks(a, {false, false, false});
    EXPECT_FALSE(model().setData(groupIndex(a, Model::NameColumn), int(Qt::Checked), Qt::CheckStateRole));
    EXPECT_FALSE(model().setData(box, int(Qt::Checked), Qt::EditRole));
    EXPECT_EQ(marks(a), (QList<bool>{false, false, false}));
}

} // namespace
} // namespace pairsift
