#include "model/FileAttributes.h"
#include "model/FileItem.h"
#include "model/QuickLookImage.h"
#include "model/digest/MurmurHash3.h"
#include "photolibs/ContainerType.h"
#include "platform/PackageTypes.h"
#include "testkit/TemporaryTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <barrier>
#include <functional>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace pairsift {
namespace {

using test::patternBytes;
using test::TemporaryTree;

constexpr qsizetype Chunk = FileItem::ChunkSize;

int openDescriptorCount()
{
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

FileItemPtr countedItem(const QString& path)
{
    FileItemPtr item = FileItem::create(path);
    item->fillAttributes(FileItem::AllAttributes);
    return item;
}

struct ProgressCall {
    quint64 bytesDone;
    quint64 bytesTotal;
};

// A progress block that records its calls and asks to stop on the call numbered `stopAt` (1-based; 0: never).
HashProgressBlock recordingProgress(std::vector<ProgressCall>& calls, size_t stopAt = 0)
{
    return [&calls, stopAt](quint64 bytesDone, quint64 bytesTotal, bool* stop) {
        EXPECT_FALSE(*stop);
        calls.push_back({bytesDone, bytesTotal});
        if (calls.size() == stopAt)
            *stop = true;
    };
}

class FileItemHashing : public testing::TestWithParam<qsizetype> {};

TEST_P(FileItemHashing, bothDigestsEqualOneShotDigestsAndReportEveryChunk)
{
    const qsizetype size = GetParam();
    TemporaryTree tree;
    const QByteArray content = patternBytes(size, 7);
    const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("f.bin"), content));
    ASSERT_EQ(item->totalSize(), static_cast<quint64>(size));

    std::vector<ProgressCall> murmurCalls;
    EXPECT_EQ(item->computeMurmurHash(recordingProgress(murmurCalls)), murmur3_32(0, content.constData(), static_cast<int>(size)));
    std::vector<ProgressCall> shaCalls;
    item->computeSHA1(recordingProgress(shaCalls));
    EXPECT_EQ(item->sha1(), QCryptographicHash::hash(content, QCryptographicHash::Sha1));

    // One call per whole chunk plus the final short (possibly empty) read.
    const size_t expectedCalls = static_cast<size_t>(size / Chunk) + 1;
    for (const auto* calls : {&murmurCalls, &shaCalls}) {
        ASSERT_EQ(calls->size(), expectedCalls);
        for (size_t index = 0; index < expectedCalls; ++index) {
            const quint64 expectedDone = std::min<quint64>((index + 1) * Chunk, static_cast<quint64>(size));
            EXPECT_EQ(calls->at(index).bytesDone, expectedDone) << "call " << index;
            EXPECT_EQ(calls->at(index).bytesTotal, static_cast<quint64>(size));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileItemHashing, testing::Values(0, 1, 3, Chunk - 1, Chunk, Chunk + 1, 2 * Chunk));

TEST(FileItem, emptyFileHashesToZeroAndTheDigestOfNoBytes)
{
    TemporaryTree tree;
    const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("empty"), {}));
    EXPECT_EQ(item->computeMurmurHash(), std::optional<quint32>(0));
    item->computeSHA1();
    EXPECT_EQ(item->sha1(), QCryptographicHash::hash({}, QCryptographicHash::Sha1));
}

// Between counting and hashing the path changed: only the counted file (no final link, same device,
// inode and size) may be read, and reading it stops at the counted size.
TEST(FileItem, aFileThatChangedSinceCountingFailsToHash)
{
    const auto append = [](const QString& path, qsizetype count) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.write(patternBytes(count, 4));
    };
    const auto replace = [](const QString& path, const std::function<int(const char*, const char*)>& make) {
        const QByteArray encoded = QFile::encodeName(path);
        ASSERT_EQ(::unlink(encoded.constData()), 0);
        ASSERT_EQ(make(QFile::encodeName(QFileInfo(path).dir().filePath(QStringLiteral("twin"))).constData(),
                      encoded.constData()), 0);
    };
    struct Case {
        const char* name;
        qsizetype size;
        // Made after the first chunk was read, else before the read.
        bool isDuringRead;
        std::function<void(const QString& path)> change;
        const char* message;
    } cases[] = {
        {"grew", 10, false, [&](const QString& path) { append(path, 1); }, "Error reading file '"},
        {"grew while read", 2 * Chunk, true, [&](const QString& path) { append(path, 1); }, "Error reading file '"},
        {"shrank while read", 2 * Chunk, true,
            [](const QString& path) { ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), Chunk + 3), 0); },
            "Error reading file '"},
        {"replaced by a link to its twin", 10, false, [&](const QString& path) { replace(path, ::symlink); },
            "Unable to open file '"},
        {"replaced by a hard link to its twin", 10, false, [&](const QString& path) { replace(path, ::link); },
            "Error reading file '"},
    };
    for (const Case& change : cases) {
        TemporaryTree tree;
        const QByteArray content = patternBytes(change.size, 6);
        tree.writeFile(QStringLiteral("twin"), content);
        const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("f"), content));
        HashProgressBlock progress;
        if (change.isDuringRead) {
            progress = [&](quint64 bytesDone, quint64, bool*) {
                if (bytesDone == Chunk)
                    change.change(item->name());
            };
        } else {
            change.change(item->name());
        }

        testing::internal::CaptureStderr();
        EXPECT_FALSE(item->computeMurmurHash(progress).has_value()) << change.name;
        if (change.isDuringRead) {
            EXPECT_EQ(::truncate(QFile::encodeName(item->name()).constData(), change.size), 0);
        }
        item->computeSHA1(progress);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(item->sha1().isNull()) << change.name;
        EXPECT_NE(log.find(change.message + item->name().toStdString() + "'"), std::string::npos) << change.name << log;
    }
    // An item counting never saw has no identity to check against.
    TemporaryTree tree;
    const FileItemPtr uncounted = FileItem::create(tree.writeFile(QStringLiteral("f"), "abc"));
    uncounted->setTotalSize(3);
    uncounted->computeSHA1();
    EXPECT_TRUE(uncounted->sha1().isNull());
}

TEST(FileItem, stopOnTheFirstChunkOfALargeFileLeavesUnfinishedResultsAndClosesTheFile)
{
    TemporaryTree tree;
    const QByteArray content = patternBytes(3 * Chunk + 10, 11);
    const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("big"), content));
    const int descriptorsBefore = openDescriptorCount();

    std::vector<ProgressCall> calls;
    const std::optional<quint32> stopped = item->computeMurmurHash(recordingProgress(calls, 1));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_NE(stopped, murmur3_32(0, content.constData(), static_cast<int>(content.size())));

    calls.clear();
    item->computeSHA1(recordingProgress(calls, 1));
    EXPECT_EQ(calls.size(), 1u);
    EXPECT_TRUE(item->sha1().isNull());
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
}

TEST(FileItem, stopAfterTheLastChunkKeepsCompleteResults)
{
    TemporaryTree tree;
    for (const qsizetype size : {qsizetype(100), Chunk}) {
        const QByteArray content = patternBytes(size, 5);
        const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("f%1").arg(size), content));
        const size_t lastCall = static_cast<size_t>(size / Chunk) + 1;
        std::vector<ProgressCall> calls;
        EXPECT_EQ(item->computeMurmurHash(recordingProgress(calls, lastCall)),
                  murmur3_32(0, content.constData(), static_cast<int>(size)));
        calls.clear();
        item->computeSHA1(recordingProgress(calls, lastCall));
        EXPECT_EQ(item->sha1(), QCryptographicHash::hash(content, QCryptographicHash::Sha1)) << size;
    }
}

TEST(FileItem, aNewHashRunForgetsTheEarlierDigest)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("f"), patternBytes(2 * Chunk + 1, 1));
    const FileItemPtr item = countedItem(path);
    item->computeSHA1();
    ASSERT_FALSE(item->sha1().isNull());
    std::vector<ProgressCall> calls;
    item->computeSHA1(recordingProgress(calls, 1));
    EXPECT_TRUE(item->sha1().isNull());
}

// Every way hashing can fail: the failure values, the console line, no descriptor left open.
TEST(FileItem, hashingFailuresGiveZeroAndNoDigestAndAreLogged)
{
    TemporaryTree tree;
    const QString vanished = tree.writeFile(QStringLiteral("vanished"), patternBytes(10, 1));
    const FileItemPtr vanishedItem = countedItem(vanished);
    ASSERT_TRUE(QFile::remove(vanished));
    const QString folder = tree.makeFolder(QStringLiteral("folder"));
    // Counted as regular files, replaced before hashing: no content is read, and a pipe without a writer
    // must not block the open.
    const QString pipe = tree.path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const auto sizedItem = [](const QString& path) {
        FileItemPtr item = FileItem::create(path);
        item->setTotalSize(10);
        return item;
    };

    const std::string notRegular = "': not a regular file";
    const std::string missing = "': " + qt_error_string(ENOENT).toStdString();
    struct Case {
        FileItemPtr item;
        std::string ending;
    } cases[] = {
        {vanishedItem, missing},
        {FileItem::create(tree.path(QStringLiteral("never-there"))), missing},
        {FileItem::create(folder), notRegular},
        {sizedItem(QStringLiteral("/dev/null")), notRegular},
        {sizedItem(pipe), notRegular},
    };
    for (const Case& failure : cases) {
        const int descriptorsBefore = openDescriptorCount();
        std::vector<ProgressCall> calls;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(failure.item->computeMurmurHash(recordingProgress(calls)).has_value());
        failure.item->computeSHA1(recordingProgress(calls));
        const std::string log = testing::internal::GetCapturedStderr();
        const std::string expected = "Unable to open file '" + failure.item->name().toStdString() + failure.ending;
        EXPECT_NE(log.find(expected), std::string::npos) << log;
        EXPECT_TRUE(failure.item->sha1().isNull());
        EXPECT_TRUE(calls.empty());
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
    }
}

TEST(FileItem, unreadableFileFailsToHash)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root from reading";
    TemporaryTree tree;
    const FileItemPtr item = countedItem(tree.writeFile(QStringLiteral("locked"), patternBytes(10, 1)));
    ASSERT_EQ(::chmod(QFile::encodeName(item->name()).constData(), 0), 0);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(item->computeMurmurHash().has_value());
    item->computeSHA1();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Unable to open file"), std::string::npos);
    EXPECT_TRUE(item->sha1().isNull());
    EXPECT_TRUE(item->readHead(8).isNull());
}

TEST(FileItem, readHeadAnswersAtMostTheAskedBytes)
{
    TemporaryTree tree;
    const QByteArray content = patternBytes(20, 9);
    const FileItemPtr item = FileItem::create(tree.writeFile(QStringLiteral("f"), content));
    const FileItemPtr shortItem = FileItem::create(tree.writeFile(QStringLiteral("short"), "abc"));
    const FileItemPtr emptyItem = FileItem::create(tree.writeFile(QStringLiteral("empty"), {}));

    EXPECT_EQ(item->readHead(8), content.left(8));
    EXPECT_EQ(item->readHead(0), QByteArray());
    EXPECT_FALSE(item->readHead(0).isNull());
    EXPECT_EQ(shortItem->readHead(8), QByteArray("abc"));
    EXPECT_EQ(shortItem->readHead(quint64(1) << 40), QByteArray("abc"));
    EXPECT_FALSE(emptyItem->readHead(8).isNull());
    EXPECT_TRUE(emptyItem->readHead(8).isEmpty());
    EXPECT_TRUE(FileItem::create(tree.path(QStringLiteral("missing")))->readHead(8).isNull());
}

TEST(FileItem, fillAttributesReadsWhatTheMaskAsksFor)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("f"), patternBytes(1234, 2));
    const QDateTime earlier = QDateTime::fromSecsSinceEpoch(1000, Qt::UTC);

    const FileItemPtr nothing = FileItem::create(path);
    nothing->setTotalSize(7);
    nothing->setDateCreated(earlier);
    EXPECT_FALSE(nothing->fillAttributes(0).has_value());
    EXPECT_EQ(nothing->totalSize(), 7u);
    EXPECT_EQ(nothing->dateCreated(), earlier);

    const FileItemPtr sizeOnly = FileItem::create(path);
    sizeOnly->setDateCreated(earlier);
    EXPECT_TRUE(sizeOnly->fillAttributes(FileItem::AttributeSize).has_value());
    EXPECT_EQ(sizeOnly->totalSize(), 1234u);
    EXPECT_EQ(sizeOnly->dateCreated(), earlier);

    const FileItemPtr both = FileItem::create(path);
    EXPECT_TRUE(both->fillAttributes(FileItem::AllAttributes).has_value());
    EXPECT_EQ(both->totalSize(), 1234u);
    EXPECT_TRUE(both->dateCreated().isValid());

    const FileItemPtr missing = FileItem::create(tree.path(QStringLiteral("missing")));
    missing->setTotalSize(7);
    missing->setDateCreated(earlier);
    EXPECT_FALSE(missing->fillAttributes(FileItem::AttributeSize).has_value());
    EXPECT_EQ(missing->totalSize(), 0u);
    EXPECT_FALSE(missing->dateCreated().isValid());
}

TEST(FileItem, fillAttributesAnswersTheFileIdentity)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("f"), "x");
    const QString other = tree.writeFile(QStringLiteral("g"), "x");
    const QString hardLink = tree.path(QStringLiteral("h"));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(hardLink).constData()), 0);

    const auto id = FileItem::create(path)->fillAttributes(FileItem::AllAttributes);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(FileItem::create(hardLink)->fillAttributes(FileItem::AllAttributes), id);
    EXPECT_NE(FileItem::create(other)->fillAttributes(FileItem::AllAttributes), id);
}

TEST(FileItem, creationDateIsTheBirthTimeElseTheModificationTime)
{
    struct statx status {};
    status.stx_mtime.tv_sec = 2000;
    status.stx_mtime.tv_nsec = 750'000'000;
    status.stx_btime.tv_sec = 1000;
    status.stx_btime.tv_nsec = 250'000'000;

    status.stx_mask = STATX_MTIME | STATX_BTIME;
    EXPECT_EQ(creationMSecsOf(status), 1'000'250);
    status.stx_mask = STATX_MTIME;
    EXPECT_EQ(creationMSecsOf(status), 2'000'750);
    // Before 1970 the fraction still counts forward from the whole second.
    status.stx_mtime.tv_sec = -2;
    EXPECT_EQ(creationMSecsOf(status), -1'250);
}

TEST(FileItem, creationDateOfARealFileIgnoresAnOldModificationTimeWhenBirthIsKept)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("f"), "x");
    const QByteArray encoded = QFile::encodeName(path);
    const struct timeval old[2] = {{978307200, 0}, {978307200, 0}}; // 2001-01-01
    ASSERT_EQ(::utimes(encoded.constData(), old), 0);
    struct statx status {};
    ASSERT_EQ(::statx(AT_FDCWD, encoded.constData(), 0, STATX_BTIME, &status), 0);

    const FileItemPtr item = FileItem::create(path);
    item->fillAttributes(FileItem::AttributeCreationDate);
    if (status.stx_mask & STATX_BTIME)
        EXPECT_EQ(item->dateCreated().toSecsSinceEpoch(), status.stx_btime.tv_sec);
    else
        EXPECT_EQ(item->dateCreated().toSecsSinceEpoch(), 978307200);
}

TEST(FileItem, containerFlagsAreExactTextMatches)
{
    struct Case {
        QString type;
        bool regular;
        bool iPhoto;
        bool aperture;
    } cases[] = {
        {containerTypeDirectory, true, false, false},
        {containerTypeiPhoto, false, true, false},
        {containerTypeAperture, false, false, true},
        {QString(), false, false, false},
        {QStringLiteral("Directory"), false, false, false},
        {QStringLiteral("iphoto"), false, false, false},
    };
    for (const Case& entry : cases) {
        const FileItemPtr item = FileItem::create(QStringLiteral("/x"));
        item->setContainerType(entry.type);
        EXPECT_EQ(item->containerType(), entry.type);
        EXPECT_EQ(item->containerType().isNull(), entry.type.isNull());
        EXPECT_EQ(item->isRegularFile(), entry.regular) << entry.type.toStdString();
        EXPECT_EQ(item->isiPhotoFile(), entry.iPhoto) << entry.type.toStdString();
        EXPECT_EQ(item->isApertureFile(), entry.aperture) << entry.type.toStdString();
    }
}

TEST(FileItem, equalContainerPathsAreStoredOnce)
{
    const FileItemPtr first = FileItem::create(QStringLiteral("/a/x"));
    const FileItemPtr second = FileItem::create(QStringLiteral("/a/y"));
    first->setContainerPath(QStringLiteral("/a"));
    second->setContainerPath(QString::fromUtf8("/a"));
    EXPECT_EQ(&first->containerPath(), &second->containerPath());
    second->setContainerPath(QString());
    EXPECT_TRUE(second->containerPath().isNull());
    EXPECT_EQ(first->containerPath(), QStringLiteral("/a"));
}

TEST(FileItem, sha1AcceptsOnlyTwentyBytes)
{
    const FileItemPtr item = FileItem::create(QStringLiteral("/x"));
    const QByteArray digest = QCryptographicHash::hash("abc", QCryptographicHash::Sha1);
    item->setSha1(digest);
    EXPECT_EQ(item->sha1(), digest);
    item->setSha1(digest.left(19));
    EXPECT_TRUE(item->sha1().isNull());
    EXPECT_FALSE(item->sha1Digest().has_value());
}

TEST(FileItem, copyIsANewItemWithEveryStoredValue)
{
    const FileItemPtr item = FileItem::create(QStringLiteral("/a/b.jpg"));
    item->setRemainingFileName(QStringLiteral("/a/c.jpg"));
    item->setDateCreated(QDateTime::fromMSecsSinceEpoch(123456789, Qt::UTC));
    item->setSha1(QCryptographicHash::hash("abc", QCryptographicHash::Sha1));
    item->setMarkedForRemoval(true);
    item->setTotalSize(42);
    item->setContainerType(containerTypeDirectory);
    item->setContainerPath(QStringLiteral("/a"));
    QImage preview(4, 4, QImage::Format_RGB32);
    preview.fill(Qt::red);
    item->setPreview(preview);

    const FileItemPtr copied = item->copy();
    EXPECT_NE(copied, item);
    EXPECT_EQ(copied->name(), item->name());
    EXPECT_EQ(copied->remainingFileName(), item->remainingFileName());
    EXPECT_EQ(copied->dateCreated(), item->dateCreated());
    EXPECT_EQ(copied->sha1(), item->sha1());
    EXPECT_TRUE(copied->markedForRemoval());
    EXPECT_EQ(copied->totalSize(), 42u);
    EXPECT_TRUE(copied->isRegularFile());
    EXPECT_EQ(copied->containerPath(), QStringLiteral("/a"));
    EXPECT_EQ(copied->preview(), preview);
}

// The kept copy's path and the preview are made on first use, possibly by two threads at once.
TEST(FileItem, rarelySetValuesAreKeptWhicheverThreadSetsThemFirst)
{
    const FileItemPtr fresh = FileItem::create(QStringLiteral("/a/b.jpg"));
    EXPECT_TRUE(fresh->remainingFileName().isNull());
    EXPECT_TRUE(fresh->preview().isNull());
    fresh->setRemainingFileName(QStringLiteral("/a/c.jpg"));
    EXPECT_TRUE(fresh->preview().isNull());
    fresh->setRemainingFileName(QString());
    EXPECT_TRUE(fresh->remainingFileName().isNull());

    QImage preview(2, 2, QImage::Format_RGB32);
    preview.fill(Qt::blue);
    std::vector<FileItemPtr> items;
    for (int index = 0; index < 2000; ++index)
        items.push_back(FileItem::create(QStringLiteral("/a/%1").arg(index)));
    // Both threads reach each item together.
    std::barrier bothAtItem(2);
    std::thread previews([&] {
        for (const FileItemPtr& item : items) {
            bothAtItem.arrive_and_wait();
            item->setPreview(preview);
        }
    });
    for (const FileItemPtr& item : items) {
        bothAtItem.arrive_and_wait();
        item->setRemainingFileName(QStringLiteral("/kept"));
    }
    previews.join();
    const auto isWhole = [&](const FileItemPtr& item) {
        return item->remainingFileName() == QStringLiteral("/kept") && item->preview() == preview;
    };
    EXPECT_TRUE(std::all_of(items.begin(), items.end(), isWhole));
}

TEST(FileItem, descriptionsNameTheStoredValues)
{
    const FileItemPtr item = FileItem::create(QStringLiteral("/a/b.jpg"));
    EXPECT_EQ(item->description(), QStringLiteral("{name: '/a/b.jpg', containerType: '(null)', containerPath: '(null)'}"));
    item->setContainerType(containerTypeiPhoto);
    item->setContainerPath(QStringLiteral("/lib"));
    item->setTotalSize(1536);
    item->setDateCreated(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    QByteArray digest(20, '\0');
    digest[0] = '\x0a';
    digest[19] = '\xff';
    item->setSha1(digest);
    EXPECT_EQ(item->description(), QStringLiteral("{name: '/a/b.jpg', containerType: 'iPhoto', containerPath: '/lib'}"));
    EXPECT_EQ(item->debugDescription(),
              QStringLiteral("FileItem {name: /a/b.jpg, size: 1.50 KB, dateCreated: 1970-01-01 00:00:00 +0000, "
                             "hash: <0a000000 00000000 00000000 00000000 000000ff>, containerType: iPhoto, containerPath: /lib}"));
}

TEST(FileItem, displayTextsOfThePath)
{
    TemporaryTree tree;
    const QString path = tree.writeFile(QStringLiteral("notes.txt"), "hello\n");
    const FileItemPtr item = FileItem::create(path);
    EXPECT_FALSE(item->kind().isEmpty());
    EXPECT_EQ(FileItem::fileKindWithPathName(tree.path(QStringLiteral("missing.txt"))), QStringLiteral(""));
    EXPECT_EQ(item->previewItemTitle(), QStringLiteral("notes.txt"));
    EXPECT_EQ(item->previewItemURL(), QUrl::fromLocalFile(path));
    item->setTotalSize(1023);
    EXPECT_EQ(item->sizeString(), QStringLiteral("1.00 KB"));
}

// The item's own type icon for a plain-folder file; the container's for anything else.
TEST(FileItem, iconComesFromTheFileOrItsContainer)
{
    TemporaryTree tree;
    QImage square(16, 16, QImage::Format_RGB32);
    square.fill(Qt::green);
    tree.writeFile(QStringLiteral("themes/probe/index.theme"),
                   "[Icon Theme]\nName=probe\nDirectories=16\n\n[16]\nSize=16\n");
    ASSERT_TRUE(square.save(tree.makeFolder(QStringLiteral("themes/probe/16")) + QStringLiteral("/text-plain.png")));
    ASSERT_TRUE(square.save(tree.path(QStringLiteral("themes/probe/16/inode-directory.png"))));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({tree.path(QStringLiteral("themes"))});
    QIcon::setThemeName(QStringLiteral("probe"));

    const QString text = tree.writeFile(QStringLiteral("a.txt"), "text\n");
    const QString folder = tree.makeFolder(QStringLiteral("library"));
    struct Case {
        QString containerType;
        const char* expectedIcon;
    } cases[] = {
        {containerTypeDirectory, "text-plain"},
        {containerTypeiPhoto, "inode-directory"},
        {QString(), "inode-directory"},
    };
    for (const Case& entry : cases) {
        const FileItemPtr item = FileItem::create(text);
        item->setContainerType(entry.containerType);
        item->setContainerPath(folder);
        EXPECT_EQ(item->icon().name(), QString::fromUtf8(entry.expectedIcon)) << entry.containerType.toStdString();
    }

    QIcon::setThemeName(themeName);
    QIcon::setThemeSearchPaths(searchPaths);
}

TEST(QuickLookImage, aPictureFitsTheSizeAndAsAnIconIsFramedOnTheWholeSquare)
{
    TemporaryTree tree;
    QImage picture(400, 200, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    const QString path = tree.path(QStringLiteral("p.png"));
    ASSERT_TRUE(picture.save(path));
    const QString text = tree.writeFile(QStringLiteral("t.txt"), "text");
    const struct {
        QString path;
        QSize size;
        bool asIcon;
        QSize expected;
    } cases[] = {
        {path, {96, 96}, false, {96, 48}},
        {path, {96, 96}, true, {96, 96}},
        {path, {800, 800}, false, {400, 200}},
        {QString(), {96, 96}, true, {0, 0}},
        // No icon without a GUI application, as in this test.
        {text, {96, 96}, true, {0, 0}},
    };
    for (const auto& c : cases) {
        const QImage image = imageWithPreviewOfFileAtPath(c.path, c.size, c.asIcon);
        EXPECT_EQ(image.size(), c.expected) << c.path.toStdString() << " as icon " << c.asIcon;
    }

    const QImage icon = imageWithPreviewOfFileAtPath(path, {96, 96}, true);
    EXPECT_EQ(icon.pixelColor(48, 48), QColor(Qt::blue));
    EXPECT_EQ(icon.pixelColor(48, 2).alpha(), 0);
    EXPECT_EQ(icon.pixelColor(48, 23), QColor(Qt::white));

    const FileItemPtr item = FileItem::create(path);
    EXPECT_TRUE(item->fillPreview());
    EXPECT_EQ(item->preview(), icon);
}

// The path is kept as a shared folder and the file's own name; every reader must see the path it was given.
TEST(FileItem, thePathComposedFromItsPartsIsThePathItWasGiven)
{
    QString deep;
    for (int level = 0; level < 300; ++level)
        deep += QStringLiteral("/level %1").arg(level);
    const QString paths[] = {
        QStringLiteral("/home/ann/photo.jpg"),
        QStringLiteral("/home/ann/line\nbreak.jpg"),
        QStringLiteral("/home/ann/a name longer than the inside room.jpg"),
        QString::fromUtf8("/home/ann/caf\xc3\xa9 \xf0\x9f\x93\xb7.jpg"),
        deep + QStringLiteral("/f.bin"),
        QStringLiteral("/root.bin"),
        QStringLiteral("relative.bin"),
        QStringLiteral("/home/ann/folder/"),
        QStringLiteral("/"),
        QString(),
        QStringLiteral("/home/ann/") + QChar(0xD800) + QStringLiteral("lone.jpg"),
        // A name that begins with a byte-order mark: the plain UTF-8 decode would drop it.
        QStringLiteral("/home/ann/") + QChar(0xFEFF) + QStringLiteral("marked.jpg"),
        QStringLiteral("/home/") + QChar(0xFEFF) + QChar(0xFEFF) + QStringLiteral("ann/x"),
        QString(QChar(0xFEFF)) + QStringLiteral("relative"),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const FileItemPtr file = FileItem::create(path);
        EXPECT_EQ(file->name(), path);
        EXPECT_EQ(file->name().isNull(), path.isNull());
        EXPECT_EQ(file->encodedName(), QFile::encodeName(path));
        EXPECT_EQ(file->baseName(), lastPathComponent(path));
        EXPECT_EQ(file->copy()->name(), path);
        for (const qsizetype length : {qsizetype(0), qsizetype(1), path.lastIndexOf(QLatin1Char('/')),
                 path.lastIndexOf(QLatin1Char('/')) + 1, path.lastIndexOf(QLatin1Char('/')) + 3, path.size()}) {
            const QString prefix = path.left(std::max<qsizetype>(length, 0));
            EXPECT_TRUE(file->nameStartsWith(prefix)) << prefix.toStdString();
            EXPECT_FALSE(file->nameStartsWith(prefix + QStringLiteral("\x01"))) << prefix.toStdString();
        }
    }
    // Files of one folder share it; the same text in another place is the same folder.
    EXPECT_EQ(FileItem::create(QStringLiteral("/a/b/one"))->folder(), FileItem::create(QStringLiteral("/a/b/two"))->folder());
    EXPECT_FALSE(FileItem::create(QStringLiteral("/a/b/one"))->folder() == FileItem::create(QStringLiteral("/a/bc/one"))->folder());
}

TEST(FileItem, plainOrderComparesNames)
{
    const FileItemPtr a = FileItem::create(QStringLiteral("/x/a"));
    const FileItemPtr b = FileItem::create(QStringLiteral("/x/b"));
    EXPECT_EQ(a->compare(*b), -1);
    EXPECT_EQ(b->compare(*a), 1);
    EXPECT_EQ(a->compare(*a), 0);
    EXPECT_EQ(a->reverseCompare(*b), 1);
    EXPECT_EQ(b->reverseCompare(*a), -1);
}

} // namespace
} // namespace pairsift
