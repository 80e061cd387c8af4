#include "settings/LocationItem.h"

#include "platform/BookmarkData.h"
#include "testkit/ConsoleCapture.h"
#include "testkit/TemporaryTree.h"

#include <QDir>
#include <QMetaProperty>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

// How often the notify signal of `property` fires while `change` runs.
int notificationsOf(LocationItem& location, const char* property, const std::function<void()>& change)
{
    const QMetaObject* meta = location.metaObject();
    const QMetaMethod notify = meta->property(meta->indexOfProperty(property)).notifySignal();
    int count = 0;
    QObject receiver;
    using Signal = void (LocationItem::*)();
    for (Signal signal : {&LocationItem::urlChanged, &LocationItem::statusChanged, &LocationItem::bookmarkDataChanged}) {
        if (QMetaMethod::fromSignal(signal) == notify)
            QObject::connect(&location, signal, &receiver, [&count] { ++count; });
    }
    change();
    return count;
}

TEST(LocationItem, pathsAreCanonicalWhenMade)
{
    test::TemporaryTree tree;
    const QString real = tree.makeFolder(QStringLiteral("real/photos"));
    tree.makeSymlink(QStringLiteral("link"), tree.path(QStringLiteral("real")));
    const struct {
        QString given;
        QString expected;
    } cases[] = {
        {real, real},
        {real + QStringLiteral("/"), real},
        {tree.path(QStringLiteral("real/./photos/../photos")), real},
        {tree.path(QStringLiteral("link/photos")), real},
        {tree.path(QStringLiteral("link/missing/deeper/")), tree.path(QStringLiteral("real/missing/deeper"))},
        {QStringLiteral("/"), QStringLiteral("/")},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(LocationItem::withPath(testCase.given)->path(), testCase.expected) << testCase.given.toStdString();

    const QString savedCurrent = QDir::currentPath();
    QDir::setCurrent(tree.path(QStringLiteral("real")));
    EXPECT_EQ(LocationItem::withPath(QStringLiteral("photos"))->path(), real);
    QDir::setCurrent(savedCurrent);
    EXPECT_TRUE(LocationItem::canonicalPath(QString()).isEmpty());
}

TEST(LocationItem, madeFromAPathCarriesItsBookmarkAndStartsAccess)
{
    test::TemporaryTree tree;
    const LocationItemPtr location = LocationItem::withPath(tree.root());
    EXPECT_EQ(resolveBookmarkData(location->bookmarkData()), tree.root());
    EXPECT_EQ(location->status(), 0);
    EXPECT_TRUE(location->isAccessControlled());
    EXPECT_TRUE(location->isAccessStarted());
    location->stopAccess();
    EXPECT_FALSE(location->isAccessStarted());
    EXPECT_EQ(location->description(), tree.root());
}

TEST(LocationItem, restoresFromItsBookmarkData)
{
    test::TemporaryTree tree;
    const LocationItemPtr original = LocationItem::withPath(tree.makeFolder(QStringLiteral("a")));
    const LocationItemPtr restored = LocationItem::withBookmarkData(original->bookmarkData());
    ASSERT_TRUE(restored);
    EXPECT_EQ(*restored, *original);
    EXPECT_EQ(restored->bookmarkData(), original->bookmarkData());
    EXPECT_EQ(restored->status(), 0);
}

TEST(LocationItem, dataThatDoesNotResolveGivesNoLocationAndALogLine)
{
    LocationItemPtr location;
    const QString output = test::consoleOutput([&] { location = LocationItem::withBookmarkData("\x01\x02"); });
    EXPECT_FALSE(location);
    EXPECT_TRUE(output.contains(QStringLiteral("Unable to restore bookmark with data: <0102>, error: The data is not a bookmark.")))
        << output.toStdString();
}

TEST(LocationItem, equalByURLAndHashedAlike)
{
    test::TemporaryTree tree;
    const QString path = tree.makeFolder(QStringLiteral("a"));
    const LocationItemPtr first = LocationItem::withPath(path);
    const LocationItem second(QUrl::fromLocalFile(path + QStringLiteral("/")), QByteArray(), -1);
    const LocationItemPtr other = LocationItem::withPath(tree.makeFolder(QStringLiteral("b")));
    EXPECT_TRUE(*first == second);
    EXPECT_EQ(first->hash(), second.hash());
    EXPECT_FALSE(*first == *other);
}

TEST(LocationItem, statusDrivesTheErrorImageAndNotifiesIt)
{
    LocationItem location(QUrl::fromLocalFile(QStringLiteral("/data")), QByteArray(), 0);
    EXPECT_TRUE(location.statusImage().isNull());
    EXPECT_EQ(notificationsOf(location, "statusImage", [&] { location.setStatus(LocationItem::UnreadableStatus); }), 1);
    EXPECT_EQ(location.statusImage(), QStringLiteral("error"));
    EXPECT_EQ(notificationsOf(location, "statusImage", [&] { location.setStatus(LocationItem::UnreadableStatus); }), 0);
    EXPECT_EQ(notificationsOf(location, "statusImage", [&] { location.setStatus(0); }), 1);
    EXPECT_TRUE(location.statusImage().isNull());
}

TEST(LocationItem, newURLNotifiesItsPath)
{
    test::TemporaryTree tree;
    LocationItem location(QUrl::fromLocalFile(tree.root()), QByteArray(), 0);
    const QString folder = tree.makeFolder(QStringLiteral("next"));
    EXPECT_EQ(notificationsOf(location, "path", [&] { location.setURL(QUrl::fromLocalFile(folder + QStringLiteral("/."))); }), 1);
    EXPECT_EQ(location.path(), folder);
}

TEST(LocationItem, locationArrayMatchesExactPathsOnly)
{
    const QList<LocationItemPtr> locations{
        std::make_shared<LocationItem>(QUrl::fromLocalFile(QStringLiteral("/Data/Photos")), QByteArray(), 0),
        std::make_shared<LocationItem>(QUrl::fromLocalFile(QStringLiteral("/srv")), QByteArray(), 0),
    };
    const struct {
        const char* path;
        bool expected;
    } cases[] = {
        {"/Data/Photos", true}, {"/srv", true},  {"/data/photos", false},
        {"/Data/Photos/", false}, {"/Data", false}, {"", false},
    };
    for (const auto& testCase : cases)
        EXPECT_EQ(LocationItem::locationArray(locations, QString::fromUtf8(testCase.path)), testCase.expected) << testCase.path;
    EXPECT_FALSE(LocationItem::locationArray({}, QStringLiteral("/srv")));
}

} // namespace
} // namespace pairsift
