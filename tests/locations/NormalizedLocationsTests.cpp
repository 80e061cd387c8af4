#include "locations/NormalizedLocations.h"

#include "locations/ScanLocationTableViewController.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

// Locations named relative to a temporary tree; every folder exists, so packages are recognised.
class NormalizedLocationsTest : public testing::Test {
protected:
    QList<LocationItemPtr> locations(const QStringList& relativePaths) const
    {
        QList<LocationItemPtr> result;
        for (const QString& relative : relativePaths) {
            m_tree.makeFolder(relative);
            result.append(LocationItem::withPath(m_tree.path(relative)));
        }
        return result;
    }

    QStringList relativePaths(const QList<LocationItemPtr>& locations) const
    {
        const QString root = QDir(m_tree.root()).canonicalPath() + QLatin1Char('/');
        QStringList result;
        for (const LocationItemPtr& location : locations)
            result.append(location->path().startsWith(root) ? location->path().mid(root.size()) : location->path());
        return result;
    }

    test::TemporaryTree m_tree;
};

TEST_F(NormalizedLocationsTest, foldsNestedLocationsForBothFlags)
{
    const struct {
        const char* what;
        QStringList listed;
        QStringList keepingBundles;
        QStringList foldingBundles;
    } cases[] = {
        {"nested and a sibling sharing the prefix", {"a", "a/b", "ab"}, {"a", "ab"}, {"a", "ab"}},
        {"component boundary", {"a/b", "a/bc"}, {"a/b", "a/bc"}, {"a/b", "a/bc"}},
        {"deeper nesting, list order kept", {"a/b/c", "x", "a"}, {"x", "a"}, {"x", "a"}},
        {"equal paths both stay", {"a", "a"}, {"a", "a"}, {"a", "a"}},
        {"a listed package is never folded", {"a", "a/Lib.photolibrary"}, {"a", "a/Lib.photolibrary"},
         {"a", "a/Lib.photolibrary"}},
        {"inside a listed package", {"a", "a/Lib.photolibrary", "a/Lib.photolibrary/Masters"},
         {"a", "a/Lib.photolibrary", "a/Lib.photolibrary/Masters"}, {"a", "a/Lib.photolibrary"}},
        {"only the package is listed", {"Lib.photolibrary/Masters", "Lib.photolibrary"},
         {"Lib.photolibrary/Masters", "Lib.photolibrary"}, {"Lib.photolibrary"}},
        {"inside an unlisted package", {"a", "a/Tool.app/Contents"}, {"a", "a/Tool.app/Contents"}, {"a"}},
        {"plain folder inside a package's plain folder", {"Lib.photolibrary/Masters", "Lib.photolibrary/Masters/2020"},
         {"Lib.photolibrary/Masters"}, {"Lib.photolibrary/Masters"}},
    };
    for (const auto& testCase : cases) {
        const QList<LocationItemPtr> listed = locations(testCase.listed);
        EXPECT_EQ(relativePaths(normalizedLocations(listed, true)), testCase.keepingBundles) << testCase.what;
        EXPECT_EQ(relativePaths(normalizedLocations(listed, false)), testCase.foldingBundles) << testCase.what;
    }
}

TEST_F(NormalizedLocationsTest, trailingSeparatorsAndLinksDoNotHideNesting)
{
    m_tree.makeFolder(QStringLiteral("a/b"));
    m_tree.makeSymlink(QStringLiteral("link"), m_tree.path(QStringLiteral("a")));
    const QList<LocationItemPtr> listed{
        LocationItem::withPath(m_tree.path(QStringLiteral("a/"))),
        LocationItem::withPath(m_tree.path(QStringLiteral("link/b/"))),
    };
    EXPECT_EQ(relativePaths(normalizedLocations(listed, true)), QStringList{"a"});
    EXPECT_EQ(relativePaths(normalizedLocations(listed, false)), QStringList{"a"});
}

TEST_F(NormalizedLocationsTest, rootFoldsEverythingElse)
{
    QList<LocationItemPtr> listed = locations({"a"});
    listed.prepend(LocationItem::withPath(QStringLiteral("/")));
    EXPECT_EQ(relativePaths(normalizedLocations(listed, true)), QStringList{"/"});
    EXPECT_EQ(relativePaths(normalizedLocations(listed, false)), QStringList{"/"});
}

TEST_F(NormalizedLocationsTest, locationWithoutPathIsNeverAParent)
{
    QList<LocationItemPtr> listed = locations({"a"});
    listed.prepend(std::make_shared<LocationItem>(QUrl(QStringLiteral("https://example.org/a")), QByteArray(), 0));
    listed.append(nullptr);
    EXPECT_EQ(normalizedLocations(listed, false).size(), 2);
}

TEST_F(NormalizedLocationsTest, controllerNormalisesItsOwnList)
{
    ScanLocationTableViewController controller(locations({"a/Lib.photolibrary/Masters", "a", "a/Lib.photolibrary"}));
    EXPECT_EQ(relativePaths(controller.normalizedLocationsKeepingBundles(true)),
              (QStringList{"a/Lib.photolibrary/Masters", "a", "a/Lib.photolibrary"}));
    EXPECT_EQ(relativePaths(controller.normalizedLocationsKeepingBundles(false)),
              (QStringList{"a", "a/Lib.photolibrary"}));
}

TEST(PathBelowFolder, respectsComponentBoundaries)
{
    const struct {
        const char* path;
        const char* folder;
        bool isBelow;
    } cases[] = {
        {"/a/b", "/a", true},
        {"/a/b/c", "/a", true},
        {"/a/bc", "/a/b", false},
        {"/a/b", "/a/b", false},
        {"/a", "/a/b", false},
        {"/A/b", "/a", false},
        {"/x", "/", true},
        {"/", "/", false},
        {"/a", "", false},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(isPathBelowFolder(QString::fromUtf8(testCase.path), QString::fromUtf8(testCase.folder)),
                  testCase.isBelow)
            << testCase.path << " below " << testCase.folder;
    }
}

} // namespace
} // namespace pairsift
