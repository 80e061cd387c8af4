#include "locations/views/ScanLocationTableView.h"

#include "locations/ScanLocationTableViewController.h"
#include "ui/ImageAndTextCell.h"

#include <QIcon>
#include <QItemSelectionModel>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(ScanLocationTableView, showsTheControllersListAndSharesItsSelection)
{
    ScanLocationTableViewController controller;
    for (const char* path : {"/a", "/b", "/c"})
        controller.addDirectory(QString::fromUtf8(path));
    ScanLocationTableView view(&controller);

    EXPECT_EQ(view.model(), controller.model());
    EXPECT_EQ(view.selectionModel(), controller.selectionModel());
    EXPECT_EQ(view.textElideMode(), Qt::ElideMiddle);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view.model()->index(1, 0).data().toString(), QStringLiteral("/b"));

    view.selectRow(2);
    EXPECT_EQ(controller.selectedRows(), QList<int>{2});
    EXPECT_TRUE(controller.moveSelectedSourcesUp());
    EXPECT_EQ(view.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view.selectionModel()->selectedRows().at(0).row(), 1);
    EXPECT_EQ(view.model()->index(1, 0).data().toString(), QStringLiteral("/c"));
}

TEST(ScanLocationTableView, rowsAreIconAndTextCellsMarkedWhenUnreadable)
{
    ScanLocationTableViewController controller;
    for (const char* path : {"/a", "/b"})
        controller.addDirectory(QString::fromUtf8(path));
    ScanLocationTableView view(&controller);
    auto* cell = qobject_cast<ImageAndTextCell*>(view.itemDelegate());
    ASSERT_NE(cell, nullptr);
    EXPECT_TRUE(cell->elidesPaths());
    EXPECT_EQ(cell->delegate(), &view);

    const QModelIndex fine = view.model()->index(0, 0);
    const QModelIndex unreadable = view.model()->index(1, 0);
    controller.locations().at(1)->markUnreadable(QStringLiteral("Permission denied"));
    const QIcon folderIcon = cell->getImage(fine);
    const QIcon errorIcon = cell->getImage(unreadable);
    ASSERT_FALSE(folderIcon.isNull()) << "a drawn folder stands in where the theme has none";
    ASSERT_FALSE(errorIcon.isNull());
    EXPECT_NE(folderIcon.pixmap(16).toImage(), errorIcon.pixmap(16).toImage());
    EXPECT_EQ(cell->title(unreadable), QStringLiteral("/b"));
    EXPECT_EQ(unreadable.data(Qt::ToolTipRole).toString(),
              QStringLiteral("“/b” could not be read at the last scan: Permission denied."));

    controller.resetErrors();
    EXPECT_EQ(cell->getImage(unreadable).pixmap(16).toImage(), folderIcon.pixmap(16).toImage());
    EXPECT_EQ(unreadable.data(Qt::ToolTipRole).toString(), QStringLiteral("/b"));
}

} // namespace
} // namespace pairsift
