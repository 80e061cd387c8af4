#include "support/foundation/ImageAndTextCellData.h"
#include "ui/ImageAndTextCell.h"
#include "ui/KeyForwardingOutlineView.h"

#include <QApplication>
#include <QDataStream>
#include <QKeyEvent>
#include <QPixmap>
#include <QStandardItemModel>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

QIcon squareIcon(Qt::GlobalColor color)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

TEST(ImageAndTextCell, geometryPutsTheIconThreePointsInAndAPointAboveTheCentre)
{
    struct Case {
        QRect frame;
        QSize icon;
        QRect expected;
    };
    const std::vector<Case> cases{
        {{10, 40, 200, 17}, {16, 16}, {13, 40, 16, 16}},
        {{10, 40, 200, 20}, {16, 16}, {13, 41, 16, 16}},
        {{0, 0, 100, 30}, {16, 16}, {3, 6, 16, 16}},
        {{0, 0, 100, 20}, {}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ImageAndTextCell::imageFrameForCellFrame(c.frame, c.icon), c.expected) << c.frame.height();
    EXPECT_EQ(ImageAndTextCell::textFrameForCellFrame({10, 0, 200, 20}, 16).left(), 29);
    EXPECT_EQ(ImageAndTextCell::textFrameForCellFrame({10, 0, 200, 20}, 0).left(), 13);
}

class RecordingCellDelegate : public ImageAndTextCellDelegate {
public:
    std::optional<QIcon> icon;
    std::optional<QIcon> iconForCell(const ImageAndTextCell&, const QVariant&) override { return icon; }
};

TEST(ImageAndTextCell, asksItsDelegateElseReadsItsKeyPaths)
{
    ImageAndTextCellData::registerConversion();
    QStandardItemModel model(1, 1);
    const QIcon red = squareIcon(Qt::red);
    model.setData(model.index(0, 0), QVariant::fromValue(ImageAndTextCellData{QStringLiteral("photo.jpg"), red}));
    const QModelIndex index = model.index(0, 0);
    ImageAndTextCell cell;

    // Alone: the display value is the data element, no icon, the inherited title (the record's text).
    EXPECT_EQ(cell.delegate(), &cell);
    EXPECT_TRUE(cell.getImage(index).isNull());
    EXPECT_TRUE(cell.getText(index).isNull());
    EXPECT_EQ(cell.title(index), QStringLiteral("photo.jpg"));

    cell.setIconKeyPath(QStringLiteral("image"));
    cell.setTextKeyPath(QStringLiteral("text"));
    EXPECT_EQ(cell.getImage(index).cacheKey(), red.cacheKey());
    EXPECT_EQ(cell.getText(index), QStringLiteral("photo.jpg"));

    // A delegate that answers the icon decides it, even with no icon; one that does not leaves the key path.
    RecordingCellDelegate delegate;
    cell.setDelegate(&delegate);
    EXPECT_EQ(cell.getImage(index).cacheKey(), red.cacheKey());
    delegate.icon = QIcon();
    EXPECT_TRUE(cell.getImage(index).isNull());
    EXPECT_EQ(cell.getText(index), QStringLiteral("photo.jpg"));
}

TEST(ImageAndTextCell, archivesItsKeyPathsAndOnlyADelegateTheArchiveHolds)
{
    RecordingCellDelegate held;
    RecordingCellDelegate other;
    RecordingCellDelegate stranger;
    const ImageAndTextCell::ArchivedDelegates archived{&other, &held};
    const struct {
        ImageAndTextCellDelegate* delegate;
        QString iconKeyPath;
        bool comesBack;
    } cases[] = {{&held, QStringLiteral("image"), true}, {&other, QString(), true}, {nullptr, QStringLiteral("image"), false},
                 {&stranger, QStringLiteral("icon.small"), false}};
    for (const auto& testCase : cases) {
        ImageAndTextCell cell;
        cell.setIconKeyPath(testCase.iconKeyPath);
        cell.setTextKeyPath(QStringLiteral("text"));
        cell.setDelegate(testCase.delegate);
        QByteArray archive;
        QDataStream out(&archive, QIODevice::WriteOnly);
        cell.encodeWithCoder(out, archived);

        ImageAndTextCell decoded;
        decoded.setDelegate(&held);
        QDataStream in(archive);
        ASSERT_TRUE(decoded.initWithCoder(in, archived));
        EXPECT_EQ(decoded.iconKeyPath(), testCase.iconKeyPath);
        EXPECT_EQ(decoded.iconKeyPath().isNull(), testCase.iconKeyPath.isNull());
        EXPECT_EQ(decoded.textKeyPath(), QStringLiteral("text"));
        EXPECT_EQ(decoded.delegate(), testCase.comesBack ? testCase.delegate : &decoded);
    }
    ImageAndTextCell cell;
    cell.setIconKeyPath(QStringLiteral("image"));
    QDataStream damaged(QByteArray::fromHex("00000002"));
    EXPECT_FALSE(cell.initWithCoder(damaged));
    EXPECT_EQ(cell.iconKeyPath(), QStringLiteral("image"));
}

class RecordingKeyDelegate : public KeyForwardingDelegate {
public:
    bool answer = false;
    QStringList asked;
    bool userDidPressSpaceInOutlineView(KeyForwardingOutlineView*) override { return record(QStringLiteral("space")); }
    bool userDidPressDownInOutlineView(KeyForwardingOutlineView*) override { return record(QStringLiteral("down")); }

private:
    bool record(const QString& key)
    {
        asked.append(key);
        return answer;
    }
};

class KeyForwardingOutlineViewTest : public testing::Test {
protected:
    KeyForwardingOutlineViewTest() : model(6, 1)
    {
        view.setModel(&model);
        view.setKeyDelegate(&delegate);
        view.setCurrentIndex(model.index(1, 0));
    }
    void press(Qt::Key key, const QString& text = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&view, &event);
    }

    QStandardItemModel model;
    KeyForwardingOutlineView view;
    RecordingKeyDelegate delegate;
};

TEST_F(KeyForwardingOutlineViewTest, offersSpaceAndArrowsToTheDelegateFirst)
{
    delegate.answer = true;
    press(Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 1); // handled: the view did not move
    delegate.answer = false;
    press(Qt::Key_Down);
    EXPECT_EQ(view.currentIndex().row(), 2);
    press(Qt::Key_Up); // not implemented: the view's own handling
    EXPECT_EQ(view.currentIndex().row(), 1);
    press(Qt::Key_Space, QStringLiteral(" "));
    press(Qt::Key_Return, QStringLiteral("\r"));
    press(Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(delegate.asked, (QStringList{QStringLiteral("down"), QStringLiteral("down"), QStringLiteral("space")}));
}

TEST_F(KeyForwardingOutlineViewTest, selectedItemsAreInRowOrder)
{
    EXPECT_EQ(view.selectedItems().size(), 1);
    view.selectionModel()->clearSelection();
    EXPECT_TRUE(view.selectedItems().isEmpty());
    view.selectionModel()->select(model.index(4, 0), QItemSelectionModel::Select);
    view.selectionModel()->select(model.index(1, 0), QItemSelectionModel::Select);
    EXPECT_EQ(view.selectedItems(), (QModelIndexList{model.index(1, 0), model.index(4, 0)}));
}

} // namespace
} // namespace pairsift
