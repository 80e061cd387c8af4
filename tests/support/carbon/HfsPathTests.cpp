#include "support/carbon/HfsPath.h"
#include "support/carbon/MountTable.h"

#include "testkit/TemporaryTree.h"

#include <QDir>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(HfsPath, roundTripsWithSeparatorsInNames)
{
    test::TemporaryTree tree;
    const QString file = tree.writeFile("a:b/c d:e.txt", "x");
    const std::optional<MountedVolume> volume = volumeContaining(file);
    ASSERT_TRUE(volume);
    const QString hfs = fileSystemPathHFSStyle(file);
    EXPECT_TRUE(hfs.startsWith(QString(volume->name).replace(':', '/') + ':')) << hfs.toStdString();
    EXPECT_TRUE(hfs.endsWith(":a/b:c d/e.txt")) << hfs.toStdString();
    EXPECT_EQ(pathFromFileSystemPathHFSStyle(hfs), file);
    EXPECT_EQ(fileSystemPathHFSStyle(QUrl::fromLocalFile(file)), hfs);

    const QUrl folder = URLWithFileSystemPathHFSStyle(fileSystemPathHFSStyle(tree.path("a:b")) + ':');
    EXPECT_EQ(folder, QUrl::fromLocalFile(tree.path("a:b") + '/'));
}

TEST(HfsPath, volumeRootsAndUnknownVolumes)
{
    const std::optional<MountedVolume> root = volumeContaining("/");
    ASSERT_TRUE(root);
    const QString name = QString(root->name).replace(':', '/');
    EXPECT_EQ(fileSystemPathHFSStyle("/"), name + ':');
    EXPECT_EQ(pathFromFileSystemPathHFSStyle(name + ':'), root->mountPoint);
    EXPECT_EQ(URLWithFileSystemPathHFSStyle(name + ':'), QUrl::fromLocalFile("/"));
    EXPECT_TRUE(pathFromFileSystemPathHFSStyle("no volume is called this:a").isNull());
    EXPECT_TRUE(pathFromFileSystemPathHFSStyle(name).isNull()) << "no separator";
    EXPECT_TRUE(pathFromFileSystemPathHFSStyle(name + ":a::b").isNull());
    for (const QString& out : {name + ":..:..:etc:passwd", name + ":tmp:..", name + ":.:etc", name + ":..:"}) {
        EXPECT_TRUE(pathFromFileSystemPathHFSStyle(out).isNull()) << out.toStdString();
        EXPECT_TRUE(URLWithFileSystemPathHFSStyle(out).isEmpty()) << out.toStdString();
    }
    EXPECT_EQ(pathFromFileSystemPathHFSStyle(name + ":..a:b.."), QDir::cleanPath(root->mountPoint + "/..a/b.."));
}

} // namespace
} // namespace pairsift
