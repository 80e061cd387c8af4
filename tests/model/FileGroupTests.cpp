#include "model/FileGroup.h"
#include "photolibs/ContainerType.h"
#include "support/logging/SOLogger.h"
#include "testkit/TemporaryTree.h"

#include <QCryptographicHash>
#include <QFile>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

FileItemPtr makeFile(const QString& path, quint64 size = 1000, const QString& containerType = containerTypeDirectory)
{
    FileItemPtr file = FileItem::create(path);
    file->setTotalSize(size);
    file->setContainerType(containerType);
    file->setSha1(QCryptographicHash::hash("same content", QCryptographicHash::Sha1));
    return file;
}

// A group of `count` files /g/0 … /g/n−1 of 1,000 bytes each.
FileGroup groupOf(int count)
{
    FileGroup group;
    for (int index = 0; index < count; ++index)
        group.addFile(makeFile(QStringLiteral("/g/%1").arg(index)));
    return group;
}

TEST(FileGroup, sizesAndSpaceFollowTheHeadAndTheMarks)
{
    FileGroup group = groupOf(3);
    EXPECT_EQ(group.count(), 3u);
    EXPECT_EQ(group.fileSize(), 1000u);
    EXPECT_EQ(group.totalSize(), 3000u);
    EXPECT_DOUBLE_EQ(group.wastedSpace(), 2000.0);
    EXPECT_EQ(group.markedCount(), 0u);
    EXPECT_EQ(group.markedSize(), 0u);
    group.markFile(group.fileAtIndex(1), true);
    EXPECT_EQ(group.markedCount(), 1u);
    EXPECT_EQ(group.markedSize(), 1000u);
    EXPECT_FALSE(group.shouldIgnore());
}

TEST(FileGroup, wastedSpaceIsComputedInDouble)
{
    FileGroup group;
    group.addFile(makeFile(QStringLiteral("/a"), quint64(1) << 62));
    group.addFile(makeFile(QStringLiteral("/b"), quint64(1) << 62));
    group.addFile(makeFile(QStringLiteral("/c"), quint64(1) << 62));
    EXPECT_DOUBLE_EQ(group.wastedSpace(), 2.0 * 4611686018427387904.0);
}

TEST(FileGroup, emptyGroupAnswersNothing)
{
    const FileGroup group;
    EXPECT_EQ(group.count(), 0u);
    EXPECT_EQ(group.head(), nullptr);
    EXPECT_TRUE(group.tail().isEmpty());
    EXPECT_EQ(group.fileAtIndex(0), nullptr);
    EXPECT_TRUE(group.sha1().isNull());
    EXPECT_EQ(group.fileSize(), 0u);
    EXPECT_DOUBLE_EQ(group.wastedSpace(), 0.0);
    EXPECT_EQ(group.remainingFile(), nullptr);
}

TEST(FileGroup, headTailAndPositions)
{
    const FileGroup group = groupOf(3);
    EXPECT_EQ(group.head(), group.files().at(0));
    EXPECT_EQ(group.tail(), group.files().mid(1));
    EXPECT_EQ(group.fileAtIndex(2), group.files().at(2));
    EXPECT_EQ(group.fileAtIndex(3), nullptr);
    EXPECT_EQ(group.sha1(), group.head()->sha1());
    EXPECT_EQ(group.fileName(), QStringLiteral("0"));
}

TEST(FileGroup, selectDuplicatesMarksAllButTheFirstAndKeepsItsMark)
{
    FileGroup group = groupOf(3);
    group.selectDuplicates();
    EXPECT_FALSE(group.head()->markedForRemoval());
    EXPECT_EQ(group.selectedFiles(), group.tail());
    EXPECT_EQ(group.remainingFile(), group.head());

    group.head()->setMarkedForRemoval(true);
    group.selectDuplicates();
    EXPECT_TRUE(group.head()->markedForRemoval());
    EXPECT_TRUE(group.shouldIgnore());
}

TEST(FileGroup, remainingFileIsTheFirstUnmarked)
{
    FileGroup group = groupOf(3);
    group.markFile(group.fileAtIndex(0), true);
    EXPECT_EQ(group.remainingFile(), group.fileAtIndex(1));
    group.markAllFiles(true);
    EXPECT_EQ(group.remainingFile(), nullptr);
    EXPECT_TRUE(group.shouldIgnore());
    group.markAllFiles(false);
    EXPECT_EQ(group.markedCount(), 0u);
}

TEST(FileGroup, markedPlainFilesGetTheRemainingFileAsLinkTarget)
{
    FileGroup group;
    const FileItemPtr kept = makeFile(QStringLiteral("/a/kept.jpg"));
    const FileItemPtr plain = makeFile(QStringLiteral("/a/plain.jpg"));
    const FileItemPtr inLibrary = makeFile(QStringLiteral("/lib/Masters/x.jpg"), 1000, containerTypeiPhoto);
    const FileItemPtr unknown = makeFile(QStringLiteral("/b/unknown.jpg"), 1000, QString());
    const FileItemPtr unmarked = makeFile(QStringLiteral("/a/unmarked.jpg"));
    for (const FileItemPtr& file : {plain, kept, inLibrary, unknown, unmarked})
        group.addFile(file);
    for (const FileItemPtr& file : {plain, inLibrary, unknown})
        group.markFile(file, true);

    group.populateFilesWithRemainingFile();

    EXPECT_EQ(plain->remainingFileName(), kept->name());
    EXPECT_TRUE(inLibrary->remainingFileName().isNull());
    EXPECT_TRUE(unknown->remainingFileName().isNull());
    EXPECT_TRUE(unmarked->remainingFileName().isNull());
    EXPECT_TRUE(kept->remainingFileName().isNull());
}

TEST(FileGroup, populatingLogsEachLinkTarget)
{
    test::TemporaryTree tree;
    const QString logPath = tree.path(QStringLiteral("log.txt"));
    const SOLoggerPtr logger = std::make_shared<SOLogger>();
    ASSERT_GE(logger->openLogFile(logPath), 0);

    FileGroup group = groupOf(2);
    group.setLogger(logger);
    group.selectDuplicates();
    group.populateFilesWithRemainingFile();

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("File '/g/1' will be replaced by link to remaining file '/g/0'"));
}

TEST(FileGroup, fullyMarkedGroupGetsNoLinkTargets)
{
    FileGroup group = groupOf(2);
    group.markAllFiles(true);
    group.populateFilesWithRemainingFile();
    for (const FileItemPtr& file : group.files())
        EXPECT_TRUE(file->remainingFileName().isNull());
}

TEST(FileGroup, findsFilesByNameAndPicksTheNextSelection)
{
    const FileGroup group = groupOf(3);
    EXPECT_EQ(group.indexOfFileWithName(QStringLiteral("/g/2")), 2);
    EXPECT_EQ(group.indexOfFileWithName(QStringLiteral("/g/9")), NotFound);

    EXPECT_EQ(group.selectedFileIndexAfterRemovingFile(group.fileAtIndex(0)), 0);
    EXPECT_EQ(group.selectedFileIndexAfterRemovingFile(group.fileAtIndex(1)), 0);
    EXPECT_EQ(group.selectedFileIndexAfterRemovingFile(group.fileAtIndex(2)), 1);
    // Another object with the same path is another file.
    EXPECT_EQ(group.selectedFileIndexAfterRemovingFile(makeFile(QStringLiteral("/g/1"))), NotFound);
}

TEST(FileGroup, enumerationVisitsASnapshotInOrder)
{
    FileGroup group = groupOf(3);
    QStringList visited;
    group.enumerateFilesUsingBlock([&](const FileItemPtr& file) {
        visited.append(file->name());
        group.addFile(makeFile(QStringLiteral("/added")));
    });
    EXPECT_EQ(visited, QStringList({QStringLiteral("/g/0"), QStringLiteral("/g/1"), QStringLiteral("/g/2")}));
    EXPECT_EQ(group.count(), 6u);
}

TEST(FileGroup, descriptionListsTheFiles)
{
    FileGroup group;
    group.addFile(FileItem::create(QStringLiteral("/a")));
    EXPECT_EQ(group.description(),
              QStringLiteral("(\n    {name: '/a', containerType: '(null)', containerPath: '(null)'}\n)"));
}

} // namespace
} // namespace pairsift
