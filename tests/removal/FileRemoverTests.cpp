// The disk side of removal on temporary trees, with the isolated Trash: what each action refuses before
// touching anything, and that a failing step never leaves the staged path empty.
#include "removal/FileRemover.h"

#include "RemovalTestSupport.h"
#include "photolibs/ContainerType.h"
#include "removal/RemovalCheck.h"
#include "testkit/LogCapture.h"
#include "testkit/TemporaryTree.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace pairsift {
namespace {

using test::LogCapture;
using test::TemporaryTree;

const QByteArray content("duplicate content");

enum class Action { Delete, DeleteMarked, DeleteAndLink, DeleteAndLinkMarked };

// Every entry below the root with its kind and content, to show that nothing changed.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        QString entry = path + (info.isSymLink() ? QStringLiteral(" -> ") + test::linkTarget(path)
                                                 : info.isDir() ? QStringLiteral("/") : QString());
        if (info.isFile() && !info.isSymLink()) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            entry += QStringLiteral(" = ")
                + QString::fromUtf8(bytes.size() > 64 ? QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex() : bytes);
        }
        entries.append(entry);
    }
    entries.sort();
    return entries;
}

class FileRemoverTest : public testing::Test {
public:
    void SetUp() override { prepare(); }

    // A fresh tree with a kept copy and its staged duplicate.
    void prepare(const QByteArray& bytes = content)
    {
        treePointer = std::make_unique<TemporaryTree>();
        logPointer = std::make_unique<LogCapture>();
        // GIO uses the home trash only for files on the home's device; anything else would go elsewhere.
        struct stat home {}, root {};
        ASSERT_EQ(::stat(QFile::encodeName(test::isolatedHome()).constData(), &home), 0);
        ASSERT_EQ(::stat(QFile::encodeName(tree().root()).constData(), &root), 0);
        ASSERT_EQ(home.st_dev, root.st_dev) << "the temporary tree must share the isolated home's volume";

        kept = tree().writeFile(QStringLiteral("kept/original.txt"), bytes);
        staged = tree().writeFile(QStringLiteral("copies/duplicate.txt"), bytes);
        file = FileItem::create(staged);
        file->setTotalSize(bytes.size());
        file->setRemainingFileName(kept);
        file->setContainerType(containerTypeDirectory);
        file->setContainerPath(tree().root());
    }

    RemovalResult run(Action action, RemovalFileSystem fileSystem = test::desktopFileSystem(), StopTest isStopped = {})
    {
        FileRemover remover(log().logger(), std::move(fileSystem), std::move(isStopped));
        switch (action) {
        case Action::Delete:
            return remover.deleteFile(*file, false);
        case Action::DeleteMarked:
            return remover.deleteFile(*file, true);
        case Action::DeleteAndLink:
            return remover.deleteAndLinkFile(*file, false);
        case Action::DeleteAndLinkMarked:
            return remover.deleteAndLinkFile(*file, true);
        }
        return {};
    }

    const TemporaryTree& tree() const { return *treePointer; }
    QStringList trashed() const { return test::trashedPaths(tree().root()); }

    const LogCapture& log() const { return *logPointer; }

    std::unique_ptr<TemporaryTree> treePointer;
    std::unique_ptr<LogCapture> logPointer;
    QString kept;
    QString staged;
    FileItemPtr file;
};

TEST_F(FileRemoverTest, refusesWithoutTouchingAnythingWhenTheKeptCopyOrTheStagedPathChanged)
{
    const QList<Action> everyAction = {Action::Delete, Action::DeleteMarked, Action::DeleteAndLink};
    struct Case {
        const char* name;
        std::function<void(FileRemoverTest&)> change;
        const char* reason;
        QList<Action> actions;
    };
    const QList<Case> cases = {
        {"kept copy vanished", [](FileRemoverTest& t) { QFile::remove(t.kept); }, "its kept copy is missing", everyAction},
        {"kept copy is a folder",
            [](FileRemoverTest& t) {
                QFile::remove(t.kept);
                QDir().mkpath(t.kept);
            },
            "its kept copy is not a regular file", everyAction},
        {"kept copy is the staged file",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                ASSERT_EQ(::link(QFile::encodeName(t.kept).constData(), QFile::encodeName(t.staged).constData()), 0);
            },
            "it is the same file as its kept copy", everyAction},
        {"kept copy changed size", [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("kept/original.txt"), "x"); },
            "its kept copy has changed", everyAction},
        {"staged file changed size",
            [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), content + "!"); },
            "its size has changed", everyAction},
        {"staged file has other bytes of the same size",
            [](FileRemoverTest& t) { t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), content.toUpper()); },
            "its content differs from its kept copy", {Action::DeleteMarked, Action::DeleteAndLink}},
        {"staged path became a folder",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                t.tree().writeFile(QStringLiteral("copies/duplicate.txt/inside.txt"), "keep me");
            },
            "it is no longer a regular file", everyAction},
        {"staged path became a link elsewhere",
            [](FileRemoverTest& t) {
                QFile::remove(t.staged);
                t.tree().makeSymlink(QStringLiteral("copies/duplicate.txt"), t.tree().path(QStringLiteral("copies")));
            },
            "it is now a link", everyAction},
    };
    for (const Case& c : cases) {
        for (Action action : c.actions) {
            prepare();
            c.change(*this);
            const QStringList before = snapshot(tree().root());
            const RemovalResult result = run(action);
            EXPECT_EQ(result.outcome, RemovalOutcome::Refused) << c.name;
            EXPECT_EQ(result.reason, QString::fromLatin1(c.reason)) << c.name;
            EXPECT_EQ(snapshot(tree().root()), before) << c.name;
            EXPECT_TRUE(trashed().isEmpty()) << c.name;
            EXPECT_TRUE(log().has(QStringLiteral("Error: Not removing '%1': %2").arg(staged, c.reason))) << c.name;
        }
    }
}

TEST_F(FileRemoverTest, aVanishedStagedFileIsAlreadyGoneForEveryAction)
{
    for (Action action : {Action::Delete, Action::DeleteMarked, Action::DeleteAndLink}) {
        QFile::remove(staged);
        EXPECT_EQ(run(action).outcome, RemovalOutcome::AlreadyGone);
        EXPECT_FALSE(QFileInfo::exists(staged));
    }
}

TEST_F(FileRemoverTest, deleteMovesToTheTrashAndAMarkedFileIsDeletedPermanently)
{
    EXPECT_EQ(run(Action::Delete).outcome, RemovalOutcome::Removed);
    EXPECT_FALSE(QFileInfo::exists(staged));
    ASSERT_EQ(trashed(), QStringList{staged});

    const QString second = tree().writeFile(QStringLiteral("copies/second.txt"), content);
    file->setName(second);
    EXPECT_EQ(run(Action::DeleteMarked).outcome, RemovalOutcome::Removed);
    EXPECT_FALSE(QFileInfo::exists(second));
    EXPECT_EQ(trashed(), QStringList{staged});
    EXPECT_TRUE(QFileInfo(kept).isFile());
}

TEST_F(FileRemoverTest, aFailingOrMissingTrashLeavesTheFileAndIsLogged)
{
    const RemovalFileSystem failing = test::desktopFileSystemAfter([](const QString&, Error* error) {
        setError(error, QStringLiteral("POSIX"), 15, QStringLiteral("Unable to move to Trash"));
        return false;
    });
    const struct {
        RemovalFileSystem fileSystem;
        long long code;
    } cases[] = {{failing, 15}, {RemovalFileSystem::withTrash({}), ENOTSUP}};
    for (const auto& trash : cases) {
        for (Action action : {Action::Delete, Action::DeleteAndLink}) {
            const QStringList before = snapshot(tree().root());
            EXPECT_EQ(run(action, trash.fileSystem).outcome, RemovalOutcome::TrashFailed);
            EXPECT_EQ(snapshot(tree().root()), before);
        }
        EXPECT_TRUE(log().has(QStringLiteral("Error: Error trashing file '%1': %2").arg(staged).arg(trash.code)));
    }
    EXPECT_TRUE(log().text().contains(QStringLiteral("*** FILE")));
}

TEST_F(FileRemoverTest, deleteAndLinkLeavesAnAbsoluteLinkToTheKeptCopy)
{
    for (bool isMarked : {false, true}) {
        prepare();
        EXPECT_EQ(FileRemover(log().logger(), test::desktopFileSystem()).deleteAndLinkFile(*file, isMarked).outcome, RemovalOutcome::Removed);
        EXPECT_EQ(test::linkTarget(staged), kept);
        EXPECT_EQ(test::folderEntries(tree().path(QStringLiteral("copies"))), QStringList{QStringLiteral("duplicate.txt")});
        EXPECT_EQ(trashed(), isMarked ? QStringList() : QStringList{staged});
    }
}

TEST_F(FileRemoverTest, deleteAndLinkRefusesWithoutAKeptCopyAndForPhotoLibraryFiles)
{
    file->setRemainingFileName(QString());
    const QStringList before = snapshot(tree().root());
    EXPECT_EQ(run(Action::DeleteAndLink).outcome, RemovalOutcome::Refused);
    EXPECT_TRUE(log().has(QStringLiteral("Warning: File '%1' has nothing to link to").arg(staged)));

    file->setRemainingFileName(kept);
    file->setContainerType(containerTypeiPhoto);
    EXPECT_EQ(run(Action::DeleteAndLink).outcome, RemovalOutcome::Refused);
    EXPECT_EQ(snapshot(tree().root()), before);
    EXPECT_TRUE(trashed().isEmpty());
}

TEST_F(FileRemoverTest, whenTheLinkCannotTakeThePlaceTheFileComesBack)
{
    RemovalFileSystem failing = test::desktopFileSystem();
    const auto rename = failing.renameWithoutReplacing;
    failing.renameWithoutReplacing = [rename](int folder, const QByteArray& from, const QByteArray& to, Error* error) {
        if (from.startsWith(".pairsift-link-")) {
            setError(error, QStringLiteral("POSIX"), EIO, QStringLiteral("Input/output error"));
            return false;
        }
        return rename(folder, from, to, error);
    };
    for (bool isMarked : {false, true}) {
        prepare();
        const QStringList before = snapshot(tree().root());
        EXPECT_EQ(FileRemover(log().logger(), failing).deleteAndLinkFile(*file, isMarked).outcome, RemovalOutcome::Failed);
        EXPECT_EQ(snapshot(tree().root()), before) << "marked: " << isMarked;
        EXPECT_TRUE(log().has(QStringLiteral("Error: Error writing bookmark to '%1': Input/output error").arg(staged)));
    }
}

TEST_F(FileRemoverTest, aChangeMadeWhileTheFilesAreReadIsRefusedAndLosesNothing)
{
    // Four reads each, the last one short: reads 1–4 are the staged file's, 5–8 its kept copy's.
    const QByteArray original = test::patternBytes(4 * FileItem::ChunkSize - 1000, 7);
    const QByteArray saved = test::patternBytes(original.size(), 8);
    const auto overwrite = [](const QString& path, qint64 offset, const QByteArray& bytes) {
        QFile opened(path);
        ASSERT_TRUE(opened.open(QIODevice::ReadWrite) && opened.seek(offset));
        ASSERT_EQ(opened.write(bytes), bytes.size());
    };
    struct Case {
        const char* name;
        int read;
        std::function<void(FileRemoverTest&)> change;
    };
    const QList<Case> cases = {
        {"staged file saved by rename", 2,
            [&](FileRemoverTest& t) {
                const QString temporary = t.tree().writeFile(QStringLiteral("copies/.duplicate.txt.swp"), saved);
                ASSERT_EQ(::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(t.staged).constData()), 0);
            }},
        {"staged file edited in place", 2, [&](FileRemoverTest& t) { overwrite(t.staged, 0, "edited"); }},
        {"staged folder renamed and recreated", 2,
            [](FileRemoverTest& t) {
                const QString folder = QFileInfo(t.staged).path();
                ASSERT_TRUE(QDir().rename(folder, folder + QStringLiteral("-moved")));
                t.tree().writeFile(QStringLiteral("copies/duplicate.txt"), "never scanned");
            }},
        {"kept copy deleted", 6, [](FileRemoverTest& t) { ASSERT_TRUE(QFile::remove(t.kept)); }},
        {"kept copy edited at its last chunk", 8, [&](FileRemoverTest& t) { overwrite(t.kept, original.size() - 6, "edited"); }},
    };
    for (const Case& c : cases) {
        for (Action action : {Action::DeleteMarked, Action::DeleteAndLinkMarked}) {
            prepare(original);
            QStringList afterTheChange;
            int reads = 0;
            const RemovalResult result = run(action, test::desktopFileSystem(), [&] {
                if (++reads == c.read) {
                    c.change(*this);
                    afterTheChange = snapshot(tree().root());
                }
                return false;
            });
            EXPECT_EQ(result.outcome, RemovalOutcome::Refused) << c.name;
            EXPECT_EQ(result.reason, RemovalCheck::changedWhileChecked) << c.name;
            EXPECT_EQ(snapshot(tree().root()), afterTheChange) << c.name;
            EXPECT_TRUE(trashed().isEmpty()) << c.name;
        }
    }
}

TEST_F(FileRemoverTest, aNameOf250BytesGoesToTheTrashAndIsReplacedByALink)
{
    // Two-byte characters, so that every shortening has to keep whole ones.
    const QString name = QString(123, QChar(0xE9)) + QStringLiteral(".txt");
    ASSERT_EQ(QFile::encodeName(name).size(), 250);
    for (Action action : {Action::Delete, Action::DeleteAndLink}) {
        prepare();
        const QString path = tree().writeFile(QStringLiteral("copies/") + name, content);
        file->setName(path);
        EXPECT_EQ(run(action).outcome, RemovalOutcome::Removed);
        EXPECT_EQ(trashed(), QStringList{path});
        EXPECT_EQ(test::linkTarget(path), action == Action::DeleteAndLink ? kept : QString());
        EXPECT_EQ(test::folderEntries(tree().path(QStringLiteral("copies"))).size(), action == Action::DeleteAndLink ? 2 : 1);
    }
}

} // namespace
} // namespace pairsift
