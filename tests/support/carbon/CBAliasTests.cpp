#include "support/carbon/AliasFile.h"
#include "support/carbon/CBAlias.h"
#include "support/carbon/CBResourceFork.h"
#include "support/carbon/FinderInfo.h"
#include "support/carbon/ExtendedAttribute.h"
#include "support/carbon/ResourceForkData.h"
#include "support/carbon/ResourceForkFormat.h"

#include "AttributeFolder.h"

#include <QDataStream>
#include <QFile>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

using test::alis;
using test::icns;
constexpr quint32 macs = 0x4D414353;

TEST(CBAlias, creationOptionsAndArchive)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString target = folder.writeFile("target.txt", "x");
    EXPECT_FALSE(CBAlias::aliasWithData({}));
    EXPECT_FALSE(CBAlias::aliasWithData("not a record"));
    EXPECT_FALSE(CBAlias::aliasWithURL({}));
    EXPECT_FALSE(CBAlias::aliasWithPath(folder.path("missing")));
    EXPECT_FALSE(CBAlias::aliasWithPath(target, folder.path("missing base")));

    std::optional<CBAlias> alias = CBAlias::aliasWithPath(target);
    ASSERT_TRUE(alias);
    EXPECT_TRUE(alias->debugDescription().contains(", changed 0, mountFlags 1, lastKnownPath " + target));
    EXPECT_FALSE(alias->allowUserInteraction());
    EXPECT_FALSE(alias->tryFileIDFirst());
    alias->setAllowUserInteraction(true);
    alias->setTryFileIDFirst(true);
    EXPECT_EQ(alias->mountFlags(), 2u);
    EXPECT_EQ(alias->lastKnownName(), "target.txt");
    EXPECT_FALSE(alias->lastKnownVolumeName().isEmpty());

    const QString other = folder.writeFile("other.txt", "y");
    EXPECT_TRUE(alias->setPath(other, folder.path("missing base"))) << "a missing base is ignored";
    EXPECT_EQ(alias->path(), other);
    EXPECT_TRUE(alias->changed());

    QByteArray archive;
    QDataStream out(&archive, QIODevice::WriteOnly);
    alias->encodeWithCoder(out);
    QDataStream in(archive);
    const std::optional<CBAlias> decoded = CBAlias::aliasWithCoder(in);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->data(), alias->data());
}

TEST(CBAlias, findsItsItemAfterARenameWithinTheFolder)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString original = folder.writeFile("f/old", "x");
    std::optional<CBAlias> byPath = CBAlias::aliasWithPath(original);
    std::optional<CBAlias> byIdentity = CBAlias::aliasWithPath(original);
    ASSERT_TRUE(byPath && byIdentity);
    byIdentity->setTryFileIDFirst(true);

    ASSERT_TRUE(QFile::rename(original, folder.path("f/new")));
    const QString newcomer = folder.writeFile("f/old", "a new file under the old name");
    EXPECT_EQ(byPath->path(), newcomer) << "the path comes first by default";
    EXPECT_EQ(byIdentity->path(), folder.path("f/new"));
    EXPECT_TRUE(byIdentity->changed());
    EXPECT_EQ(byIdentity->lastKnownPath(), folder.path("f/new")) << "the record was rewritten";

    QFile::remove(newcomer);
    std::optional<CBAlias> again = CBAlias::aliasWithData(byIdentity->data());
    ASSERT_TRUE(QFile::rename(folder.path("f/new"), folder.path("f/newer")));
    EXPECT_EQ(again->path(), folder.path("f/newer")) << "by inode once nothing is at the path";
    QFile::remove(folder.path("f/newer"));
    EXPECT_TRUE(again->path().isNull());
    EXPECT_FALSE(again->URL().isValid());
}

TEST(CBAlias, collectionsCompareBothWays)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const CBAlias a = *CBAlias::aliasWithPath(folder.writeFile("a"));
    const CBAlias b = *CBAlias::aliasWithPath(folder.writeFile("b"));
    const CBAlias gone = *CBAlias::aliasWithPath(folder.writeFile("gone"));
    QFile::remove(folder.path("gone"));

    EXPECT_TRUE(CBAlias::isAliasCollection({}, {}));
    EXPECT_FALSE(CBAlias::isAliasCollection({a}, {a, b}));
    EXPECT_TRUE(CBAlias::isAliasCollection({a, b}, {b, a}));
    EXPECT_FALSE(CBAlias::isAliasCollection({a, a}, {a, b}));
    EXPECT_FALSE(CBAlias::isAliasCollection({a, b}, {a, a}));
    EXPECT_FALSE(CBAlias::isAliasCollectionResolvable({}));
    EXPECT_TRUE(CBAlias::isAliasCollectionResolvable({a, b}));
    EXPECT_FALSE(CBAlias::isAliasCollectionResolvable({a, gone}));
    EXPECT_TRUE(gone.isEqualToAlias(gone));
    EXPECT_FALSE(gone.isEqualToAlias(*CBAlias::aliasWithData(gone.data())));

    const QList<CBAlias> restored = CBAlias::arrayOfAliasesFromArrayOfData({a.data(), "junk", b.data()});
    ASSERT_EQ(restored.size(), 2);
    EXPECT_EQ(CBAlias::arrayOfDataFromArrayOfAliases(restored), (QList<QByteArray>{a.data(), b.data()}));
}

TEST(CBAlias, typeAndCreatorOfAliasFiles)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString application = folder.writeFile("tool");
    ASSERT_TRUE(setFinderInfoFlags(application, 0, 0, 0x4150504C, 0x3F3F3F3F));
    struct Case {
        QString path;
        TypeAndCreator expected;
    };
    const Case cases[] = {
        {folder.makeFolder("Tool.app"), {0x66617061, macs}},
        {application, {0x61647270, macs}},
        {folder.writeFile("plain"), {0x54455854, 0x74747874}},
        {folder.makeFolder("Doc.rtfd"), {0x66706B61, macs}},
        {"/", {0x6864736B, macs}},
        {folder.makeFolder("folder"), {0x66647270, macs}},
        {folder.path("missing"), {0x66647270, macs}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(aliasFileTypeAndCreator(c.path, 0x54455854, 0x74747874), c.expected) << c.path.toStdString();
}

TEST(CBAlias, writesAndReadsAliasFiles)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString target = folder.makeFolder("target folder");
    const QString file = folder.path("to folder");
    ASSERT_TRUE(CBAlias::aliasWithPath(target)->writeToFile(file, false));
    quint16 flags = 0;
    quint32 type = 0;
    quint32 creator = 0;
    ASSERT_TRUE(finderInfoFlags(file, &flags, &type, &creator));
    EXPECT_EQ(flags & 0x8400, 0x8000);
    EXPECT_EQ(type, 0x66647270u);
    EXPECT_EQ(creator, macs);
    std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForReadingAtPath(file);
    ASSERT_TRUE(fork);
    EXPECT_EQ(fork->nameOfResourceType(alis, 0), "created by CBAlias");
    EXPECT_EQ(fork->everyResourceType(), QList<quint32>{alis});
    fork->closeFile();
    EXPECT_EQ(CBAlias::aliasWithContentsOfFile(file)->path(), target);

    // An application package with a custom icon: the icon travels with the alias.
    const QString app = folder.makeFolder("Tool.app");
    const QByteArray icon("icns\0\0\0\x08", 8);
    ASSERT_TRUE(writeToResourceForkFile(icon, app + "/Icon\r", icns, -16455, ""));
    const QString appAlias = folder.path("to app");
    ASSERT_TRUE(CBAlias::aliasWithPath(app)->writeToFile(appAlias));
    ASSERT_TRUE(finderInfoFlags(appAlias, &flags, &type, nullptr));
    EXPECT_EQ(flags & 0x8400, 0x8400);
    EXPECT_EQ(type, 0x66617061u);
    EXPECT_EQ(dataWithResourceForkContentsOfFile(appAlias, icns, -16455), icon);

    const QString plain = folder.writeFile("plain", "data");
    EXPECT_FALSE(CBAlias::aliasWithPath(target)->writeToFile(plain)) << "a file that is no alias stays as it is";
    EXPECT_FALSE(isAliasFinderInfoFlag(plain));
    EXPECT_TRUE(CBAlias::aliasWithPath(plain)->writeToFile(file)) << "an alias file may be rewritten";
    EXPECT_EQ(CBAlias::aliasWithContentsOfFile(file)->path(), plain);
}

TEST(CBAlias, iconTooLargeForTheAttributeGivesAPlainAlias)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    // The target's own fork fills its attribute exactly, so the alias file's fork, which adds the record,
    // cannot hold the icon.
    const qsizetype room = folder.largestAttribute(resourceForkAttribute);
    const qsizetype forkWithoutIcon = serializeResourceFork({0, {{icns, -16455, "", 0, {}}}})->size();
    ASSERT_GT(room, forkWithoutIcon + 4);
    const QByteArray icon = "icns" + QByteArray(room - forkWithoutIcon - 4, 'i');
    const QString target = folder.writeFile("target");
    ASSERT_TRUE(writeToResourceForkFile(icon, target, icns, -16455, ""));

    const QString file = folder.path("alias");
    ASSERT_TRUE(CBAlias::aliasWithPath(target)->writeToFile(file));
    quint16 flags = 0;
    ASSERT_TRUE(finderInfoFlags(file, &flags, nullptr, nullptr));
    EXPECT_EQ(flags & 0x8400, 0x8000);
    EXPECT_FALSE(dataWithResourceForkContentsOfFile(file, icns, -16455));
    EXPECT_EQ(CBAlias::aliasWithContentsOfFile(file)->path(), target);
}

TEST(CBAlias, resolvesChainsOfAliasFilesAndLinks)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString target = folder.writeFile("target", "x");
    const QString first = folder.path("first");
    const QString second = folder.path("second");
    ASSERT_TRUE(CBAlias::aliasWithPath(target)->writeToFile(first));
    ASSERT_TRUE(CBAlias::aliasWithPath(first)->writeToFile(second));
    ASSERT_TRUE(QFile::link(second, folder.path("link")));

    EXPECT_EQ(resolveAliasFile(target), target);
    EXPECT_EQ(resolveAliasFile(second), target);
    EXPECT_EQ(resolveAliasFile(folder.path("link")), target);
    EXPECT_TRUE(resolveAliasFile(folder.path("missing")).isNull());
    EXPECT_EQ(resolveAliasFile(QUrl::fromLocalFile(second)), QUrl::fromLocalFile(target));

    bool resolved = false;
    const CBAlias end = CBAlias::aliasWithPath(second)->resolveIfIsAliasFile(&resolved);
    EXPECT_TRUE(resolved);
    EXPECT_EQ(end.path(), target);
    QFile::remove(target);
    EXPECT_TRUE(resolveAliasFile(second).isNull()) << "the end of the chain is gone";
}

} // namespace
} // namespace pairsift
