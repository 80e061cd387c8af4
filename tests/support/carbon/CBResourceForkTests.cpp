#include "support/carbon/CBResourceFork.h"
#include "support/carbon/ResourceForkData.h"
#include "support/carbon/ResourceForkFormat.h"

#include "AttributeFolder.h"
#include "testkit/ConsoleCapture.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

using test::alis;
using test::icns;

TEST(CBResourceFork, opensCreatesAndRefuses)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    EXPECT_FALSE(CBResourceFork::resourceForkForReadingAtPath(folder.path("missing")));
    EXPECT_FALSE(CBResourceFork::resourceForkForReadingAtPath(folder.writeFile("plain", "data"))) << "no fork";
    EXPECT_FALSE(CBResourceFork::resourceForkForWritingAtPath(folder.path(QString(1025, 'n'))));
    Error error;
    EXPECT_FALSE(CBResourceFork::resourceForkForWritingAtPath(folder.makeFolder("dir"), &error));
    EXPECT_TRUE(error.description.contains("has no resource fork")) << error.description.toStdString();

    const QString path = folder.path("new");
    std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForWritingAtPath(path);
    ASSERT_TRUE(fork);
    EXPECT_TRUE(QFileInfo(path).isFile());
    EXPECT_GT(fork->fileReference(), 0);
    EXPECT_TRUE(fork->everyResourceType().isEmpty());
    ASSERT_TRUE(fork->addData("one", alis, 0, "created by CBAlias"));
    ASSERT_TRUE(fork->addData(QByteArray(), icns, -16455, ""));
    EXPECT_TRUE(fork->closeFile());
    EXPECT_EQ(fork->fileReference(), 0);
    EXPECT_TRUE(fork->closeFile()) << "a second close does nothing";

    fork = CBResourceFork::resourceForkForWritingAtPath(path);
    ASSERT_TRUE(fork) << "an existing file keeps its resources";
    EXPECT_EQ(fork->everyResourceType(), (QList<quint32>{alis, icns}));
    EXPECT_EQ(fork->dataForType(icns, -16455), QByteArray(""));
    EXPECT_EQ(fork->nameOfResourceType(alis, 0), "created by CBAlias");
    fork->closeFile();
}

TEST(CBResourceFork, addReplaceRenameAndRemove)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString path = folder.path("fork");
    std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForWritingAtPath(path);
    ASSERT_TRUE(fork);
    ASSERT_TRUE(fork->addData("first", alis, 5, QString::fromUtf8("Café")));
    ASSERT_TRUE(fork->addData("second", alis, 5, "renamed"));
    EXPECT_FALSE(fork->addData("third", alis, 5, QString::fromUtf8("€"))) << "a name that cannot be encoded";
    EXPECT_EQ(fork->dataForType(alis, 5), "second") << "the failed replacement left the resource";
    EXPECT_FALSE(fork->dataForType(alis, QString::fromUtf8("Café")));
    EXPECT_EQ(fork->dataForType(alis, "renamed"), "second");
    qint16 id = 0;
    EXPECT_TRUE(fork->getId(&id, alis, "renamed"));
    EXPECT_EQ(id, 5);
    EXPECT_FALSE(fork->getId(&id, alis, "nobody"));

    const QString log = test::consoleOutput([&] {
        EXPECT_TRUE(fork->addData("a", alis, QString()));
        EXPECT_TRUE(fork->addData("b", alis, "b"));
        EXPECT_TRUE(fork->setAttributeFlags(0x22, alis, 128));
    });
    EXPECT_TRUE(log.contains("Adding a resource without specifying the name of id."));
    EXPECT_TRUE(log.contains("WARRING: Currently the setAttributeFlags:forResourceType:Id: does not work"));
    EXPECT_EQ(fork->dataForType(alis, qint16(128)), "a");
    EXPECT_EQ(fork->dataForType(alis, qint16(129)), "b");
    qint16 flags = -1;
    EXPECT_TRUE(fork->getAttributeFlags(&flags, alis, 128));
    EXPECT_EQ(flags, 0) << "the changed and purgeable bits are never set";

    EXPECT_TRUE(fork->removeType(alis, 5));
    EXPECT_TRUE(fork->removeType(alis, 5)) << "nothing to remove is success";
    EXPECT_FALSE(fork->dataForType(alis, 5));
    ASSERT_TRUE(fork->closeFile());

    const std::unique_ptr<CBResourceFork> reader = CBResourceFork::resourceForkForReadingAtPath(path);
    ASSERT_TRUE(reader);
    EXPECT_FALSE(reader->addData("x", alis, 1, "")) << "read permission";
    EXPECT_TRUE(reader->removeType(alis, 5)) << "nothing to remove is success, whatever the permission";
    EXPECT_FALSE(reader->removeType(alis, 129)) << "read permission";
    EXPECT_EQ(reader->dataForType(alis, qint16(129)), "b");
    EXPECT_FALSE(reader->dataForType(alis, 5));
    reader->closeFile();
}

TEST(CBResourceFork, wholeForkCopiesResourcesAndEnumeratorIsBoundToItsFork)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString from = folder.path("from");
    ASSERT_TRUE(writeToResourceForkFile("alias", from, alis, 0, "n"));
    ASSERT_TRUE(writeToResourceForkFile("icon", from, icns, -16455, ""));

    std::unique_ptr<CBResourceFork> source = CBResourceFork::resourceForkForReadingAtPath(from);
    ASSERT_TRUE(source);
    const QByteArray bytes = source->dataForEntireResourceFork();
    ASSERT_FALSE(bytes.isEmpty());
    std::unique_ptr<CBResourceFork> copy = CBResourceFork::resourceForkForWritingAtPath(folder.path("copy"));
    ASSERT_TRUE(copy);
    EXPECT_FALSE(copy->writeEntireResourceFork({}));
    ASSERT_TRUE(copy->writeEntireResourceFork(bytes));
    EXPECT_EQ(copy->dataForEntireResourceFork(), bytes) << "byte-exact";
    EXPECT_EQ(copy->everyResourceType(), (QList<quint32>{alis, icns}));
    ASSERT_TRUE(copy->closeFile());
    EXPECT_EQ(dataWithResourceForkContentsOfFile(folder.path("copy"), icns, -16455), "icon");
    EXPECT_EQ(dataWithResourceForkContentsOfFile(folder.path("copy"), alis, "n"), "alias");

    ResourceTypeEnumerator types = source->resourceTypeEnumerator();
    std::unique_ptr<CBResourceFork> other = CBResourceFork::resourceForkForWritingAtPath(folder.path("other"));
    EXPECT_EQ(types.nextObject(), alis) << "a fork opened later does not take over";
    source->closeFile();
    const QString log = test::consoleOutput([&] { EXPECT_FALSE(types.nextObject()); });
    EXPECT_TRUE(log.contains("Could not get type for resource 2"));
    const QString neglected = test::consoleOutput([&] { other.reset(); });
    EXPECT_TRUE(neglected.contains("CBAlias ERROR: you neglected to call closeFile: before disposing this CBResourceFork"));
}

TEST(CBResourceFork, oneWriterPerFileAtATime)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    const QString path = folder.path("shared");
    ASSERT_TRUE(QFile::link(path, folder.path("link")));
    std::unique_ptr<CBResourceFork> first = CBResourceFork::resourceForkForWritingAtPath(path);
    ASSERT_TRUE(first);
    const QString log = test::consoleOutput([&] {
        EXPECT_FALSE(CBResourceFork::resourceForkForWritingAtPath(path));
        EXPECT_FALSE(CBResourceFork::resourceForkForWritingAtPath(folder.path("link"))) << "the same file by another path";
    });
    EXPECT_TRUE(log.contains(QString("The resource fork of \"%1\" is already open for writing").arg(path))) << log.toStdString();
    std::unique_ptr<CBResourceFork> reader = CBResourceFork::resourceForkForReadingAtPath(path);
    ASSERT_TRUE(reader) << "readers are not refused";
    reader->closeFile();

    ASSERT_TRUE(first->addData("first", alis, 1, ""));
    ASSERT_TRUE(first->closeFile());
    EXPECT_TRUE(writeToResourceForkFile("second", folder.path("link"), alis, 2, "")) << "free again once closed";
    EXPECT_EQ(dataWithResourceForkContentsOfFile(path, alis, 1), "first");
}

TEST(CBResourceFork, typeEnumeratorEndsAfterTheLastOfManyTypes)
{
    auto contents = std::make_shared<ResourceForkContents>();
    for (quint32 type = 1; type <= 40000; ++type)
        contents->resources.append({type, 0, {}, 0, {}});
    contents->resources.append({7, 1, {}, 0, {}});
    ResourceTypeEnumerator types(contents);
    EXPECT_EQ(types.numberOfTypes(), 40000);
    const QList<quint32> all = types.allObjects();
    ASSERT_EQ(all.size(), 40000);
    EXPECT_EQ(all.last(), 40000u);
    EXPECT_FALSE(types.nextObject());
}

TEST(CBResourceFork, forkTooLargeForTheFileSystemFailsOnClose)
{
    ATTRIBUTE_FOLDER_OR_SKIP(folder);
    std::unique_ptr<CBResourceFork> fork = CBResourceFork::resourceForkForWritingAtPath(folder.path("big"));
    ASSERT_TRUE(fork);
    ASSERT_TRUE(fork->addData(QByteArray(1 << 20, 'b'), icns, 1, ""));
    Error error;
    if (fork->closeFile(&error))
        GTEST_SKIP() << "this file system holds a 1 MiB attribute";
    EXPECT_TRUE(error.description.contains("extended attribute")) << error.description.toStdString();
}

} // namespace
} // namespace pairsift
