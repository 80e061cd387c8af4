#include "locations/views/FileDialogFolderChooser.h"

#include "testkit/TemporaryTree.h"

#include <QAbstractProxyModel>
#include <QCoreApplication>
#include <QPersistentModelIndex>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(FileDialogFolderChooser, refusedFoldersAreGreyedAndCannotBeSelected)
{
    test::TemporaryTree tree;
    const QString refused = tree.makeFolder(QStringLiteral("refused"));
    const QString allowed = tree.makeFolder(QStringLiteral("allowed"));
    QWidget window;
    FileDialogFolderChooser chooser(&window);
    chooser.chooseFolders(QStringLiteral("Add"), tree.root(),
                          [&](const QString& path, bool isDirectory) { return isDirectory && path != refused; },
                          [](const QStringList&) {});
    auto* dialog = window.findChild<QFileDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isModal());
    EXPECT_EQ(dialog->directory().absolutePath(), tree.root());
    QAbstractProxyModel* proxy = dialog->proxyModel();
    ASSERT_NE(proxy, nullptr);
    auto* files = qobject_cast<QFileSystemModel*>(proxy->sourceModel());
    ASSERT_NE(files, nullptr);

    const QBrush disabled = QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
    // The proxy's rows follow the model's, which are announced once the folder has been read.
    const QPersistentModelIndex refusedSource = files->index(refused);
    const QPersistentModelIndex allowedSource = files->index(allowed);
    QCoreApplication::processEvents();
    const QModelIndex refusedRow = proxy->mapFromSource(refusedSource);
    const QModelIndex allowedRow = proxy->mapFromSource(allowedSource);
    ASSERT_EQ(files->filePath(proxy->mapToSource(refusedRow)), refused);
    ASSERT_TRUE(refusedRow.isValid() && allowedRow.isValid());
    EXPECT_FALSE(refusedRow.flags().testFlag(Qt::ItemIsSelectable));
    EXPECT_TRUE(refusedRow.flags().testFlag(Qt::ItemIsEnabled)) << "it can still be opened";
    EXPECT_EQ(refusedRow.data(Qt::ForegroundRole).value<QBrush>(), disabled);
    EXPECT_TRUE(allowedRow.flags().testFlag(Qt::ItemIsSelectable));
    EXPECT_NE(allowedRow.data(Qt::ForegroundRole).value<QBrush>(), disabled);
    dialog->reject();
}

} // namespace
} // namespace pairsift
