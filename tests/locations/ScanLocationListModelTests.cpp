#include "locations/ScanLocationListModel.h"

#include <QPersistentModelIndex>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

LocationItemPtr location(const char* path)
{
    return LocationItem::withPath(QString::fromUtf8(path));
}

QStringList shownPaths(const ScanLocationListModel& model)
{
    QStringList paths;
    for (int row = 0; row < model.rowCount(); ++row)
        paths.append(model.index(row).data().toString());
    return paths;
}

TEST(ScanLocationListModel, reorderAcceptsOnlyPermutations)
{
    ScanLocationListModel model;
    model.setLocations({location("/a"), location("/b"), location("/c")});
    const QList<int> rejected[] = {{0, 1}, {0, 1, 1}, {0, 1, 3}, {-1, 0, 1}, {0, 1, 2, 3}};
    for (const QList<int>& order : rejected) {
        EXPECT_FALSE(model.reorder(order)) << order.size();
        EXPECT_EQ(shownPaths(model), (QStringList{"/a", "/b", "/c"}));
    }

    const QPersistentModelIndex first = model.index(0);
    EXPECT_TRUE(model.reorder({2, 0, 1}));
    EXPECT_EQ(shownPaths(model), (QStringList{"/c", "/a", "/b"}));
    EXPECT_EQ(first.row(), 1);
}

TEST(ScanLocationListModel, removesOnlyRowsThatExist)
{
    ScanLocationListModel model;
    model.setLocations({location("/a"), nullptr, location("/b"), location("/c")});
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.removeLocations({2, -1, 0, 7, 2}), 2);
    EXPECT_EQ(shownPaths(model), QStringList{"/b"});
    EXPECT_EQ(model.appendLocation(nullptr), -1);
    EXPECT_FALSE(model.location(1));
}

TEST(ScanLocationListModel, locationListedTwiceRefreshesBothRowsUntilGone)
{
    ScanLocationListModel model;
    const LocationItemPtr twice = location("/a");
    model.setLocations({twice, location("/b")});
    model.appendLocation(twice);
    QList<int> changedRows;
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                     [&changedRows](const QModelIndex& first) { changedRows.append(first.row()); });

    twice->setStatus(LocationItem::UnreadableStatus);
    EXPECT_EQ(changedRows, (QList<int>{0, 2}));

    model.removeLocations({0});
    twice->setStatus(0);
    EXPECT_EQ(changedRows, (QList<int>{0, 2, 1}));

    model.removeLocations({1});
    twice->setURL(QUrl::fromLocalFile(QStringLiteral("/elsewhere")));
    EXPECT_EQ(changedRows, (QList<int>{0, 2, 1}));
}

} // namespace
} // namespace pairsift
