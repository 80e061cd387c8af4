#include "locations/views/ScanLocationTableView.h"

#include "locations/ScanLocationTableViewController.h"

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

} // namespace
} // namespace pairsift
