#include "platform/PackageTypes.h"
#include "support/foundation/PathClassification.h"
#include "testkit/TemporaryTree.h"

#include <gtest/gtest.h>

namespace pairsift {
namespace {

struct PathCase {
    const char* path;
    bool expected;
};

TEST(SystemPath, standardTableMatchesWholeComponents)
{
    const SystemPathTable table = SystemPathTable::standard(QStringLiteral("/Users/u"));
    const PathCase cases[] = {
        {"/System/Library/Fonts", true},
        {"/Library", true},
        {"/bin", true},
        {"/binaries/tool", false}, // a prefix covers whole components only
        {"/various", false},
        {"/tmpdata", false},
        {"/optical/a", false},
        {"/development", false},
        {"/Users/u/Library2", false},
        {"/Users/u/Library/Mail", true},
        {"/Users/u/Applications/Tool.app", true},
        {"/Users/u/.local/share/Trash/files/a.jpg", true},
        {"/Users/u/Documents", false},
        {"/Users/other/Library/Mail", false},
        {"/Volumes/Backup/Backups.backupdb", true},
        {"/Volumes/Backup/Backups.backupdb/x", false}, // suffixes test the whole path
        {"/Volumes/Disk/SDK.framework", true},
        {"/Volumes/Disk/SDK.framework/Headers", false},
        {"./relative", true},
        {"/USR/local", false}, // case-sensitive
        {"/Tmp", false},
        {"/tmp/scan", true},
        {"/proc/1", true},
        {"/sys/kernel", true},
        {"/run/user/1000", true},
        {"/run", true},
        {"/run/media", false}, // removable drives, and everything below them
        {"/run/media/u/Disk", false},
        {"/run/mediaplayer", true},
        {"/media", false},
        {"/media/u/Backups.backupdb", false},
        {"/boot/vmlinuz", true},
        {"/lib64/ld.so", true},
        {"/home/u/Pictures", false}, // every user's folders live there
        {"/media/u/Disk/Photos", false},
        {"/srv/photos", false},
        {"", false},
    };
    for (const PathCase& item : cases)
        EXPECT_EQ(table.contains(QString::fromUtf8(item.path)), item.expected) << item.path;
}

TEST(SystemPath, homeEntriesFollowTheGivenHomeFolder)
{
    const QString underHome = QStringLiteral("/home/u/Library/Mail");
    EXPECT_TRUE(SystemPathTable::standard(QStringLiteral("/home/u")).contains(underHome));
    EXPECT_TRUE(SystemPathTable::standard(QStringLiteral("/home/u/")).contains(underHome));
    EXPECT_FALSE(SystemPathTable::standard(QStringLiteral("/home/v")).contains(underHome));
    EXPECT_TRUE(SystemPathTable::standard(QString()).contains(QStringLiteral("~/Library/Mail")));
}

TEST(SystemPath, processWideTableCanBeReplacedAndRestored)
{
    const QString scratch = QStringLiteral("/tmp/pairsift-scan/a.jpg");
    ASSERT_TRUE(isSystemPath(scratch));

    SystemPathTable relaxed;
    relaxed.prefixes = {QStringLiteral("/proc")};
    const SystemPathTable previous = setSystemPathTable(relaxed);
    EXPECT_FALSE(isSystemPath(scratch));
    EXPECT_TRUE(isSystemPath(QStringLiteral("/proc/self")));
    EXPECT_EQ(systemPathTable().prefixes, relaxed.prefixes);

    setSystemPathTable(previous);
    EXPECT_TRUE(isSystemPath(scratch));
}

TEST(ImagePath, decidedByTheExtensionAlone)
{
    const PathCase cases[] = {
        {"/photos/a.jpg", true},   {"/photos/a.JPG", true},  {"/photos/a.png", true},
        {"/photos/a.tiff", true},  {"/photos/a.gif", true},  {"/photos/a.svg", true},
        {"/photos/a.txt", false},  {"/photos/a.mov", false}, {"/photos/a", false},
        {"/photos/a.", false},     {"/photos.jpg/a", false}, {"/photos/a.jpg.txt", false},
        {"/photos/a.unknownext", false},
    };
    for (const PathCase& item : cases)
        EXPECT_EQ(isImagePath(QString::fromUtf8(item.path)), item.expected) << item.path;
}

TEST(PathNames, lastComponentAndExtension)
{
    struct NameCase {
        const char* path;
        const char* component;
        const char* extension;
    };
    const NameCase cases[] = {
        {"/a/b/photo.jpg", "photo.jpg", "jpg"},
        {"/a/Tool.app/", "Tool.app", "app"},
        {"archive.tar.gz", "archive.tar.gz", "gz"},
        {"/a.d/name", "name", ""},
        {"/", "/", ""},
        {"", "", ""},
        {"/a/.hidden", ".hidden", "hidden"},
    };
    for (const NameCase& item : cases) {
        const QString path = QString::fromUtf8(item.path);
        EXPECT_EQ(lastPathComponent(path), QString::fromUtf8(item.component)) << item.path;
        EXPECT_EQ(pathExtension(path), QString::fromUtf8(item.extension)) << item.path;
    }
}

TEST(Bundle, aFolderWithAPackageExtension)
{
    test::TemporaryTree tree;
    tree.makeFolder(QStringLiteral("Tool.app/Contents"));
    tree.makeFolder(QStringLiteral("Old.APLibrary"));
    tree.makeFolder(QStringLiteral("iPhoto Library.photolibrary"));
    tree.makeFolder(QStringLiteral("Pictures"));
    tree.makeFolder(QStringLiteral("holiday.jpg"));
    tree.writeFile(QStringLiteral("installer.pkg"), "flat package");
    tree.makeSymlink(QStringLiteral("Link.app"), tree.path(QStringLiteral("Tool.app")));

    const struct {
        const char* relative;
        bool expected;
    } cases[] = {
        {"Tool.app", true},
        {"Tool.app/", true},
        {"Old.APLibrary", true}, // extensions compare without regard to case
        {"iPhoto Library.photolibrary", true},
        {"Link.app", true},
        {"Tool.app/Contents", false},
        {"Pictures", false},
        {"holiday.jpg", false},
        {"installer.pkg", false}, // a file is never a package
        {"Missing.app", false},
    };
    for (const auto& item : cases)
        EXPECT_EQ(isBundle(tree.path(QString::fromUtf8(item.relative))), item.expected) << item.relative;
}

TEST(Bundle, followsTheSharedExtensionList)
{
    test::TemporaryTree tree;
    const QString library = tree.makeFolder(QStringLiteral("Photos.photolibrary"));
    const QString album = tree.makeFolder(QStringLiteral("Trip.album"));

    const QStringList previous = PackageTypes::setExtensions({QStringLiteral("ALBUM")});
    EXPECT_FALSE(isBundle(library));
    EXPECT_TRUE(isBundle(album));
    EXPECT_EQ(PackageTypes::extensions(), QStringList{QStringLiteral("ALBUM")});

    PackageTypes::setExtensions(previous);
    EXPECT_TRUE(isBundle(library));
    EXPECT_FALSE(isBundle(album));
    EXPECT_EQ(PackageTypes::extensions(), PackageTypes::defaultExtensions());
}

} // namespace
} // namespace pairsift
