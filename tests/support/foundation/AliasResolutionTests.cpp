#include "support/foundation/AliasResolution.h"

#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(AliasResolution, resolvesLinksAndLeavesEverythingElse)
{
    test::TemporaryTree tree;
    const QString target = tree.writeFile("folder/target.txt", "content");
    const QString link = tree.makeSymlink("link", target);
    const QString relative = tree.makeSymlink("folder/relative", "target.txt");
    const QString chain = tree.makeSymlink("chain", link);
    const QString dangling = tree.makeSymlink("dangling", tree.path("missing"));
    const QString folderLink = tree.makeSymlink("folderLink", tree.path("folder"));

    EXPECT_EQ(resolveAliasPath(target), target);
    EXPECT_FALSE(isAliasPath(target));
    EXPECT_EQ(resolveAliasPath(link), target);
    EXPECT_EQ(resolveAliasPath(relative), target);
    EXPECT_EQ(resolveAliasPath(chain), target);
    EXPECT_TRUE(isAliasPath(chain));
    EXPECT_EQ(resolveAliasPath(dangling), dangling);
    EXPECT_TRUE(pathResolved(dangling).isNull());
    EXPECT_EQ(resolveAliasPath(folderLink), tree.path("folder"));
    EXPECT_EQ(resolveAliasPath(tree.path("nothing")), tree.path("nothing"));
}

TEST(AliasResolution, stopsOnLoopsAndLongChains)
{
    test::TemporaryTree tree;
    tree.makeSymlink("a", tree.path("b"));
    tree.makeSymlink("b", tree.path("a"));
    EXPECT_TRUE(pathResolved(tree.path("a")).isNull());

    const QString target = tree.writeFile("t", "x");
    QString previous = target;
    for (int i = 0; i < 17; ++i)
        previous = tree.makeSymlink(QString("l%1").arg(i), previous);
    EXPECT_TRUE(pathResolved(previous).isNull()) << "17 links are more than are followed";
    EXPECT_EQ(pathResolved(tree.path("l15")), target);
}

} // namespace
} // namespace pairsift
